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
#include "app/window/ostrel.h"
#include "app/window/page_control.h"
#include "app/window/picture_box.h"
#include "dictionary/fanqie_synthesis_text.h"
#include "dictionary/window/lookup_page.h"
#include "dictionary/window/synthesis_field.h"

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
  auto* memo = MakeControl<QPlainTextEdit>(parent, name, units, left, top, width, height);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  // Tab moves on to the next control, as in every field of the window.
  memo->setTabChangesFocus(true);
  return memo;
}

QProgressBar* MakeProgressBar(QWidget* parent, const char* name, const DesignUnits& units, int left,
                              int top, int width, int height) {
  auto* bar = MakeControl<QProgressBar>(parent, name, units, left, top, width, height);
  bar->setTextVisible(false);
  bar->setRange(0, 100);
  bar->setValue(0);
  return bar;
}

QWidget* MakePage(TOstrel& window, const char* name, const QString& caption) {
  auto* page = new QWidget;
  page->setObjectName(QString::fromLatin1(name));
  window.TntTabControl1->addTab(page, caption);
  return page;
}

// A picture drawn at its own size from the top-left corner, one picture pixel to one pixel of the
// screen, shrunk proportionally only when it is larger than its box. Below the design density the
// whole layout shrinks, so the picture shrinks with it (never past its designed size): drawn only
// to fit its box, it would reach under the controls beside it.
void ShowPictureAtOwnSize(QLabel* label, const QPixmap& picture, const DesignUnits& units) {
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  const qreal ratio = label->devicePixelRatioF();
  const QSize designed(units.Px(picture.width()), units.Px(picture.height()));
  QSize box = label->size();
  if (designed.width() * ratio < picture.width()) box = box.boundedTo(designed);
  label->setPixmap(PictureForBox(picture, box, ratio, false));
}

// A picture stretched to fill its box, drawn from the screen's own pixels.
void ShowPictureStretched(QLabel* label, const QPixmap& picture) {
  label->setPixmap(PictureForBox(picture, label->size(), label->devicePixelRatioF(), true));
}

}  // namespace

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

  auto* pages = MakeControl<PageControl>(&window, "TntTabControl1", units, 7, -5, 1151, 636);
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

  LayOutEditorPage(window, units);
  LayOutConversionPage(window, units);
  LayOutVersionPage(window, units);
  LayOutFanqiePage(window, units);
  LayOutResourcePages(window, units);
  pages->setCurrentWidget(window.TntTabSheet1);
}

void LayOutEditorPage(TOstrel& window, const DesignUnits& units) {
  QWidget* page = window.TntTabSheet2;
  window.Image1 = MakeControl<QLabel>(page, "Image1", units, 16, 96, 961, 505);
  ShowPictureAtOwnSize(window.Image1, QPixmap(QStringLiteral(":/pictures/editor_hints.jpg")),
                       units);
  window.TntBitBtn_Spell =
      MakeControl<QPushButton>(page, "TntBitBtn_Spell", units, 773, 104, 185, 166);
  window.TntBitBtn_Spell->setText(QStringLiteral("啟動注音編稿程式"));
  window.TntImage1 = MakeControl<QLabel>(page, "TntImage1", units, 802, 276, 156, 301);
  ShowPictureStretched(window.TntImage1,
                       QPixmap(QStringLiteral(":/pictures/annotated_sample.jpg")));
}

