// 輸出注音 in the real window (offscreen): the preview and its choice of readings, saving as a
// desktop program saves, and the PDF that the HTML engine prints, checked from its text boxes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRawFont>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>
#include <QTimer>
#include <functional>

#include "app/window/ostrel.h"
#include "build_paths.h"
#include "dictionary/tailo.h"
#include "romanize/handout_layout.h"
#include "romanize/window/conversion_page.h"
#include "romanize/window/ruby_preview.h"
#include "tests/support/corpus_texts.h"
#include "tests/support/dictionary_fixture.h"
#include "tests/support/ruby_pdf_geometry.h"
#include "tests/support/window/window_in_app_folder.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

test::FixtureRow Row(const QString& word, const QString& ptype, const QString& spell,
                     const QString& rhyme = {}) {
  return {
      {u"HanWord"_s, word}, {u"Ptype"_s, ptype}, {u"HanSpell"_s, spell}, {u"PoemRhyme"_s, rhyme}};
}

test::FixtureDictionary HandoutDictionary() {
  test::FixtureDictionary d;
  d.ravlekRows = {
      Row(u"君"_s, u"通"_s, u"kun1"_s),
      Row(u"不"_s, u"文"_s, u"put4"_s),
      Row(u"見"_s, u"文"_s, u"hian7"_s, u"去聲十七霰"_s),
      Row(u"見"_s, u"白"_s, u"kinn3"_s),
      Row(u"見"_s, u"文"_s, u"kian3"_s, u"去聲十七霰"_s),
      Row(u"將"_s, u"文"_s, u"tsiong1"_s, u"下平七陽"_s),
      Row(u"將"_s, u"文"_s, u"tsiong3"_s, u"去聲二十三漾"_s),
      Row(u"將"_s, u"文"_s, u"tshiong1"_s, u"下平七陽"_s),
      Row(u"進"_s, u"通"_s, u"tsin3"_s),
      Row(u"酒"_s, u"通"_s, u"tsiu2"_s),
      Row(u"爲"_s, u"文"_s, u"ui5"_s),
      Row(u"樂"_s, u"文"_s, u"gak8"_s, u"入聲三覺"_s),
      Row(u"樂"_s, u"文"_s, u"lok8"_s, u"入聲十藥"_s),
      Row(u"天"_s, u"通"_s, u"thian1"_s),
      Row(u"天"_s, u"白"_s, u"thinn1"_s),
      Row(u"殘"_s, u"文"_s, u"tsan5"_s),
      Row(u"春"_s, u"通"_s, u"tshun1"_s),
      Row(u"看"_s, u"文"_s, u"khan3"_s, u"去聲十五翰"_s),
      Row(u"看"_s, u"文"_s, u"khan1"_s, u"上平十四寒"_s),
  };
  return d;
}

// What a file dialog offered when it opened: its folder, file type and name.
struct Offered {
  QString folder;
  QString filter;
  QString name;
};

// Answers the next file dialog with `path`, as a user typing the name would; `offered` receives
// what the dialog offered.
void AnswerFileDialog(const QString& path, const QString& filter = {}, Offered* offered = nullptr) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, timer, [timer, path, filter, offered] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    timer->stop();
    timer->deleteLater();
    // Typed into the name field: selectFile() leaves the field alone once it has the focus.
    auto* name = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s);
    EXPECT_NE(name, nullptr);
    if (offered) {
      *offered = {dialog->directory().absolutePath(), dialog->selectedNameFilter(),
                  name ? name->text() : QString()};
    }
    if (!filter.isEmpty()) dialog->selectNameFilter(filter);
    if (name) name->setText(path);
    static_cast<QDialog*>(dialog)->accept();  // as the dialog's save button does
  });
  timer->start(20);
}

// Answers the dialog's question whether to replace an existing file with Yes.
void AnswerReplaceYes() {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, timer, [timer] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    timer->stop();
    timer->deleteLater();
    box->button(QMessageBox::Yes)->click();
  });
  timer->start(20);
}

