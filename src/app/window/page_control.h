#pragma once
// A tab widget that tells a page change made by the user (mouse, wheel or keyboard on the tabs or
// the page control) apart from one made by code: only the former is reported by
// userChangedPage(). Selecting a page with setCurrentIndex/setCurrentWidget reports nothing.

#include <QTabWidget>

namespace ravlek {

class PageControl : public QTabWidget {
  Q_OBJECT

 public:
  explicit PageControl(QWidget* parent = nullptr);

  // Called by the tab bar around the user's input.
  void BeginUserInput();
  void EndUserInput();

 Q_SIGNALS:
  void userChangedPage(int index);

 public:
  // The designed name of the page the window selects when it is activated ("TntTabSheet1" at
  // start-up, "TntTabSheet4" when an update is announced).
  QString GLOBAL_Control_page_ActivePage;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void OnCurrentChanged(int index);

  int userInputDepth_ = 0;
};

}  // namespace ravlek
