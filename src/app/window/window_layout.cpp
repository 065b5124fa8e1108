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
#include "dictionary/window/synthesis_field.h"
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

void LayOutWindow(TOstrel& window) {
  InstallFontSubstitutions();
  const DesignUnits units;
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

  LayOutLookupPage(window, units);
  LayOutEditorPage(window, units);
  LayOutConversionPage(window, units);
  LayOutVersionPage(window, units);
  LayOutFanqiePage(window, units);
  LayOutResourcePages(window, units);
  LayOutUpdateButtons(window);
  SetTabOrders(window);
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
  window.versionPage = std::make_unique<VersionPage>(window.TntTabControl1, window.TntTabSheet4,
                                                     window.TntTabSheet1, &window, units);
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
  QWidget* const chain[] = {
      // page 0
      window.TntEdit2, window.TntEdit1_spell_Search, window.ComboBox2, window.ComboBox1,
      window.TntDBGrid2, window.TntDBMemo1, window.TntDBMemo2,
      // page 1
      window.TntBitBtn_Spell,
      // page 2
      window.TntMemo3, window.TntButton5, window.RubyExport_TntButton, window.TntCheckBox2,
      window.TntCheckBox3, window.TntCheckBox4, window.TntCheckBox1, window.TntButton1,
      window.TntMemo4,
      // page 3
      window.versionPage->ReleaseNote_TntMemo, window.versionPage->upgrade_ver_TntMemo,
      // page 4
      window.TntMemo1, window.TntButton4, window.TntButton3, window.TntButton2,
      window.Synth_TntCheckBox, window.TntMemo2, window.Synth_TntMemo,
      // pages 5 to 8
      window.A_WebBrowser, window.B_WebBrowser, window.C_WebBrowser, window.D_WebBrowser,
      // the update buttons
      window.versionPage->DL_TntButton, window.versionPage->DL_NEXTTIME_TntButton};
  QWidget* previous = nullptr;
  for (QWidget* widget : chain) {
    if (previous && widget) QWidget::setTabOrder(previous, widget);
    if (widget) previous = widget;
  }
}

void SetComboText(QComboBox* box, const QString& text) {
  const int index = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  box->setCurrentIndex(index);
  if (index < 0) box->setEditText(text);
}

}  // namespace ravlek