// Presses 輸出注音 and runs `act` on the dialog once it shows; the dialog is closed after, if
// `act` left it open. False when the dialog never showed.
bool WithExportDialog(TOstrel& w, const std::function<void(QDialog&, RubyPreview&)>& act) {
  bool ran = false;
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, timer, [&, timer] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || dialog->objectName() != u"RubyExport_Dialog"_s) return;
    timer->stop();
    timer->deleteLater();
    ran = true;
    auto* preview = dialog->findChild<RubyPreview*>(u"RubyExport_Preview"_s);
    EXPECT_NE(preview, nullptr);
    if (preview) act(*dialog, *preview);
    if (dialog->isVisible()) dialog->reject();
  });
  timer->start(20);
  QTest::mouseClick(w.conversionPage()->RubyExport_TntButton, Qt::LeftButton);
  return ran;
}

class HandoutExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Start([](const QString& path) { test::WriteFixtureDictionary(path, HandoutDictionary()); });
  }

  void Start(const std::function<void(const QString&)>& dictionary) {
    started_ = std::make_unique<test::WindowInAppFolder>(dictionary);
    w = &started_->window();
    ASSERT_FALSE(w->Terminated());
    w->show();
    w->TntTabControl1->setCurrentWidget(w->TntTabSheet3);
    QApplication::processEvents();
  }

  void WithDialog(const std::function<void(QDialog&, RubyPreview&)>& act) {
    EXPECT_TRUE(WithExportDialog(*w, act));
  }

  // Saves from the open dialog under `path` (the dialog's filter `filter`).
  static void Save(QDialog& dialog, const QString& path, const QString& filter = {},
                   Offered* offered = nullptr) {
    AnswerFileDialog(path, filter, offered);
    dialog.findChild<QPushButton*>(u"RubyExport_Save"_s)->click();
  }

  // Takes the reading `reading` from the menu of the index-th readable character.
  static void Choose(RubyPreview& preview, int index, const QString& reading) {
    QMenu* menu = preview.ReadingMenu(index);
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions()) {
      if (action->data().toString() == reading) {
        action->trigger();
        delete menu;
        return;
      }
    }
    delete menu;
    ADD_FAILURE() << "no reading " << reading.toStdString();
  }

  std::unique_ptr<test::WindowInAppFolder> started_;
  TOstrel* w = nullptr;
};

QString ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST_F(HandoutExportTest, ReadingsChosenInThePreviewAreKeptAndExported) {
  w->conversionPage()->TntMemo3->setPlainText(u"君不見\n將進酒\n爲樂"_s);
  QTemporaryDir out;
  const QString path = out.filePath(u"poem.html"_s);
  WithDialog([&](QDialog& dialog, RubyPreview& preview) {
    // Every reading of 見 with its class and rhyme, the one shown checked (the phrase 不見's),
    // and why it is shown.
    QMenu* menu = preview.ReadingMenu(2);
    ASSERT_NE(menu, nullptr);
    QStringList labels;
    for (QAction* action : menu->actions())
      labels.append(action->text() + (action->isChecked() ? u" ✓"_s : QString()));
    delete menu;
    // Then why, and after a separator the submenu that keeps the reading shown for a phrase.
    EXPECT_EQ(labels,
              (QStringList{u"文  hiān (hian7)  去聲十七霰"_s, u"文  kiàn (kian3)  去聲十七霰 ✓"_s,
                           QString(), u"依據：不見 → 見 jiàn → kiàn"_s, QString(),
                           u"kiàn 記入自訂詞，以後都照此讀"_s}));
    Choose(preview, 2, u"hian7"_s);
    Choose(preview, 3, u"tshiong1"_s);
    // Enter on a character opens its menu as a click does.
    preview.SetCurrent(7);
    preview.setFocus();
    QTest::keyClick(&preview, Qt::Key_Return);
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->title(), u"樂"_s);
    for (QAction* action : popup->actions()) {
      if (action->data().toString() == u"lok8"_s) action->trigger();
    }
    popup->close();
    Save(dialog, path);
  });
  const QString html = ReadAll(path);
  EXPECT_TRUE(html.contains(u">見<rt>hiān</rt>"_s)) << html.toStdString();
  EXPECT_TRUE(html.contains(u">將<rt>tshiong</rt>"_s));
  EXPECT_TRUE(html.contains(u">樂<rt>lo̍k</rt>"_s));
  EXPECT_TRUE(w->conversionPage()->Convert_TntStatusBar->currentMessage().contains(path))
      << w->conversionPage()->Convert_TntStatusBar->currentMessage().toStdString();

  // Kept for this text while the program runs; another text starts from the chosen readings.
  WithDialog([](QDialog&, RubyPreview& preview) {
    EXPECT_EQ(preview.Text()[0].cells[2].reading, u"hian7"_s);
    EXPECT_EQ(preview.Text()[2].cells[1].reading, u"lok8"_s);
  });
  w->conversionPage()->TntMemo3->setPlainText(u"不見"_s);
  WithDialog([](QDialog&, RubyPreview& preview) {
    EXPECT_EQ(preview.Text()[0].cells[1].reading, u"kian3"_s);
  });
}

