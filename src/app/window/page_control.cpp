#include "app/window/page_control.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTabBar>
#include <QWheelEvent>

namespace ravlek {

namespace {

// The tab bar marks the stretch in which it handles the user's input.
class UserTabBar : public QTabBar {
 public:
  UserTabBar(PageControl* owner) : QTabBar(owner), owner_(owner) {}

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    Wrap([&] { QTabBar::mousePressEvent(event); });
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    Wrap([&] { QTabBar::mouseReleaseEvent(event); });
  }
  void keyPressEvent(QKeyEvent* event) override {
    Wrap([&] { QTabBar::keyPressEvent(event); });
  }
#if QT_CONFIG(wheelevent)
  void wheelEvent(QWheelEvent* event) override {
    Wrap([&] { QTabBar::wheelEvent(event); });
  }
#endif

 private:
  template <typename F>
  void Wrap(F&& handle) {
    owner_->BeginUserInput();
    handle();
    owner_->EndUserInput();
  }
  PageControl* owner_;
};

}  // namespace

PageControl::PageControl(QWidget* parent) : QTabWidget(parent) {
  setTabBar(new UserTabBar(this));
  tabBar()->setAttribute(Qt::WA_Hover);
  connect(this, &QTabWidget::currentChanged, this, &PageControl::OnCurrentChanged);
}

void PageControl::BeginUserInput() {
  ++userInputDepth_;
}
void PageControl::EndUserInput() {
  --userInputDepth_;
}

void PageControl::keyPressEvent(QKeyEvent* event) {
  BeginUserInput();
  QTabWidget::keyPressEvent(event);
  EndUserInput();
}

void PageControl::OnCurrentChanged(int index) {
  if (userInputDepth_ == 0) return;
  // A page that the handler selects from code is not the user's choice.
  const int depth = userInputDepth_;
  userInputDepth_ = 0;
  Q_EMIT userChangedPage(index);
  userInputDepth_ = depth;
}

}  // namespace ravlek
