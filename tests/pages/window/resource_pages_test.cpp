// The page-change handler in the real window: the download gate, the update buttons and the four
// resource pages.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include "app/window/messages.h"
#include "app/window/ostrel.h"
#include "pages/UWebBrowserWrapper/UWebBrowserWrapper.h"
#include "pages/window/resource_pages.h"
#include "pages/window/web_engine_html_view.h"
#include "release/window/version_page.h"
#include "tests/support/window/window_in_app_folder.h"

namespace ravlek::test {
namespace {

constexpr int kVersionPage = 3;
const QString kAnnounced = QStringLiteral("進版下載安裝");

class ResourcePages : public testing::Test, public WindowInAppFolder {
 protected:
  struct Page {
    int index;
    QWidget* view;
    QString file;
  };

  std::vector<Page> Pages() const {
    return {{5, window_->resourcePages()->A_WebBrowser, "RavlekBasic.html"},
            {6, window_->resourcePages()->B_WebBrowser, "MediaLink.html"},
            {7, window_->resourcePages()->C_WebBrowser, "ToolAndResource.html"},
            {8, window_->resourcePages()->D_WebBrowser, "About.html"}};
  }

  void WritePage(const QString& file, const QByteArray& bytes) const {
    WriteFile("last_release_XML/" + file, bytes);
  }

  // The engine's view in a view's place; nullptr until its page has first been shown.
  static WebEngineHtmlView* HtmlIn(QWidget* place) {
    auto* view = place->findChild<QWebEngineView*>();
    return view != nullptr ? WebEngineHtmlView::For(view) : nullptr;
  }

  static QString Shown(QWidget* view) {
    WebEngineHtmlView* html = HtmlIn(view);
    if (html == nullptr || html->Document() == nullptr) return {};
    return TWebBrowserWrapper(html).SaveToString();
  }

  QString CharsetLine(QWidget* view) const {
    auto* line = view->parentWidget()->findChild<QLabel*>("PageCharset_Line");
    return line != nullptr && line->isVisible() ? line->text() : QString();
  }