// In a regulated verse the reading its metre needs (看 khan1, listed after khan3) stands where the
// user has chosen none; a choice in the preview wins; outside such a verse, the first reading.
TEST_F(HandoutExportTest, RegulatedVerseTakesTheReadingItsMetreNeedsUnlessChosen) {
  for (const QString& table : {u"pingshui_groups.tsv"_s, u"pingshui_variants.tsv"_s}) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(RAVLEK_SOURCE_DIR "/data/pingshui/") + table,
                            QDir::current().filePath(table)));
  }
  w->conversionPage()->TntMemo3->setPlainText(
      u"行到水窮處，坐看雲起時。\n林泉多野趣，談笑有歸期。"_s);
  WithDialog([](QDialog&, RubyPreview& preview) {
    EXPECT_EQ(preview.Text()[0].cells[7].reading, u"khan1"_s);
    Choose(preview, 0, u"khan3"_s);
    EXPECT_EQ(preview.Text()[0].cells[7].reading, u"khan3"_s);
  });
  w->conversionPage()->TntMemo3->setPlainText(u"坐看雲起時"_s);
  WithDialog([](QDialog&, RubyPreview& preview) {
    EXPECT_EQ(preview.Text()[0].cells[1].reading, u"khan3"_s);
  });
}

TEST_F(HandoutExportTest, SavesLikeADesktopProgram) {
  // The user's documents folder as xdg-user-dirs names it.
  QTemporaryDir home;
  ASSERT_TRUE(QDir(home.path()).mkpath(u"config"_s));
  ASSERT_TRUE(QDir(home.path()).mkpath(u"Dokumente"_s));
  QFile dirs(home.filePath(u"config/user-dirs.dirs"_s));
  ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
  dirs.write("XDG_DOCUMENTS_DIR=\"" + home.filePath(u"Dokumente"_s).toUtf8() + "\"\n");
  dirs.close();
  qputenv("XDG_CONFIG_HOME", home.filePath(u"config"_s).toUtf8());
  const mode_t oldMask = ::umask(022);

  w->conversionPage()->TntMemo3->setPlainText(u"天殘\n\n春"_s);
  w->conversionPage()->TntCheckBox3->setChecked(true);  // 轉白話音
  QTemporaryDir out;
  Offered opened;
  WithDialog([&](QDialog& dialog, RubyPreview&) {
    Save(dialog, out.filePath(u"poem"_s), u"OpenDocument (*.odt)"_s, &opened);
  });
  EXPECT_EQ(opened.folder, home.filePath(u"Dokumente"_s));
  // The filter's suffix added; an OpenDocument file, mimetype first.
  const QString odt = out.filePath(u"poem.odt"_s);
  QFile file(odt);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly))
      << QDir(out.path()).entryList(QDir::Files | QDir::Hidden).join(u' ').toStdString();
  EXPECT_EQ(file.read(77).mid(30), QByteArray("mimetypeapplication/vnd.oasis.opendocument.text"));
  EXPECT_EQ(int(file.permissions() & 0x7777),
            int(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser |
                QFile::ReadGroup | QFile::ReadOther));
  EXPECT_EQ(w->conversionPage()->Convert_TntStatusBar->currentMessage(), u"已儲存："_s + odt);

  // Next time in the folder last used; an existing file is replaced whole, nothing left beside.
  ASSERT_TRUE(QFile(odt).copy(out.filePath(u"poem.html"_s)));
  WithDialog([&](QDialog& dialog, RubyPreview&) {
    AnswerReplaceYes();
    Save(dialog, out.filePath(u"poem.html"_s), {}, &opened);
  });
  EXPECT_EQ(opened.folder, out.path());
  EXPECT_EQ(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
            (QStringList{u"poem.html"_s, u"poem.odt"_s}));
  EXPECT_TRUE(ReadAll(out.filePath(u"poem.html"_s))
                  .contains(u"<ruby title=\"通 thian; 白 thinn\">天<rt>thian</rt></ruby>"_s));
  ::umask(oldMask);
  qunsetenv("XDG_CONFIG_HOME");
}

