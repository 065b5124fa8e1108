#pragma once
// The four resource pages (pages 5 to 8): each shows a page of the release's HTML folder, loaded
// anew at each visit, with a line that tells its character set. The web views take all the room
// the window gains. Each view's place is a plain widget until its page is first shown; the HTML
// engine's view is then made inside it (html_engine.h).

#include <QHash>
#include <QObject>
#include <QSize>
#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "app/window/designed_layout.h"

class QLabel;
class QWidget;

namespace ravlek {

class TWebBrowserWrapper;

// The line that tells a loaded page's character set and the encoding of its saved form.
QString PageCharsetLine(const QString& charset, const QString& encodingName);

class ResourcePages : public QObject {
  Q_OBJECT

 public:
  // Lays the four views out on their sheets (TntTabSheet6 to TntTabSheet9).
  ResourcePages(const std::array<QWidget*, 4>& sheets, const DesignUnits& units);
  ~ResourcePages() override;

  static LayoutTable Places();
  void FollowGrowth(QSize extra);

  // The page shown is `current`: a resource page among them is loaded and its line shown.
  void ShowPage(QWidget* current);
  // Waits until the page loaded last is complete and shows its character-set line.
  void ShowPageCharset();

  // The views' places; each holds the engine's view once its page has been shown.
  QWidget* A_WebBrowser = nullptr;
  QWidget* B_WebBrowser = nullptr;
  QWidget* C_WebBrowser = nullptr;
  QWidget* D_WebBrowser = nullptr;
  // The wrapper of the page loaded last.
  std::shared_ptr<TWebBrowserWrapper> fWBW;

 private:
  void PlaceCharsetLine(QWidget* page);
  // The view's place on a sheet.
  QWidget* PlaceOn(QWidget* page) const;

  std::array<QWidget*, 4> sheets_;
  DesignedLayout layout_;
  // The line under each resource page that tells the character set of the page shown.
  QHash<QWidget*, QLabel*> charsetLines_;
  // The sheet of the page loaded last.
  QWidget* shownSheet_ = nullptr;
};

}  // namespace ravlek