  void AnnounceUpdate(bool announced) {
    window_->TntTabControl1->setTabText(kVersionPage, announced ? kAnnounced : "版本資訊");
  }
};

TEST_F(ResourcePages, EachTabLoadsItsFileAndShowsItsCharset) {
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  for (const Page& page : Pages()) {
    WritePage(page.file,
              "\xEF\xBB\xBF<html><body><p>" + page.file.toUtf8() + " 切韻</p></body></html>");
  }
  for (const Page& page : Pages()) {
    SCOPED_TRACE(page.file.toStdString());
    ChooseTab(page.index);
    EXPECT_EQ(window_->TntTabControl1->currentIndex(), page.index);
    EXPECT_TRUE(Shown(page.view).contains(page.file + QString::fromUtf8(" 切韻")));
    EXPECT_EQ(CharsetLine(page.view), "Charset: UTF-8    Encoding: UTF8");
    // The line covers nothing of the view (its scroll bar, its edges) and lies on the page.
    const auto* line = page.view->parentWidget()->findChild<QLabel*>("PageCharset_Line");
    ASSERT_NE(line, nullptr);
    EXPECT_FALSE(line->geometry().intersects(page.view->geometry()));
    EXPECT_TRUE(page.view->parentWidget()->rect().contains(line->geometry()));
    ASSERT_TRUE(window_->resourcePages()->fWBW);
    EXPECT_EQ(window_->resourcePages()->fWBW->WebBrowser(), HtmlIn(page.view));
  }
  EXPECT_TRUE(Boxes().isEmpty()) << Boxes().join('|').toStdString();
}

TEST_F(ResourcePages, ThePageIsReadAgainAtEveryVisit) {
  WritePage("About.html", "<html><head><meta charset=\"big5\"></head><body>first</body></html>");
  ChooseTab(8);
  EXPECT_TRUE(Shown(window_->resourcePages()->D_WebBrowser).contains("first"));
  EXPECT_EQ(CharsetLine(window_->resourcePages()->D_WebBrowser),
            "Charset: Big5    Encoding: Default");

  ChooseTab(0);
  QByteArray second = "\xFF\xFE";
  for (char c : QByteArray("<html><body>second</body></html>")) second += QByteArray(1, c) + '\0';
  WritePage("About.html", second);
  ChooseTab(8);
  EXPECT_TRUE(Shown(window_->resourcePages()->D_WebBrowser).contains("second"));
  EXPECT_EQ(CharsetLine(window_->resourcePages()->D_WebBrowser),
            "Charset: UTF-16LE    Encoding: Unicode (LE)");
}

TEST_F(ResourcePages, AMissingPageIsReportedAndTheOthersStillLoad) {
  WritePage("RavlekBasic.html", "<html><body>basic</body></html>");
  ChooseTab(6);
  ASSERT_EQ(Boxes().size(), 1);
  const QString path = QDir::currentPath() + "/last_release_XML/MediaLink.html";
  EXPECT_EQ(Boxes()[0], QString("Cannot open file \"%1\". No such file or directory.").arg(path));
  // The view keeps what it showed: nothing, at the first visit.
  ASSERT_NE(HtmlIn(window_->resourcePages()->B_WebBrowser), nullptr);
  EXPECT_EQ(HtmlIn(window_->resourcePages()->B_WebBrowser)->Document(), nullptr);
  EXPECT_EQ(CharsetLine(window_->resourcePages()->B_WebBrowser), QString());

  ChooseTab(5);
  EXPECT_TRUE(Shown(window_->resourcePages()->A_WebBrowser).contains("basic"));
  EXPECT_EQ(Boxes().size(), 1);

  WritePage("MediaLink.html", "<html><body>media</body></html>");
  ChooseTab(6);
  EXPECT_TRUE(Shown(window_->resourcePages()->B_WebBrowser).contains("media"));
}

TEST_F(ResourcePages, AnUnfinishedDownloadHoldsTheUserOnTheVersionPage) {
  WritePage("About.html", "<html><body>about</body></html>");
  AnnounceUpdate(true);
  window_->versionPage->session().SetDownloadState(UpdateSession::DownloadState::kDownloading);
  window_->versionPage->DL_NEXTTIME_TntButton->show();
  for (int index : {8, 0}) {
    SCOPED_TRACE(index);
    ForgetBoxes();
    ChooseTab(index);
    EXPECT_EQ(Boxes(), QStringList{QStringLiteral(
                           "更新系統 ZIP Files曾下載到一半 出問題必須下載完畢, 請確認網路連線後再 "
                           "按[下載(download)安裝] 鈕重新下載")});
    EXPECT_EQ(window_->TntTabControl1->currentIndex(), kVersionPage);
    EXPECT_TRUE(window_->versionPage->DL_NEXTTIME_TntButton->isHidden());
    EXPECT_FALSE(window_->versionPage->DL_TntButton->isHidden());
  }
  // The page was never shown: its place holds no engine view.
  EXPECT_EQ(HtmlIn(window_->resourcePages()->D_WebBrowser), nullptr);
}

TEST_F(ResourcePages, UpdateButtonsFollowTheVersionPage) {
  AnnounceUpdate(true);
  window_->versionPage->session().SetDownloadState(UpdateSession::DownloadState::kNone);
  ChooseTab(kVersionPage);
  EXPECT_FALSE(window_->versionPage->DL_TntButton->isHidden());
  EXPECT_FALSE(window_->versionPage->DL_NEXTTIME_TntButton->isHidden());

  window_->versionPage->DL_Status->show();
  ChooseTab(4);
  EXPECT_TRUE(window_->versionPage->DL_TntButton->isHidden());
  EXPECT_TRUE(window_->versionPage->DL_NEXTTIME_TntButton->isHidden());
  EXPECT_TRUE(window_->versionPage->DL_Status->isHidden());

  // Without an announced update the version page leaves the buttons as they are.
  AnnounceUpdate(false);
  window_->versionPage->DL_TntButton->show();
  ChooseTab(kVersionPage);
  EXPECT_FALSE(window_->versionPage->DL_TntButton->isHidden());
  EXPECT_TRUE(window_->versionPage->DL_NEXTTIME_TntButton->isHidden());
  EXPECT_TRUE(Boxes().isEmpty());
}

// The handler waits for a page's load only so long: a page that has not finished by then is
// taken as it stands, and the window goes on working. (A page loaded from its file here always
// finishes; the limit is shortened below the time this large page takes.)
TEST_F(ResourcePages, TheWaitForAPageIsBounded) {
  QByteArray large = "<html><body><p>tools so far</p>\n";
  while (large.size() < 2 * 1024 * 1024) large += "<p>line of the tools page</p>\n";
  WritePage("ToolAndResource.html", large + "<p>tools end</p></body></html>");
  WritePage("About.html", "<html><body>about</body></html>");
  const int limit = LoadWaitLimitMs;
  LoadWaitLimitMs = 1;
  ChooseTab(7);
  LoadWaitLimitMs = limit;
  WebEngineHtmlView* tools = HtmlIn(window_->resourcePages()->C_WebBrowser);
  ASSERT_NE(tools, nullptr);
  EXPECT_NE(tools->ReadyState(), READYSTATE_COMPLETE);
  EXPECT_FALSE(CharsetLine(window_->resourcePages()->C_WebBrowser).isEmpty());

  QElapsedTimer waited;
  waited.start();
  while (tools->ReadyState() != READYSTATE_COMPLETE && waited.elapsed() < 20000)
    ProcessMessagesFor(20);
  EXPECT_TRUE(Shown(window_->resourcePages()->C_WebBrowser).contains("tools end"));
  ChooseTab(8);
  EXPECT_TRUE(Shown(window_->resourcePages()->D_WebBrowser).contains("about"));
  EXPECT_EQ(CharsetLine(window_->resourcePages()->D_WebBrowser),
            "Charset: windows-1252    Encoding: Default");
}

TEST_F(ResourcePages, APageChosenDuringALoadRunsInsideItAndBothFinish) {
  QByteArray large = "<html><body>";
  while (large.size() < 400 * 1024) large += "<p>line of the tools page</p>\n";
  WritePage("ToolAndResource.html", large + "<p>tools end</p></body></html>");
  WritePage("About.html", "<html><body>about</body></html>");
  // While the tools page loads, the user chooses the About page.
  bool chosen = false;
  QTimer::singleShot(0, window_.get(), [&] {
    chosen = true;
    ChooseTab(8);
  });
  ChooseTab(7);
  EXPECT_TRUE(chosen);
  // The outer run's charset step looked at the inner run's page; its own page finishes anyway.
  WebEngineHtmlView* tools = HtmlIn(window_->resourcePages()->C_WebBrowser);
  ASSERT_NE(tools, nullptr);
  QElapsedTimer waited;
  waited.start();
  while (tools->ReadyState() != READYSTATE_COMPLETE && waited.elapsed() < 20000)
    ProcessMessagesFor(20);
  EXPECT_TRUE(Shown(window_->resourcePages()->C_WebBrowser).contains("tools end"));
  EXPECT_TRUE(Shown(window_->resourcePages()->D_WebBrowser).contains("about"));
  // The newest wrapper is the inner run's.
  EXPECT_EQ(window_->resourcePages()->fWBW->WebBrowser(),
            HtmlIn(window_->resourcePages()->D_WebBrowser));
  EXPECT_FALSE(CharsetLine(window_->resourcePages()->D_WebBrowser).isEmpty());
}

}  // namespace
}  // namespace ravlek::test