// The dialog stays open and says where the file went; the next save offers the type last saved
// and a name from the text's first line without its punctuation.
TEST_F(HandoutExportTest, SavingSaysWhereAndKeepsTheFileType) {
  w->conversionPage()->TntMemo3->setPlainText(u"君不見，將進酒！\n爲樂"_s);
  QTemporaryDir out;
  const QString pdf = out.filePath(u"first.pdf"_s);
  Offered first;
  Offered second;
  WithDialog([&](QDialog& dialog, RubyPreview&) {
    Save(dialog, pdf, u"PDF (*.pdf)"_s, &first);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.findChild<QLabel*>(u"RubyExport_Saved"_s)->text(), u"已儲存："_s + pdf);
  });
  WithDialog(
      [&](QDialog& dialog, RubyPreview&) { Save(dialog, out.filePath(u"second"_s), {}, &second); });
  EXPECT_EQ(first.filter, u"HTML (*.html *.htm)"_s);
  EXPECT_EQ(first.name, u"君不見將進酒"_s);
  EXPECT_EQ(second.filter, u"PDF (*.pdf)"_s);
  EXPECT_TRUE(QFile::exists(out.filePath(u"second.pdf"_s)));
}

// The rows of an image that hold ink (a pixel darker than mid-grey): first and last, -1 if none.
std::pair<int, int> InkRows(const QImage& image) {
  int first = -1;
  int last = -1;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qGray(image.pixel(x, y)) < 128) {
        if (first < 0) first = y;
        last = y;
        break;
      }
    }
  }
  return {first, last};
}

// The combining marks (glyphs without advance) among the runs, each checked to stand over its
// letter, its bottom above the letter's top.
int MarksAboveTheirLetters(const QList<QGlyphRun>& runs, const QString& text) {
  int marks = 0;
  for (const QGlyphRun& run : runs) {
    const QRawFont raw = run.rawFont();
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs);
    for (qsizetype i = 1; i < glyphs.size(); ++i) {
      if (advances[i].x() != 0) continue;
      ++marks;
      const QRectF mark = raw.boundingRect(glyphs[i]).translated(run.positions()[i]);
      const QRectF letter = raw.boundingRect(glyphs[i - 1]).translated(run.positions()[i - 1]);
      EXPECT_LE(mark.bottom(), letter.top() + 1) << text.toStdString();
      EXPECT_GE(mark.center().x(), letter.left()) << text.toStdString();
      EXPECT_LE(mark.center().x(), letter.right()) << text.toStdString();
    }
  }
  return marks;
}

// The reading band of a one-cell preview whose character has `reading`, as the preview paints it.
QImage PaintedReading(const QString& reading) {
  RubyPreview preview{QSqlDatabase()};
  HandoutStyle style;
  style.readingPt = 24;
  RubyLine line;
  line.cells.push_back({u"學"_s, 0, {{u'文', reading}}, reading});
  preview.SetText({line}, style);
  preview.resize(preview.sizeHint());
  const QImage image = preview.grab().toImage();
  // The band above the character: from the page's top margin to the reading band's bottom.
  const double scale = preview.logicalDpiX() / 72.0;
  return image.copy(0, 0, image.width(), qRound((24 + 24 * 1.3) * scale) - 1);
}

