#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGlyphRun>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRawFont>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextLayout>
#include <QWebEngineView>
#include <utility>
#include <vector>

#include "app/window/design_units.h"
#include "app/window/designed_layout.h"
#include "app/window/editor_launcher.h"
#include "app/window/ostrel.h"
#include "app/window/window_layout.h"
#include "dictionary/window/fanqie_page.h"
#include "dictionary/window/lookup_page.h"
#include "pages/window/resource_pages.h"
#include "release/window/version_page.h"
#include "romanize/window/conversion_page.h"
#include "tests/support/window/window_in_app_folder.h"

namespace {

using ravlek::test::WindowInAppFolder;

TEST(DesignUnits, ScaleFromTheDesignDensity) {
  const ravlek::DesignUnits at96(96.0 / 120.0);
  EXPECT_EQ(at96.Px(1165), 932);
  EXPECT_EQ(at96.Px(647), 518);
  EXPECT_EQ(at96.Font(QStringLiteral("細明體"), 20).pixelSize(), 16);
  EXPECT_EQ(at96.Rect(7, -5, 1151, 636), QRect(6, -4, 921, 509));
}

// The layout tables the pages are made from, and the look of every control. At the designed size
// every control stands where its table puts it, with its text, font, colour and initial state as
// designed; a larger window lets grids, text areas and web views grow and keeps the rest beside
// them, labels as large as their text keep it whole; the window never gets smaller than designed.
TEST(WindowLayout, ControlsFollowTheTablesAndAGrowingWindow) {
  WindowInAppFolder started;
  TOstrel& window = started.window();
  const ravlek::DesignUnits units;
  const std::vector<ravlek::LayoutTable> tables = {
      ravlek::WindowPlaces(),       ravlek::LookupPage::Places(),
      ravlek::EditorPage::Places(), ravlek::ConversionPage::Places(),
      ravlek::FanqiePage::Places(), ravlek::ResourcePages::Places(),
      ravlek::VersionPage::Places()};
  const auto checkPlaces = [&](QSize extra) {
    for (const ravlek::LayoutTable& table : tables) {
      for (const ravlek::DesignedPlace& place : table) {
        SCOPED_TRACE(place.name);
        auto* widget = window.findChild<QWidget*>(QString::fromLatin1(place.name));
        ASSERT_NE(widget, nullptr);
        const QRect expected = ravlek::GrownRect(place, units, extra);
        if (place.sizedToText) {
          EXPECT_EQ(widget->pos(), expected.topLeft());
          // A label whose text was set after its design keeps all of it.
          if (!widget->isHidden()) {
            EXPECT_GE(widget->width(), widget->sizeHint().width());
          }
        } else {
          EXPECT_EQ(widget->geometry(), expected);
        }
      }
    }
  };
  const QSize designed = window.size();
  EXPECT_EQ(designed, QSize(units.Px(1165), units.Px(647)));
  checkPlaces(QSize(0, 0));

  // What the tables do not hold: each control's text, font, colour and initial state.
  enum : int { kHidden = 1, kDisabled = 2, kChecked = 4 };
  struct Look {
    const char* name;
    const char* text;  // nullptr: no text of its own, or one that start-up replaces
    const char* family;
    int pixels;
    bool bold;
    Qt::GlobalColor color;
    int state;
  };
  const Look looks[] = {
      {"TntTabControl1", nullptr, "細明體", 20, true, Qt::black, 0},
      {"A_WebBrowser", nullptr, "細明體", 20, true, Qt::black, 0},
      {"B_WebBrowser", nullptr, "細明體", 20, true, Qt::black, 0},
      {"C_WebBrowser", nullptr, "細明體", 20, true, Qt::black, 0},
      {"D_WebBrowser", nullptr, "細明體", 20, true, Qt::black, 0},
      {"TntLabel1", "查單箇漢字", "新細明體", 20, true, Qt::black, 0},
      {"TntEdit2", "", "標楷體", 20, false, Qt::black, 0},
      {"TntLabel8", "台羅查詢 : ", "新細明體", 20, true, Qt::black, 0},
      {"TntEdit1_spell_Search", "", "標楷體", 20, false, Qt::black, 0},
      {"ComboBox2", "全", "Tahoma", 13, false, Qt::black, 0},
      {"TntLabel11", "( an 表an開頭之字; an1* 表示所有尾韻 an1之字)", "新細明體", 17, true,
       Qt::black, 0},
      {"ComboBox1", "平水韻查詢", "新細明體", 20, false, Qt::black, 0},
      {"TntDBGrid2", nullptr, "細明體", 20, false, Qt::black, 0},
      {"TntDBMemo1", nullptr, "細明體", 20, false, Qt::black, 0},
      {"TntDBMemo2", nullptr, "細明體", 20, false, Qt::black, 0},
      {"Image1", nullptr, "細明體", 20, true, Qt::black, 0},
      {"TntBitBtn_Spell", "啟動注音編稿程式", "細明體", 20, true, Qt::black, 0},
      {"TntImage1", nullptr, "細明體", 20, true, Qt::black, 0},
      {"TntMemo3", nullptr, "細明體", 20, true, Qt::black, 0},
      {"TntButton5", "例文說明", "細明體", 20, true, Qt::black, 0},
      {"TntCheckBox2", "轉古音", "細明體", 20, true, Qt::black, 0},
      {"TntCheckBox3", "轉白話音", "細明體", 20, true, Qt::black, 0},
      {"TntCheckBox4", "音類標註", "細明體", 20, true, Qt::black, kChecked},
      {"TntCheckBox1", "換字 with 。", "細明體", 20, true, Qt::black, kChecked},
      {"TntButton1", "開始轉拼音", "細明體", 20, true, Qt::black, 0},
      {"TntMemo4", nullptr, "細明體", 20, true, Qt::black, 0},
      {"TntProgressBar1", nullptr, "細明體", 20, true, Qt::black, kHidden},
      {"TntStaticSYS_Ver0", "System Version :   ", "細明體", 20, true, Qt::black, 0},
      {"system_ver", nullptr, "細明體", 20, true, Qt::black, 0},
      {"TntStaticBD_Ver", "DataBase Version :    ", "細明體", 20, true, Qt::black, 0},
      {"database_ver", nullptr, "細明體", 20, true, Qt::black, 0},
      // The test program's own release server announces no update: the release notes show.
      {"ReleaseNote_TntMemo", nullptr, "細明體", 20, true, Qt::black, 0},
      {"TntLabel3", "TntLabel3", "細明體", 20, true, Qt::red, kHidden},
      {"TntLabel4", "TntLabel4", "細明體", 20, true, Qt::black, kHidden},
      {"DL_upgrade_TntProgressBar", nullptr, "細明體", 20, true, Qt::black, kHidden},
      {"DL_Status", " Download Status :", "細明體", 20, true, Qt::black, kHidden},
      {"TntLabel5", "TntLabel5", "細明體", 20, true, Qt::black, kHidden},
      {"TntLabel6", "TntLabel6", "細明體", 20, true, Qt::black, kHidden},
      {"upgrade_ver_TntMemo", nullptr, "細明體", 20, true, Qt::black, kHidden},
      {"DL_TntButton", "下載(download)安裝", "細明體", 13, false, Qt::red, kHidden},
      {"DL_NEXTTIME_TntButton", "稍後更新", "細明體", 13, false, Qt::red, kHidden},
      {"TntLabel2", "請輸入有 [反]或者[切] 並其前有二字漢字之文字, 此功能將輔助汝切音。", "細明體",
       20, true, Qt::black, 0},
      {"TntMemo1", nullptr, "細明體-ExtB", 23, false, Qt::black, 0},
      {"TntButton4", "使用範例說明", "細明體", 20, true, Qt::black, 0},
      {"TntButton3", "頂面欄清空", "細明體", 20, true, Qt::black, 0},
      {"TntButton2", "反.切音粹取", "細明體", 20, true, Qt::black, 0},
      {"TntMemo2", nullptr, "細明體", 23, false, Qt::black, 0},
      {"TntStatusBar1", nullptr, "細明體", 20, true, Qt::black, 0},
  };
  QStringList placed;
  for (const ravlek::LayoutTable& table : tables)
    for (const ravlek::DesignedPlace& place : table) placed.append(QString::fromLatin1(place.name));
  for (const Look& c : looks) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(placed.contains(QString::fromLatin1(c.name))) << "no layout table places it";
    auto* widget = window.findChild<QWidget*>(QString::fromLatin1(c.name));
    ASSERT_NE(widget, nullptr);
    if (c.text) {
      QString text;
      if (auto* label = qobject_cast<QLabel*>(widget)) text = label->text();
      if (auto* button = qobject_cast<QAbstractButton*>(widget)) text = button->text();
      if (auto* field = qobject_cast<QLineEdit*>(widget)) text = field->text();
      if (auto* box = qobject_cast<QComboBox*>(widget)) text = box->currentText();
      EXPECT_EQ(text, QString::fromUtf8(c.text));
    }
    const QFont font = units.Font(QString::fromUtf8(c.family), c.pixels, c.bold);
    EXPECT_EQ(widget->font().family(), font.family());
    EXPECT_EQ(widget->font().pixelSize(), font.pixelSize());
    EXPECT_EQ(widget->font().bold(), c.bold);
    EXPECT_EQ(widget->palette().color(QPalette::WindowText), QColor(c.color));
    EXPECT_EQ(widget->isHidden(), (c.state & kHidden) != 0);
    EXPECT_EQ(widget->isEnabled(), (c.state & kDisabled) == 0);
    if (auto* check = qobject_cast<QCheckBox*>(widget)) {
      EXPECT_EQ(check->isChecked(), (c.state & kChecked) != 0);
    }
  }
  EXPECT_EQ(window.lookupPage()->TntEdit2->placeholderText(), QStringLiteral("Null全查"));
  // The update buttons stand on the window itself, above the page control.
  EXPECT_EQ(window.versionPage->DL_TntButton->parentWidget(), &window);
  EXPECT_EQ(window.TntTabControl1->indexOf(window.TntTabSheet9), 8);
  EXPECT_EQ(window.font().pixelSize(), units.Px(13));
  EXPECT_EQ(window.palette().color(QPalette::WindowText), QColor(Qt::red));
  EXPECT_EQ(window.TntTabSheet1->font().family(), QStringLiteral("Tahoma"));
  EXPECT_EQ(window.pos(), QPoint(0, 0));
#ifdef Q_OS_WIN
  EXPECT_EQ(window.windowTitle(), QStringLiteral("台語Ostrel輔助系統 - Ravlek.exe"));
#else
  // The executable as this platform names it: no ".exe" where programs carry no extension.
  EXPECT_EQ(window.windowTitle(), QStringLiteral("台語Ostrel輔助系統 - Ravlek"));
#endif

