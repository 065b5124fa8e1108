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
#include <QWebEngineView>

#include "app/window/design_units.h"
#include "app/window/editor_launcher.h"
#include "app/window/ostrel.h"
#include "app/window/page_control.h"
#include "dictionary/window/fanqie_page.h"
#include "dictionary/window/lookup_page.h"
#include "pages/window/resource_pages.h"
#include "romanize/window/conversion_page.h"

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

QPlainTextEdit* MakeMemo(QWidget* parent, const char* name, const DesignUnits& units, int left,
                         int top, int width, int height) {
  return PrepareMemo(MakeControl<QPlainTextEdit>(parent, name, units, left, top, width, height));
}

QProgressBar* MakeProgressBar(QWidget* parent, const char* name, const DesignUnits& units, int left,
                              int top, int width, int height) {
  return PrepareProgressBar(
      MakeControl<QProgressBar>(parent, name, units, left, top, width, height));
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

  LayOutVersionPage(window, units);
  pages->setCurrentWidget(window.TntTabSheet1);
}

void LayOutVersionPage(TOstrel& window, const DesignUnits& units) {
  QWidget* page = window.TntTabSheet4;
  window.TntStaticSYS_Ver0 = MakeControl<QLabel>(page, "TntStaticSYS_Ver0", units, 64, 40, 213, 24);
  window.TntStaticSYS_Ver0->setText(QStringLiteral("System Version :   "));
  window.system_ver = MakeControl<QLabel>(page, "system_ver", units, 256, 44, 110, 20);
  window.system_ver->setText(QStringLiteral("system_ver"));
  window.TntStaticBD_Ver = MakeControl<QLabel>(page, "TntStaticBD_Ver", units, 40, 70, 246, 24);
  window.TntStaticBD_Ver->setText(QStringLiteral("DataBase Version :    "));
  window.database_ver = MakeControl<QLabel>(page, "database_ver", units, 283, 70, 132, 20);
  window.database_ver->setText(QStringLiteral("database_ver"));

  window.ReleaseNote_TntMemo = MakeMemo(page, "ReleaseNote_TntMemo", units, 16, 205, 1073, 380);
  window.ReleaseNote_TntMemo->setReadOnly(true);
  window.ReleaseNote_TntMemo->setEnabled(false);
  window.ReleaseNote_TntMemo->hide();

  window.TntLabel3 = MakeControl<QLabel>(page, "TntLabel3", units, 27, 224, 99, 20);
  window.TntLabel3->setText(QStringLiteral("TntLabel3"));
  window.TntLabel3->setFont(units.Font(QStringLiteral("細明體"), 20, true));
  SetTextColor(window.TntLabel3, Qt::red);
  window.TntLabel3->hide();
  window.TntLabel4 = MakeControl<QLabel>(page, "TntLabel4", units, 27, 246, 99, 20);
  window.TntLabel4->setText(QStringLiteral("TntLabel4"));
  window.TntLabel4->hide();

  window.DL_upgrade_TntProgressBar =
      MakeProgressBar(page, "DL_upgrade_TntProgressBar", units, 29, 272, 1044, 21);
  window.DL_upgrade_TntProgressBar->hide();
  window.DL_Status = MakeControl<QLabel>(page, "DL_Status", units, 32, 296, 198, 20);
  window.DL_Status->setText(QStringLiteral(" Download Status :"));
  window.DL_Status->hide();
  window.TntLabel5 = MakeControl<QLabel>(page, "TntLabel5", units, 29, 339, 99, 20);
  window.TntLabel5->setText(QStringLiteral("TntLabel5"));
  window.TntLabel5->hide();
  window.TntLabel6 = MakeControl<QLabel>(page, "TntLabel6", units, 32, 368, 99, 20);
  window.TntLabel6->setText(QStringLiteral("TntLabel6"));
  window.TntLabel6->hide();

  window.upgrade_ver_TntMemo = MakeMemo(page, "upgrade_ver_TntMemo", units, 16, 394, 1089, 192);
  window.upgrade_ver_TntMemo->setReadOnly(true);
  window.upgrade_ver_TntMemo->hide();
}

void LayOutUpdateButtons(TOstrel& window, const DesignUnits& units) {
  // Children of the window itself, above the page control, in the window's font and colour.
  window.DL_TntButton = MakeControl<QPushButton>(&window, "DL_TntButton", units, 746, 329, 145, 34);
  window.DL_TntButton->setText(QStringLiteral("下載(download)安裝"));
  window.DL_TntButton->hide();
  window.DL_NEXTTIME_TntButton =
      MakeControl<QPushButton>(&window, "DL_NEXTTIME_TntButton", units, 920, 329, 89, 34);
  window.DL_NEXTTIME_TntButton->setText(QStringLiteral("稍後更新"));
  window.DL_NEXTTIME_TntButton->hide();
  window.DL_TntButton->raise();
  window.DL_NEXTTIME_TntButton->raise();
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
      window.ReleaseNote_TntMemo, window.upgrade_ver_TntMemo,
      // page 4
      fanqie->TntMemo1, fanqie->TntButton4, fanqie->TntButton3, fanqie->TntButton2,
      fanqie->Synth_TntCheckBox, fanqie->TntMemo2, fanqie->Synth_TntMemo,
      // pages 5 to 8
      resources->A_WebBrowser, resources->B_WebBrowser, resources->C_WebBrowser,
      resources->D_WebBrowser,
      // the update buttons
      window.DL_TntButton, window.DL_NEXTTIME_TntButton};
  QWidget* previous = nullptr;
  for (QWidget* widget : chain) {
    if (previous && widget) QWidget::setTabOrder(previous, widget);
    if (widget) previous = widget;
  }
}

}  // namespace ravlek