// The 8th tone's vertical line stands above its letter, in the preview (from its pixels) as in
// the glyphs it draws: an i under it shows a mark above, as the printed handout does.
TEST(HandoutPreviewTest, TheEighthToneMarkStandsAboveItsLetter) {
  struct Case {
    QString numeric;  // drawn with tone marks
    QString plain;    // the same letters without a mark
  };
  const Case cases[] = {
      {u"hak8"_s, u"hak"_s}, {u"sip8"_s, u"sip"_s}, {u"ik8"_s, u"ik"_s}, {u"gak8"_s, u"gak"_s}};
  QFont font;
  QStringList families;
  for (const char* face : kReadingFaces) families.append(QString::fromLatin1(face));
  font.setFamilies(families);
  font.setPixelSize(40);
  for (const Case& c : cases) {
    const QString marked = ToneMarkedTaiLo(c.numeric);
    EXPECT_EQ(MarksAboveTheirLetters(ReadingGlyphRuns(marked, font, nullptr), marked), 1);
    // The pixels: no ink below the letters' own, and the mark above the x-height.
    const auto [markedTop, markedBottom] = InkRows(PaintedReading(c.numeric));
    const auto [plainTop, plainBottom] = InkRows(PaintedReading(c.plain));
    ASSERT_GE(plainTop, 0);
    EXPECT_EQ(markedBottom, plainBottom) << marked.toStdString();
    EXPECT_LT(markedTop, plainTop) << marked.toStdString();
  }
}

// The reading menu shows the 8th tone's mark above its letter too (樂 ga̍k, lo̍k).
TEST_F(HandoutExportTest, TheReadingMenuShowsTheEighthToneMark) {
  w->conversionPage()->TntMemo3->setPlainText(u"樂"_s);
  WithDialog([](QDialog&, RubyPreview& preview) {
    QMenu* menu = preview.ReadingMenu(0);
    ASSERT_NE(menu, nullptr);
    int marks = 0;
    for (QAction* action : menu->actions()) {
      QTextLayout layout(action->text(), menu->font());
      layout.beginLayout();
      layout.createLine();
      layout.endLayout();
      marks += MarksAboveTheirLetters(layout.glyphRuns(), action->text());
    }
    EXPECT_EQ(marks, 2);
    delete menu;
  });
}

// Its designed 640 px where the screen has room, else no taller than the screen shows with a
// title bar (ctest runs this at 144 dpi too, where the offscreen screen is 533 px tall).
TEST_F(HandoutExportTest, TheDialogFitsTheScreen) {
  w->conversionPage()->TntMemo3->setPlainText(u"君不見"_s);
  WithDialog([](QDialog& dialog, RubyPreview&) {
    const QRect available = dialog.screen()->availableGeometry();
    const int titleBar = dialog.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    EXPECT_LE(dialog.height() + titleBar, available.height());
    EXPECT_LE(dialog.width(), available.width());
    if (available.height() >= 640 + 2 * titleBar) {
      EXPECT_EQ(dialog.height(), 640);
    }
  });
}

TEST(HandoutFacesTest, KaiForCharactersAndEveryToneMarkForReadings) {
  const QStringList families = QFontDatabase::families();
  EXPECT_TRUE(families.contains(QString::fromLatin1(kCharacterFaces[0])) ||
              families.contains(QString::fromLatin1(kCharacterFaces[1])))
      << "no Kai face installed";
  QFont face(QString::fromLatin1(kReadingFaces[0]));
  const QRawFont raw = QRawFont::fromFont(face);
  ASSERT_EQ(raw.familyName(), QString::fromLatin1(kReadingFaces[0]));
  // Acute, grave, circumflex, caron, macron, vertical line, double acute, the dot of o͘, ⁿ.
  for (const char32_t mark : {0x301, 0x300, 0x302, 0x30c, 0x304, 0x30d, 0x30b, 0x358, 0x207f})
    EXPECT_TRUE(raw.supportsCharacter(mark)) << std::hex << uint32_t(mark);
}

