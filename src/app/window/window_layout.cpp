#include "app/window/window_layout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>

#include "app/window/design_units.h"
#include "app/window/editor_launcher.h"
#include "app/window/ostrel.h"
#include "app/window/page_control.h"
#include "dictionary/window/fanqie_page.h"
#include "dictionary/window/lookup_page.h"
#include "pages/window/resource_pages.h"
#include "romanize/window/conversion_page.h"
#include "release/window/version_page.h"

namespace ravlek {

namespace {

constexpr int kClientWidth = 1165;
constexpr int kClientHeight = 647;

void SetTextColor(QWidget* widget, const QColor& color) {
  QPalette palette = widget->palette();
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(role, color);
  }
  widget->setPalette(palette);
}

// The window's own table: the page control takes all the room the window gains.
const DesignedPlace kPlaces[] = {
    {"TntTabControl1", {7, -5, 1151, 636}, kGrowsBoth},
};

QWidget* MakePage(TOstrel& window, const char* name, const QString& caption) {
  auto* page = new QWidget;
  page->setObjectName(QString::fromLatin1(name));
  window.TntTabControl1->addTab(page, caption);
  return page;
}

}  // namespace

LayoutTable WindowPlaces() {
  return kPlaces;
}

void FollowGrowth(TOstrel& window, QSize extra) {
  window.TntTabControl1->setGeometry(
      GrownRect(PlaceIn(kPlaces, "TntTabControl1"), DesignUnits(), extra));
}

QString WindowCaption() {
  // The system's name and its executable, as this platform names the file.
#ifdef Q_OS_WIN
  return QStringLiteral("台語Ostrel輔助系統 - Ravlek.exe");
#else
  return QStringLiteral("台語Ostrel輔助系統 - Ravlek");
#endif
}

void LayOutWindow(TOstrel& window, const DesignUnits& units) {
  InstallFontSubstitutions();
  window.setObjectName(QStringLiteral("Ostrel"));
  window.setWindowTitle(WindowCaption());
  window.setFont(units.Font(QStringLiteral("細明體"), 13));
  SetTextColor(&window, Qt::red);
  window.setContentsMargins(units.Px(3), units.Px(3), units.Px(3), units.Px(3));
  window.resize(units.Px(kClientWidth), units.Px(kClientHeight));
  window.move(0, 0);

  const QRect tabs = PlaceIn(kPlaces, "TntTabControl1").design;
  auto* pages = MakeControl<PageControl>(&window, "TntTabControl1", units, tabs.x(), tabs.y(),
                                         tabs.width(), tabs.height());
  window.TntTabControl1 = pages;
  pages->setFont(units.Font(QStringLiteral("細明體"), 20, true));
  SetTextColor(pages, Qt::black);
  pages->setUsesScrollButtons(true);

  window.TntTabSheet1 = MakePage(window, "TntTabSheet1", QStringLiteral("查漢字"));
  window.TntTabSheet2 = MakePage(window, "TntTabSheet2", QStringLiteral("切音輔助"));
  window.TntTabSheet3 = MakePage(window, "TntTabSheet3", QStringLiteral("文章轉拼音"));
  window.TntTabSheet4 = MakePage(window, "TntTabSheet4", QStringLiteral("關於(About)"));
  window.TntTabSheet5 = MakePage(window, "TntTabSheet5", QStringLiteral("TntTabSheet5"));
  window.TntTabSheet6 = MakePage(window, "TntTabSheet6", QStringLiteral("TntTabSheet6"));
  window.TntTabSheet7 = MakePage(window, "TntTabSheet7", QStringLiteral("TntTabSheet7"));
  window.TntTabSheet8 = MakePage(window, "TntTabSheet8", QStringLiteral("TntTabSheet8"));
  window.TntTabSheet9 = MakePage(window, "TntTabSheet9", QStringLiteral("TntTabSheet9"));

  pages->setCurrentWidget(window.TntTabSheet1);
}

void LayOutVersionPage(TOstrel& window, const DesignUnits& units) {
  window.versionPage = std::make_unique<VersionPage>(window.TntTabControl1, window.TntTabSheet4,
                                                     window.TntTabSheet1, &window, units);
}

void LayOutUpdateButtons(TOstrel& window) {
  // Above the page control, whatever was laid out after them.
  window.versionPage->DL_TntButton->raise();
  window.versionPage->DL_NEXTTIME_TntButton->raise();
}

void SetTabOrders(TOstrel& window) {
  // The page control comes first on the window and the update buttons after it, as they were
  // created; in between, each page's controls in reading order: row by row from the top, left to
  // right within a row. The chain starts inside the page control: ordering a widget after one of
  // its own ancestors would split the focus chain.
  const LookupPage* lookup = window.lookupPage();
  const ConversionPage* conversion = window.conversionPage();
  const FanqiePage* fanqie = window.fanqiePage();
  const ResourcePages* resources = window.resourcePages();
  QWidget* const chain[] = {
      // page 0
      lookup->TntEdit2, lookup->TntEdit1_spell_Search, lookup->ComboBox2, lookup->ComboBox1,
      lookup->TntDBGrid2, lookup->TntDBMemo1, lookup->TntDBMemo2,
      // page 1
      window.editorPage()->TntBitBtn_Spell,
      // page 2
      conversion->TntMemo3, conversion->TntButton5, conversion->RubyExport_TntButton,
      conversion->TntCheckBox2, conversion->TntCheckBox3, conversion->TntCheckBox4,
      conversion->TntCheckBox1, conversion->TntButton1, conversion->TntMemo4,
      // page 3
      window.versionPage->ReleaseNote_TntMemo, window.versionPage->upgrade_ver_TntMemo,
      // page 4
      fanqie->TntMemo1, fanqie->TntButton4, fanqie->TntButton3, fanqie->TntButton2,
      fanqie->Synth_TntCheckBox, fanqie->TntMemo2, fanqie->Synth_TntMemo,
      // pages 5 to 8
      resources->A_WebBrowser, resources->B_WebBrowser, resources->C_WebBrowser,
      resources->D_WebBrowser,
      // the update buttons
      window.versionPage->DL_TntButton, window.versionPage->DL_NEXTTIME_TntButton};
  QWidget* previous = nullptr;
  for (QWidget* widget : chain) {
    if (previous && widget) QWidget::setTabOrder(previous, widget);
    if (widget) previous = widget;
  }
}

}  // namespace ravlek