  QWidget* grown[] = {
      window.lookupPage()->TntDBGrid2,        window.lookupPage()->TntDBMemo1,
      window.conversionPage()->TntMemo3,      window.conversionPage()->TntMemo4,
      window.fanqiePage()->TntMemo1,          window.fanqiePage()->Synth_TntMemo,
      window.resourcePages()->A_WebBrowser,   window.versionPage->ReleaseNote_TntMemo,
      window.versionPage->upgrade_ver_TntMemo};
  std::vector<QSize> before;
  for (QWidget* widget : grown) before.push_back(widget->size());
  window.resize(1500, 900);
  QApplication::processEvents();
  const QSize extra = window.size() - designed;
  ASSERT_GT(extra.width(), 0);
  ASSERT_GT(extra.height(), 0);
  checkPlaces(extra);
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_GT(grown[i]->width(), before[i].width()) << grown[i]->objectName().toStdString();
    EXPECT_GT(grown[i]->height(), before[i].height()) << grown[i]->objectName().toStdString();
  }

  window.resize(200, 150);
  QApplication::processEvents();
  EXPECT_EQ(window.size(), designed);
  checkPlaces(QSize(0, 0));
}

// The keyboard order: the page control, then each page's controls in reading order (row by row,
// left to right), then the two update buttons, all in one chain; Tab in a memo moves on instead
// of typing a tab, and Tab leaves the grid, whose cells the arrow keys walk.
TEST(WindowLayout, TabKeyFollowsTheReadingOrder) {
  WindowInAppFolder started;
  TOstrel& window = started.window();
  const QStringList expected = {"TntTabControl1",
                                // page 0
                                "TntEdit2", "TntEdit1_spell_Search", "ComboBox2", "ComboBox1",
                                "TntDBGrid2", "TntDBMemo1", "TntDBMemo2",
                                // page 1
                                "TntBitBtn_Spell",
                                // page 2
                                "TntMemo3", "TntButton5", "RubyExport_TntButton", "TntCheckBox2",
                                "TntCheckBox3", "TntCheckBox4", "TntCheckBox1", "TntButton1",
                                "TntMemo4",
                                // page 3
                                "ReleaseNote_TntMemo", "upgrade_ver_TntMemo",
                                // page 4
                                "TntMemo1", "TntButton4", "TntButton3", "TntButton2",
                                "Synth_TntCheckBox", "TntMemo2", "Synth_TntMemo",
                                // the window's own
                                "DL_TntButton", "DL_NEXTTIME_TntButton"};
  QStringList chain;
  QWidget* widget = window.TntTabControl1;
  do {
    if ((widget->focusPolicy() & Qt::TabFocus) && expected.contains(widget->objectName())) {
      chain.append(widget->objectName());
    }
    widget = widget->nextInFocusChain();
  } while (widget != window.TntTabControl1 && chain.size() <= expected.size());
  EXPECT_EQ(chain.join(u' ').toStdString(), expected.join(u' ').toStdString());

  window.show();
  QApplication::setActiveWindow(&window);
  // Real Tab presses walk each page in reading order.
  const std::vector<std::pair<QWidget*, QList<QWidget*>>> walks = {
      {window.TntTabSheet1,
       QList<QWidget*>() << window.lookupPage()->TntEdit2
                         << window.lookupPage()->TntEdit1_spell_Search
                         << window.lookupPage()->ComboBox2 << window.lookupPage()->ComboBox1
                         << window.lookupPage()->TntDBGrid2 << window.lookupPage()->TntDBMemo1
                         << window.lookupPage()->TntDBMemo2},
      {window.TntTabSheet3, QList<QWidget*>() << window.conversionPage()->TntMemo3
                                              << window.conversionPage()->TntButton5
                                              << window.conversionPage()->RubyExport_TntButton
                                              << window.conversionPage()->TntCheckBox2
                                              << window.conversionPage()->TntCheckBox3
                                              << window.conversionPage()->TntCheckBox4
                                              << window.conversionPage()->TntCheckBox1
                                              << window.conversionPage()->TntButton1
                                              << window.conversionPage()->TntMemo4},
      {window.TntTabSheet5,
       QList<QWidget*>() << window.fanqiePage()->TntMemo1 << window.fanqiePage()->TntButton4
                         << window.fanqiePage()->TntButton3 << window.fanqiePage()->TntButton2
                         << window.fanqiePage()->Synth_TntCheckBox << window.fanqiePage()->TntMemo2
                         << window.fanqiePage()->Synth_TntMemo},
  };
  for (const auto& [page, order] : walks) {
    window.SelectPage(page);
    order.front()->setFocus();
    for (qsizetype i = 1; i < order.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      EXPECT_EQ(QApplication::focusWidget(), order[i]) << order[i - 1]->objectName().toStdString();
    }
  }
  EXPECT_TRUE(window.lookupPage()->TntDBMemo1->toPlainText().indexOf(u'\t') < 0);
  window.close();
}

// Characters of CJK Extension B and beyond, as old dictionary passages hold them, are drawn from a
// font that has them in every field that shows classical text: no glyph is the font's box (0).
TEST(WindowLayout, ClassicalTextFieldsDrawRareCharacters) {
  WindowInAppFolder started;
  TOstrel& window = started.window();
  // Extension B (two), C, D and F, between two common characters.
  const QString text = QString::fromUcs4(U"讚𡘋𠀀𪜀𫝀𬺰切");
  for (const char* name : {"TntEdit2", "TntDBGrid2", "TntDBMemo1", "TntDBMemo2", "TntMemo3",
                           "TntMemo4", "TntMemo1", "TntMemo2"}) {
    auto* field = window.findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_NE(field, nullptr) << name;
    QTextLayout layout(text, field->font());
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    int glyphs = 0;
    for (const QGlyphRun& run : layout.glyphRuns()) {
      for (const quint32 glyph : run.glyphIndexes()) {
        ++glyphs;
        EXPECT_NE(glyph, 0u) << name << " draws a box in "
                             << run.rawFont().familyName().toStdString();
      }
    }
    EXPECT_EQ(glyphs, 7) << name;
  }
}

}  // namespace