// The PDF that the HTML engine prints: one reading above each read character, centred over it,
// none touching.
void ExpectPdfReadingsAbove(const QString& pdf, const std::vector<RubyLine>& text,
                            const HandoutStyle& style) {
  std::vector<test::ExpectedRuby> expected;
  for (const RubyLine& line : text) {
    for (const RubyCell& cell : line.cells)
      expected.push_back({cell.character, ShownReading(cell.reading, style)});
  }
  const QString faults = test::RubyGeometryFaults(pdf, expected);
  EXPECT_TRUE(faults.isEmpty()) << faults.toStdString();
}

TEST_F(HandoutExportTest, PdfShowsEachReadingAboveItsCharacter) {
  if (const QString why = test::MissingProgram(u"pdftotext"_s, u"poppler-utils"_s); !why.isEmpty())
    GTEST_SKIP() << why.toStdString();
  w->conversionPage()->TntMemo3->setPlainText(
      u"將進酒\n\n君不見，將進酒，爲樂。 君不見天殘春將進酒爲樂君不見天殘春將進酒爲樂君不見天殘春"_s);
  QTemporaryDir out;
  std::vector<RubyLine> text;
  HandoutStyle style;
  WithDialog([&](QDialog& dialog, RubyPreview& preview) {
    dialog.findChild<QCheckBox*>(u"RubyExport_Heading"_s)->setChecked(true);
    Choose(preview, 0, u"tshiong1"_s);
    text = preview.Text();
    Save(dialog, out.filePath(u"poem.pdf"_s));
  });
  ExpectPdfReadingsAbove(out.filePath(u"poem.pdf"_s), text, style);
}

TEST(HandoutAnthologyTest, PdfOfTangShiSanBaiShouShowsEachReadingAboveItsCharacter) {
  SKIP_WITHOUT_CORPUS();
  if (const QString why = test::MissingProgram(u"pdftotext"_s, u"poppler-utils"_s); !why.isEmpty())
    GTEST_SKIP() << why.toStdString();
  test::WindowInAppFolder started([](const QString& path) {
    QFile::remove(path);
    ASSERT_TRUE(QFile::copy(test::BuiltOpenDictionary(), path));
  });
  TOstrel& w = started.window();
  ASSERT_FALSE(w.Terminated());
  w.show();
  w.TntTabControl1->setCurrentWidget(w.TntTabSheet3);
  // 唐詩三百首, and the longest paragraph of 古文觀止.
  QString longest;
  for (const QString& line : test::GuWenGuanZhiLines()) {
    if (line.size() > longest.size()) longest = line;
  }
  w.conversionPage()->TntMemo3->setPlainText(test::TangShiSanBaiShouLines().join(u'\n') +
                                             u"\n\n"_s + longest);
  QTemporaryDir out;
  std::vector<RubyLine> text;
  ASSERT_TRUE(WithExportDialog(w, [&](QDialog& dialog, RubyPreview& preview) {
    text = preview.Text();
    AnswerFileDialog(out.filePath(u"anthology.pdf"_s));
    dialog.findChild<QPushButton*>(u"RubyExport_Save"_s)->click();
  }));
  ExpectPdfReadingsAbove(out.filePath(u"anthology.pdf"_s), text, HandoutStyle());
}