void LayOutConversionPage(TOstrel& window, const DesignUnits& units) {
  QWidget* page = window.TntTabSheet3;
  window.TntMemo3 = MakeMemo(page, "TntMemo3", units, 16, 16, 1089, 209);
  window.TntButton5 = MakeControl<QPushButton>(page, "TntButton5", units, 16, 231, 113, 28);
  window.TntButton5->setText(QStringLiteral("例文說明"));
  window.TntCheckBox2 = MakeControl<QCheckBox>(page, "TntCheckBox2", units, 368, 231, 97, 27);
  window.TntCheckBox2->setText(QStringLiteral("轉古音"));
  window.TntCheckBox3 = MakeControl<QCheckBox>(page, "TntCheckBox3", units, 471, 231, 122, 23);
  window.TntCheckBox3->setText(QStringLiteral("轉白話音"));
  window.TntCheckBox4 = MakeControl<QCheckBox>(page, "TntCheckBox4", units, 625, 227, 113, 34);
  window.TntCheckBox4->setText(QStringLiteral("音類標註"));
  window.TntCheckBox4->setChecked(true);
  window.TntCheckBox1 = MakeControl<QCheckBox>(page, "TntCheckBox1", units, 744, 231, 161, 28);
  window.TntCheckBox1->setText(QStringLiteral("換字 with 。"));
  window.TntCheckBox1->setChecked(true);
  window.TntButton1 = MakeControl<QPushButton>(page, "TntButton1", units, 942, 231, 139, 28);
  window.TntButton1->setText(QStringLiteral("開始轉拼音"));
  // The one free place of the button row, between the sample button and the class boxes: 輸出注音
  // and 格律檢查.
  window.RubyExport_TntButton =
      MakeControl<QPushButton>(page, "RubyExport_TntButton", units, 135, 231, 113, 28);
  window.RubyExport_TntButton->setText(QStringLiteral("輸出注音"));
  window.Metre_TntButton =
      MakeControl<QPushButton>(page, "Metre_TntButton", units, 254, 231, 108, 28);
  window.Metre_TntButton->setText(QStringLiteral("格律檢查"));
  window.TntMemo4 = MakeMemo(page, "TntMemo4", units, 16, 280, 1089, 193);
  window.TntProgressBar1 = MakeProgressBar(page, "TntProgressBar1", units, 16, 496, 1049, 21);
  window.TntProgressBar1->hide();
  // A status line as on the fanqie page, in the free space along the page's bottom.
  window.Convert_TntStatusBar =
      MakeControl<QStatusBar>(page, "Convert_TntStatusBar", units, 0, 560, 1143, 40);
  window.Convert_TntStatusBar->setSizeGripEnabled(false);
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

void LayOutFanqiePage(TOstrel& window, const DesignUnits& units) {
  QWidget* page = window.TntTabSheet5;
  window.TntLabel2 = MakeControl<QLabel>(page, "TntLabel2", units, 16, 13, 697, 20);
  window.TntLabel2->setText(
      QStringLiteral("請輸入有 [反]或者[切] 並其前有二字漢字之文字, 此功能將輔助汝切音。"));
  window.TntMemo1 = MakeMemo(page, "TntMemo1", units, 16, 39, 1049, 225);
  window.TntMemo1->setFont(units.Font(QStringLiteral("細明體-ExtB"), 23));
  window.TntButton4 = MakeControl<QPushButton>(page, "TntButton4", units, 568, 263, 135, 25);
  window.TntButton4->setText(QStringLiteral("使用範例說明"));
  window.TntButton3 = MakeControl<QPushButton>(page, "TntButton3", units, 789, 263, 115, 25);
  window.TntButton3->setText(QStringLiteral("頂面欄清空"));
  window.TntButton2 = MakeControl<QPushButton>(page, "TntButton2", units, 910, 263, 155, 25);
  window.TntButton2->setText(QStringLiteral("反.切音粹取"));
  window.TntMemo2 = MakeMemo(page, "TntMemo2", units, 16, 302, 473, 275);
  window.TntMemo2->setFont(units.Font(QStringLiteral("細明體"), 23));
  window.TntStatusBar1 = MakeControl<QStatusBar>(page, "TntStatusBar1", units, 0, 560, 1143, 40);
  window.TntStatusBar1->setSizeGripEnabled(false);
  // The synthesis: its check box just below TntButton2, its output in the free space to the
  // right of TntMemo2 (ending above the status bar).
  window.Synth_TntCheckBox =
      MakeControl<QCheckBox>(page, "Synth_TntCheckBox", units, 910, 290, 155, 24);
  window.Synth_TntCheckBox->setText(QStringLiteral("自動拼切"));
  window.Synth_TntMemo = MakeMemo(page, "Synth_TntMemo", units, 497, 318, 568, 239);
  window.Synth_TntMemo->setFont(units.Font(QStringLiteral("細明體"), 17));
  window.Synth_TntMemo->setReadOnly(true);
  PrepareSynthesisField(window.Synth_TntMemo);
  window.Synth_TntCheckBox->setToolTip(FanqieStepsLegend());
}

void LayOutResourcePages(TOstrel& window, const DesignUnits& units) {
  struct Place {
    QWidget* page;
    QWebEngineView** view;
    const char* name;
    int left;
    int top;
  };
  const Place places[] = {
      {window.TntTabSheet6, &window.A_WebBrowser, "A_WebBrowser", 0, 16},
      {window.TntTabSheet7, &window.B_WebBrowser, "B_WebBrowser", 8, 24},
      {window.TntTabSheet8, &window.C_WebBrowser, "C_WebBrowser", 16, 32},
      {window.TntTabSheet9, &window.D_WebBrowser, "D_WebBrowser", 24, 40},
  };
  for (const Place& place : places) {
    *place.view = MakeControl<QWebEngineView>(place.page, place.name, units, place.left, place.top,
                                              1065, 538);
  }
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
  QWidget* const chain[] = {
      // page 0
      lookup->TntEdit2, lookup->TntEdit1_spell_Search, lookup->ComboBox2, lookup->ComboBox1,
      lookup->TntDBGrid2, lookup->TntDBMemo1, lookup->TntDBMemo2,
      // page 1
      window.TntBitBtn_Spell,
      // page 2
      window.TntMemo3, window.TntButton5, window.RubyExport_TntButton, window.TntCheckBox2,
      window.TntCheckBox3, window.TntCheckBox4, window.TntCheckBox1, window.TntButton1,
      window.TntMemo4,
      // page 3
      window.ReleaseNote_TntMemo, window.upgrade_ver_TntMemo,
      // page 4
      window.TntMemo1, window.TntButton4, window.TntButton3, window.TntButton2,
      window.Synth_TntCheckBox, window.TntMemo2, window.Synth_TntMemo,
      // pages 5 to 8
      window.A_WebBrowser, window.B_WebBrowser, window.C_WebBrowser, window.D_WebBrowser,
      // the update buttons
      window.DL_TntButton, window.DL_NEXTTIME_TntButton};
  QWidget* previous = nullptr;
  for (QWidget* widget : chain) {
    if (previous && widget) QWidget::setTabOrder(previous, widget);
    if (widget) previous = widget;
  }
}

}  // namespace ravlek