// A reading kept for a phrase in the preview's menu goes into the user's own phrase file, and the
// next conversion of another text holding the phrase puts it first, in the page and the handout.
TEST_F(HandoutExportTest, AReadingKeptForAPhraseCountsInTheNextConversion) {
  ConversionPage& page = *w->conversionPage();
  const auto converted = [&](const QString& text) {
    page.TntMemo3->setPlainText(text);
    page.TntButton1Click();
    return page.TntMemo4->toPlainText().split(u'\n').value(1);
  };
  EXPECT_TRUE(converted(u"天爲樂"_s).contains(u"(文 gak8 lok8)"_s));

  page.TntMemo3->setPlainText(u"爲樂"_s);
  WithDialog([&](QDialog& dialog, RubyPreview& preview) {
    Choose(preview, 1, u"lok8"_s);
    QMenu* menu = preview.ReadingMenu(1);
    ASSERT_NE(menu, nullptr);
    auto* keep = menu->findChild<QMenu*>(u"RubyExport_KeepPhrase"_s);
    ASSERT_NE(keep, nullptr);
    EXPECT_EQ(keep->title(), u"lo̍k 記入自訂詞，以後都照此讀"_s);
    QStringList offered;
    for (QAction* action : keep->actions()) offered.append(action->text());
    EXPECT_EQ(offered, QStringList{u"爲[樂]"_s});
    keep->actions().first()->trigger();
    delete menu;
    EXPECT_EQ(dialog.findChild<QLabel*>(u"RubyExport_Saved"_s)->text(),
              u"已記入自訂詞：爲[樂] 讀 lo̍k，以後的轉換與注音都照此讀"_s);
  });
  EXPECT_EQ(ReadAll(started_->AppPath(u"user_phrases.tsv"_s)), u"詞\t讀音\t備註\n爲[樂]\tlok8\n"_s);

  EXPECT_TRUE(converted(u"天爲樂"_s).contains(u"(文 lok8 gak8)"_s));
  EXPECT_TRUE(converted(u"樂"_s).contains(u"(文 gak8 lok8)"_s));
  page.TntMemo3->setPlainText(u"天爲樂"_s);
  WithDialog([](QDialog&, RubyPreview& preview) {
    EXPECT_EQ(preview.Text()[0].cells[2].reading, u"lok8"_s);
  });
}

// 自訂詞 ▸ 匯出… writes the phrases to the file the dialog names; 匯入… keeps those of a file and
// says in a box which lines it refused and why.
TEST_F(HandoutExportTest, PhrasesAreExportedAndImportedFromThePage) {
  ConversionPage& page = *w->conversionPage();
  started_->WriteFile(u"user_phrases.tsv"_s, "詞\t讀音\t備註\n爲[樂]\tlok8\n壞行\n");
  QTemporaryDir out;
  const QString exported = out.filePath(u"mine.tsv"_s);
  AnswerFileDialog(exported);
  page.Phrases_ExportAction->trigger();
  EXPECT_EQ(ReadAll(exported), u"詞\t讀音\t備註\n爲[樂]\tlok8\n"_s);
  EXPECT_TRUE(page.Convert_TntStatusBar->currentMessage().startsWith(u"已匯出 1 條自訂詞到"_s))
      << page.Convert_TntStatusBar->currentMessage().toStdString();
  EXPECT_TRUE(page.Convert_TntStatusBar->currentMessage().contains(u"另有 1 行讀不懂"_s));

  const QString imported = out.filePath(u"theirs.tsv"_s);
  QFile file(imported);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("詞\t讀音\t備註\n君[見]\tkian3\n[見]天\tkinn1\n");
  file.close();
  started_->ForgetBoxes();
  AnswerFileDialog(imported);
  page.Phrases_ImportAction->trigger();
  EXPECT_EQ(page.Convert_TntStatusBar->currentMessage(),
            u"匯入 1 條：新增 1、取代 0、未變 0、拒收 1"_s);
  ASSERT_EQ(started_->Boxes().size(), 1);
  EXPECT_TRUE(
      started_->Boxes()[0].contains(u"第3行：「見」沒有讀音 kinn1（它有：hian7、kian3、kinn3）"_s))
      << started_->Boxes()[0].toStdString();
  EXPECT_EQ(ReadAll(started_->AppPath(u"user_phrases.tsv"_s)),
            u"詞\t讀音\t備註\n爲[樂]\tlok8\n壞行\n君[見]\tkian3\n"_s);
}

}  // namespace
}  // namespace ravlek
