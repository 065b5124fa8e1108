// The lookup page of the real window (offscreen): the grid and memos follow what is typed, and
// memo edits reach the database file on every path that leaves the row.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QImage>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStyle>
#include <QTableView>
#include <QTest>
#include <QToolTip>

#include "app/window/ostrel.h"
#include "dictionary/data_source.h"
#include "dictionary/dataset.h"
#include "dictionary/window/cut_text_tooltips.h"
#include "tests/support/app_folder_fixture.h"
#include "tests/support/dictionary_fixture.h"
#include "tests/support/window/modal_box_dismisser.h"
#include "tests/support/window/window_in_app_folder.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

test::FixtureRow Row(const QString& word, const QString& ptype, const std::optional<QString>& spell,
                     const std::optional<QString>& rhyme) {
  return {{u"HanWord"_s, word},
          {u"Ptype"_s, ptype},
          {u"HanSpell"_s, spell},
          {u"PoemRhyme"_s, rhyme},
          {u"Phone_desc"_s, u"音:"_s + word + u" "_s + spell.value_or(QString())},
          {u"Desc"_s, u"義:"_s + word}};
}

// Row order is table order; the labels in the test cases are "HanWord/HanSpell".
test::FixtureDictionary LookupDictionary() {
  test::FixtureDictionary d;
  d.ravlekRows = {
      Row(u"讚"_s, u"通"_s, u"tsan3"_s, u"去聲十五翰"_s),
      Row(u"人"_s, u"文"_s, u"jin5"_s, u"上平十一真"_s),
      Row(u"人"_s, u"白"_s, u"lang5"_s, u"上平十一真"_s),
      Row(u"東"_s, u"通"_s, u"tong1"_s, u"上平一東"_s),
      Row(u"灰"_s, u"文"_s, u"hue1"_s, u"上平十灰"_s),
      Row(u"安"_s, u"文"_s, u"an1"_s, u"上平十四寒"_s),
      Row(u"單"_s, u"通"_s, u"tan1"_s, u"上平十四寒"_s),
      Row(u"删"_s, u"白"_s, u"suann1"_s, u"上平十五删"_s),
      Row(u"讚美"_s, u"通"_s, u"tsan3-bi2"_s, std::nullopt),
      Row(u"乎"_s, u"文"_s, u""_s, u"上平七虞"_s),
      Row(u"之"_s, u"古"_s, std::nullopt, u""_s),
  };
  return d;
}

struct SearchCase;

class LookupPageTest : public ::testing::Test {
 protected:
  virtual test::FixtureDictionary Dictionary() const { return LookupDictionary(); }
  void SetUp() override {
    started_ = std::make_unique<test::WindowInAppFolder>(
        [this](const QString& path) { test::WriteFixtureDictionary(path, Dictionary()); });
    w = &started_->window();
    databasePath_ = QDir::current().filePath(u"Ravlek.db"_s);
  }
  void TearDown() override { started_.reset(); }

  // Chooses the case's class (when it names one) and types its text into its field.
  QLineEdit* Search(const SearchCase& c);

  // "HanWord/HanSpell" of every row the grid shows, top to bottom.
  QStringList GridRows() const {
    QStringList rows;
    const QAbstractItemModel* model = w->TntDBGrid2->model();
    for (int r = 0; r < model->rowCount(); ++r) {
      rows.append(model->index(r, 0).data().toString() + u"/"_s +
                  model->index(r, 2).data().toString());
    }
    return rows;
  }

  // Types text as key presses, the way a keyboard or an input method delivers it.
  void Type(QWidget* field, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
      if (text[i] == u'\n') {
        QTest::keyClick(field, Qt::Key_Return);
        continue;
      }
      const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
      QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, text.mid(i, length),
                          Qt::NoModifier);
      i += length - 1;
    }
    QApplication::processEvents();
  }

  QString StoredText(const QString& field, int rowid) const {
    QString value;
    {
      QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"check"_s);
      db.setDatabaseName(databasePath_);
      EXPECT_TRUE(db.open());
      QSqlQuery query(db);
      query.exec(u"select %1 from RavlekTable where rowid = %2"_s.arg(field).arg(rowid));
      if (query.next()) value = query.value(0).toString();
    }
    QSqlDatabase::removeDatabase(u"check"_s);
    return value;
  }

  std::unique_ptr<test::WindowInAppFolder> started_;
  TOstrel* w = nullptr;
  QString databasePath_;
};

struct SearchCase {
  const char* name;
  enum Field { Character, Spell, Rhyme } field;
  QString typed;
  QString classChoice;  // empty: leave the class box alone
  QStringList expected;
};

QLineEdit* LookupPageTest::Search(const SearchCase& c) {
  if (!c.classChoice.isEmpty()) {
    w->ComboBox2->lineEdit()->clear();
    Type(w->ComboBox2->lineEdit(), c.classChoice);
  }
  QLineEdit* field = c.field == SearchCase::Character ? w->TntEdit2
                     : c.field == SearchCase::Spell   ? w->TntEdit1_spell_Search
                                                      : w->ComboBox1->lineEdit();
  field->clear();
  Type(field, c.typed);
  return field;
}

TEST_F(LookupPageTest, EachSearchShowsThePassingRowsInTableOrder) {
  const QStringList all = {u"讚/tsan3"_s,       u"人/jin5"_s, u"人/lang5"_s, u"東/tong1"_s,
                           u"灰/hue1"_s,        u"安/an1"_s,  u"單/tan1"_s,  u"删/suann1"_s,
                           u"讚美/tsan3-bi2"_s, u"乎/"_s,     u"之/"_s};
  const std::vector<SearchCase> cases = {
      {"one character and the words it begins",
       SearchCase::Character,
       u"讚"_s,
       {},
       {u"讚/tsan3"_s, u"讚美/tsan3-bi2"_s}},
      {"blanks pasted around the character are dropped",
       SearchCase::Character,
       u" 讚\u3000"_s,
       {},
       {u"讚/tsan3"_s, u"讚美/tsan3-bi2"_s}},
      {"a quote finds nothing", SearchCase::Character, u"'"_s, {}, {}},
      {"two characters that begin a word find it",
       SearchCase::Character,
       u"讚美"_s,
       {},
       {u"讚美/tsan3-bi2"_s}},
      {"a run that begins no word: each of its characters",
       SearchCase::Character,
       u"人讚"_s,
       {},
       {u"讚/tsan3"_s, u"人/jin5"_s, u"人/lang5"_s, u"讚美/tsan3-bi2"_s}},
      {"romanisation prefix",
       SearchCase::Spell,
       u"tsan"_s,
       {},
       {u"讚/tsan3"_s, u"讚美/tsan3-bi2"_s}},
      {"blanks around the romanisation are ignored",
       SearchCase::Spell,
       u"  an1*  "_s,
       {},
       {u"安/an1"_s, u"單/tan1"_s}},
      {"final rhyme limited to the colloquial class",
       SearchCase::Spell,
       u"an1*"_s,
       u"白"_s,
       {u"單/tan1"_s}},
      {"final rhyme limited to the literary class",
       SearchCase::Spell,
       u"n5*"_s,
       u"文"_s,
       {u"人/jin5"_s}},
      {"romanisation in capitals",
       SearchCase::Spell,
       u" TSAN "_s,
       {},
       {u"讚/tsan3"_s, u"讚美/tsan3-bi2"_s}},
      {"wildcards are ordinary without the asterisk", SearchCase::Spell, u"%an"_s, {}, {}},
      {"a quote in the romanisation finds nothing", SearchCase::Spell, u"a'n"_s, {}, {}},
      {"the asterisk alone takes empty readings too",
       SearchCase::Spell,
       u"*"_s,
       {},
       all.mid(0, 10)},
      {"rhyme typed partially",
       SearchCase::Rhyme,
       u"上平十"_s,
       {},
       {u"人/jin5"_s, u"人/lang5"_s, u"灰/hue1"_s, u"安/an1"_s, u"單/tan1"_s, u"删/suann1"_s}},
      {"rhyme name", SearchCase::Rhyme, u"上平一東"_s, {}, {u"東/tong1"_s}},
      {"a quote in the rhyme box finds nothing", SearchCase::Rhyme, u"上'"_s, {}, {}},
  };
  for (const SearchCase& c : cases) {
    SCOPED_TRACE(c.name);
    test::ModalBoxDismisser boxes;
    QLineEdit* field = Search(c);
    EXPECT_EQ(field->text(), c.typed);  // nothing completed into the field
    EXPECT_EQ(GridRows(), c.expected);
    EXPECT_TRUE(boxes.Texts().isEmpty()) << boxes.Texts().join(u"\n"_s).toStdString();
    // An empty result leaves the memos blank; otherwise the first row is current.
    EXPECT_EQ(w->TntDBMemo2->toPlainText(),
              c.expected.isEmpty() ? QString() : u"義:"_s + c.expected.first().section(u'/', 0, 0));
    EXPECT_EQ(w->DataSource1->CurrentRow(), c.expected.isEmpty() ? -1 : 0);
    EXPECT_EQ(w->TntDBGrid2->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    w->ComboBox2->lineEdit()->clear();
    Type(w->ComboBox2->lineEdit(), u"全"_s);
  }
}

// A search that finds nothing says why on the page's status line, in place of a box; a run of
// characters looked up one by one says so too. A search that finds rows leaves the line empty.
TEST_F(LookupPageTest, TheStatusLineSaysWhyASearchFoundNothing) {
  ASSERT_NE(w->Lookup_TntStatus, nullptr);
  w->show();
  QApplication::processEvents();
  for (QWidget* other : std::initializer_list<QWidget*>{w->TntLabel11, w->ComboBox1, w->ComboBox2,
                                                        w->TntDBGrid2, w->TntEdit1_spell_Search}) {
    EXPECT_FALSE(w->Lookup_TntStatus->geometry().intersects(other->geometry()))
        << other->objectName().toStdString();
  }
  const std::vector<std::pair<SearchCase, QString>> cases = {
      {{"a character the dictionary lacks", SearchCase::Character, u"鬱"_s, {}, {}},
       u"字典中沒有「鬱」。"_s},
      {{"a pasted run", SearchCase::Character, u"讚鬱人"_s, {}, {}},
       u"沒有以「讚鬱人」起頭的詞，改查各字：讚、鬱、人；字典中沒有：鬱。"_s},
      {{"found", SearchCase::Character, u"讚"_s, {}, {}}, QString()},
      {{"an unknown reading", SearchCase::Spell, u"tsan9"_s, {}, {}},
       u"沒有讀音以「tsan9」起頭的字。"_s},
      // 灰 reads hue1 in the literary class only.
      {{"a final outside the class", SearchCase::Spell, u"ue1*"_s, u"白"_s, {}},
       u"沒有讀音以「ue1」結尾的字（只查通讀與白讀）。"_s},
      {{"no rhyme", SearchCase::Rhyme, u"東冬"_s, {}, {}}, u"「東冬」不是平水韻的韻目。"_s},
      {{"a rhyme without rows", SearchCase::Rhyme, u"上聲一董"_s, {}, {}},
       u"字典中沒有平水韻「上聲一董」的字。"_s},
      {{"a rhyme with rows", SearchCase::Rhyme, u"上平一東"_s, {}, {}}, QString()},
  };
  for (const auto& [c, status] : cases) {
    SCOPED_TRACE(c.name);
    test::ModalBoxDismisser boxes;
    Search(c);
    EXPECT_EQ(w->Lookup_TntStatus->text(), status);
    EXPECT_TRUE(w->Lookup_TntStatus->isVisible());
    EXPECT_TRUE(boxes.Texts().isEmpty()) << boxes.Texts().join(u"\n"_s).toStdString();
    w->ComboBox2->lineEdit()->clear();
    Type(w->ComboBox2->lineEdit(), u"全"_s);
  }
}

TEST_F(LookupPageTest, ClassChoiceAndEmptyFields) {
  Type(w->TntEdit2, u"人"_s);
  w->TntEdit2->clear();  // the empty character field shows every row with a HanWord
  QApplication::processEvents();
  EXPECT_EQ(GridRows().size(), 11);

  // Choosing 白 with an empty romanisation field: readings of the classes 通 and 白.
  w->ComboBox2->setCurrentIndex(1);  // the user picks the second item, 白
  Q_EMIT w->ComboBox2->activated(1);
  QApplication::processEvents();
  EXPECT_EQ(GridRows(), (QStringList{u"讚/tsan3"_s, u"人/lang5"_s, u"東/tong1"_s, u"單/tan1"_s,
                                     u"删/suann1"_s, u"讚美/tsan3-bi2"_s}));

  // The character filter sets the class choice back to 全.
  Type(w->TntEdit2, u"東"_s);
  EXPECT_EQ(w->ComboBox2->currentText(), u"全"_s);
  EXPECT_EQ(GridRows(), QStringList{u"東/tong1"_s});

  // The rhyme box emptied shows every row, those without a rhyme (讚美, 之) too.
  w->ComboBox1->lineEdit()->clear();
  Type(w->ComboBox1->lineEdit(), u"上"_s);
  QTest::keyClick(w->ComboBox1->lineEdit(), Qt::Key_Backspace);
  QApplication::processEvents();
  EXPECT_EQ(GridRows().size(), 11);
}

TEST_F(LookupPageTest, SelectingARowMovesTheMemos) {
  Type(w->TntEdit2, u"人"_s);
  EXPECT_EQ(w->TntDBMemo1->toPlainText(), u"音:人 jin5"_s);
  w->TntDBGrid2->setCurrentIndex(w->TntDBGrid2->model()->index(1, 3));
  QApplication::processEvents();
  EXPECT_EQ(w->DataSource1->CurrentRow(), 1);
  EXPECT_EQ(w->TntDBMemo1->toPlainText(), u"音:人 lang5"_s);
  EXPECT_EQ(w->TntDBMemo2->toPlainText(), u"義:人"_s);
}

// For each row that the window has painted with the selection colour, the number of its cells so
// painted; read from what the window last drew, not from the selection model.
std::map<int, int> PaintedSelection(TOstrel& window) {
  QApplication::processEvents();
  QTableView* grid = window.TntDBGrid2;
  const QImage image = window.screen()->grabWindow(window.winId()).toImage();
  const QList<QColor> highlight = {grid->palette().color(QPalette::Active, QPalette::Highlight),
                                   grid->palette().color(QPalette::Inactive, QPalette::Highlight)};
  // The current cell's frame is drawn in a shade of the selection colour.
  const auto IsHighlight = [&highlight](QRgb pixel) {
    for (const QColor& color : highlight) {
      if (std::abs(qRed(pixel) - color.red()) + std::abs(qGreen(pixel) - color.green()) +
              std::abs(qBlue(pixel) - color.blue()) <=
          90) {
        return true;
      }
    }
    return false;
  };
  const QPoint origin = grid->viewport()->mapTo(&window, QPoint(0, 0));
  std::map<int, int> painted;
  for (int r = 0; r < grid->model()->rowCount(); ++r) {
    for (int c = 0; c < grid->model()->columnCount(); ++c) {
      const QRect cell =
          grid->visualRect(grid->model()->index(r, c)).intersected(grid->viewport()->rect());
      if (cell.isEmpty()) continue;
      // The cell's background near its top and bottom, inside the current cell's focus frame and
      // clear of the text.
      int lit = 0;
      for (const int y : {cell.top() + 3, cell.bottom() - 3}) {
        for (int x = cell.left(); x <= cell.right(); ++x) {
          if (IsHighlight(image.pixel(origin + QPoint(x, y)))) ++lit;
        }
      }
      if (lit > cell.width()) ++painted[r];
    }
  }
  return painted;
}

int VisibleColumns(QTableView* grid) {
  int visible = 0;
  for (int c = 0; c < grid->model()->columnCount(); ++c) {
    if (grid->visualRect(grid->model()->index(0, c)).intersects(grid->viewport()->rect())) {
      ++visible;
    }
  }
  return visible;
}

// After every change of the current row, by mouse, keyboard or filter, the window shows exactly
// that row selected, across the grid.
TEST_F(LookupPageTest, TheCurrentRowIsTheOneShownSelected) {
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
  QTableView* grid = w->TntDBGrid2;
  Type(w->TntEdit1_spell_Search, u"t"_s);
  ASSERT_EQ(GridRows(),
            (QStringList{u"讚/tsan3"_s, u"東/tong1"_s, u"單/tan1"_s, u"讚美/tsan3-bi2"_s}));
  const int columns = VisibleColumns(grid);
  ASSERT_GE(columns, 5);
  const auto click = [&](int row, int column) {
    const QRect cell = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
  };
  const auto key = [&](Qt::Key k) { QTest::keyClick(grid, k); };
  struct Step {
    const char* name;
    std::function<void()> act;
    int current;
    QString memo;
  };
  const std::vector<Step> steps = {
      {"filter", [] {}, 0, u"音:讚 tsan3"_s},
      {"click", [&] { click(2, 4); }, 2, u"音:單 tan1"_s},
      {"down key", [&] { key(Qt::Key_Down); }, 3, u"音:讚美 tsan3-bi2"_s},
      {"up key", [&] { key(Qt::Key_Up); }, 2, u"音:單 tan1"_s},
      {"click the first column", [&] { click(1, 0); }, 1, u"音:東 tong1"_s},
      {"click again", [&] { click(3, 7); }, 3, u"音:讚美 tsan3-bi2"_s},
      {"filter again", [&] { Type(w->TntEdit1_spell_Search, u"o"_s); }, 0, u"音:東 tong1"_s},
  };
  for (const Step& step : steps) {
    step.act();
    QApplication::processEvents();
    EXPECT_EQ(w->DataSource1->CurrentRow(), step.current) << step.name;
    EXPECT_EQ(w->TntDBMemo1->toPlainText(), step.memo) << step.name;
    EXPECT_EQ(PaintedSelection(*w), (std::map<int, int>{{step.current, columns}})) << step.name;
  }
}

TEST_F(LookupPageTest, EditKeptWhenMovingToAnotherRow) {
  Type(w->TntEdit2, u"人"_s);
  w->TntDBMemo1->moveCursor(QTextCursor::End);
  Type(w->TntDBMemo1, u"，白話"_s);
  w->TntDBGrid2->setCurrentIndex(w->TntDBGrid2->model()->index(1, 0));
  QApplication::processEvents();
  EXPECT_EQ(StoredText(u"Phone_desc"_s, 2), u"音:人 jin5，白話"_s);
  // Back on the row, the memo shows the stored text.
  w->TntDBGrid2->setCurrentIndex(w->TntDBGrid2->model()->index(0, 0));
  QApplication::processEvents();
  EXPECT_EQ(w->TntDBMemo1->toPlainText(), u"音:人 jin5，白話"_s);
}

TEST_F(LookupPageTest, EditKeptWhenTheFilterChanges) {
  Type(w->TntEdit2, u"東"_s);
  w->TntDBMemo2->selectAll();
  Type(w->TntDBMemo2, u"東方"_s);
  Type(w->TntEdit1_spell_Search, u"t"_s);
  EXPECT_EQ(StoredText(u"Desc"_s, 4), u"東方"_s);
  // The held row carries the edit too: the grid never re-reads the table.
  w->TntEdit2->clear();
  Type(w->TntEdit2, u"東"_s);
  EXPECT_EQ(w->TntDBMemo2->toPlainText(), u"東方"_s);
}

TEST_F(LookupPageTest, EditKeptWhenTheWindowCloses) {
  Type(w->TntEdit2, u"灰"_s);
  w->TntDBMemo2->selectAll();
  Type(w->TntDBMemo2, u"灰燼\n餘燼"_s);
  EXPECT_TRUE(w->close());
  EXPECT_EQ(StoredText(u"Desc"_s, 5), u"灰燼\n餘燼"_s);
}

TEST_F(LookupPageTest, StoringAnEditShowsTheBusyPointer) {
  const auto shown = TFDQuery::OnBusy;
  ASSERT_TRUE(shown);
  std::vector<int> shapes;  // the override pointer when the store starts and when it ends
  TFDQuery::OnBusy = [&](bool busy) {
    shown(busy);
    const QCursor* cursor = QGuiApplication::overrideCursor();
    shapes.push_back(cursor ? cursor->shape() : -1);
  };
  Type(w->TntEdit2, u"人"_s);
  Type(w->TntDBMemo1, u"注"_s);
  w->TntDBGrid2->setCurrentIndex(w->TntDBGrid2->model()->index(1, 0));
  QApplication::processEvents();
  TFDQuery::OnBusy = shown;
  EXPECT_EQ(shapes, (std::vector<int>{Qt::WaitCursor, -1}));
}

TEST_F(LookupPageTest, FailedStoreIsReportedAndTheTextStays) {
  Type(w->TntEdit2, u"安"_s);
  w->TntDBMemo1->selectAll();
  Type(w->TntDBMemo1, u"新注"_s);
  {
    // Another program removes the row underneath the window.
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"other"_s);
    db.setDatabaseName(databasePath_);
    ASSERT_TRUE(db.open());
    QSqlQuery(db).exec(u"delete from RavlekTable where rowid = 6"_s);
  }
  QSqlDatabase::removeDatabase(u"other"_s);

  test::ModalBoxDismisser boxes;
  Type(w->TntEdit1_spell_Search, u"a"_s);
  ASSERT_EQ(boxes.Boxes().size(), 1);
  EXPECT_TRUE(boxes.Boxes().first().errorIcon);
  EXPECT_EQ(w->TntDBMemo1->toPlainText(), u"新注"_s);
  EXPECT_EQ(GridRows(), QStringList{u"安/an1"_s});  // the filter stays as it was

  // Closing is refused once so that the text can be copied; the next close goes through.
  EXPECT_FALSE(w->close());
  EXPECT_EQ(boxes.Boxes().size(), 2);
  EXPECT_TRUE(w->close());
}

// A row whose notes hold a no-break space, CR LF and a line separator.
class LookupMemoTest : public LookupPageTest {
 protected:
  static QString Note() { return u"音\u00A0tsan3\r\n第二行\u2028續"_s; }
  static QString Meaning() { return u"義\r\n讚\u00A0美"_s; }
  test::FixtureDictionary Dictionary() const override {
    test::FixtureDictionary d;
    d.ravlekRows = {{{u"HanWord"_s, u"讚"_s},
                     {u"Ptype"_s, u"通"_s},
                     {u"HanSpell"_s, u"tsan3"_s},
                     {u"Phone_desc"_s, Note()},
                     {u"Desc"_s, Meaning()},
                     {u"PoemRhyme"_s, u"去聲十五翰"_s},
                     {u"PtypeDesc"_s, u"廣韻、集韻、韻會、正韻并則旰切，音酇"_s}}};
    return d;
  }
};

// The tooltip a widget shows when the pointer rests at pos; empty when none shows.
QString ToolTipAt(QWidget* widget, QPoint pos) {
  QToolTip::hideText();
  EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
  QHelpEvent event(QEvent::ToolTip, pos, widget->mapToGlobal(pos));
  QApplication::sendEvent(widget, &event);
  QApplication::processEvents();
  return QToolTip::isVisible() ? QToolTip::text() : QString();
}

TEST_F(LookupMemoTest, CutTitlesAndCellsShowTheirWholeTextAsToolTip) {
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
  Type(w->TntEdit2, u"讚"_s);
  QTableView* grid = w->TntDBGrid2;
  QHeaderView* header = grid->horizontalHeader();
  const auto title = [&](int section) {
    return QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                  header->height() / 2);
  };
  const auto cell = [&](int column) {
    return grid->visualRect(grid->model()->index(0, column)).center();
  };
  struct Case {
    const char* name;
    QWidget* widget;
    QPoint pos;
    QString tip;
  };
  const std::vector<Case> cases = {
      {"whole title", header->viewport(), title(1), QString()},
      {"title of an empty column", header->viewport(), title(4),
       u"平水韻注音：依平水韻讀音標的注音符號。目前的字典沒有這項資料，所以這一欄是空的。"_s},
      {"cut cell", grid->viewport(), cell(9), u"廣韻、集韻、韻會、正韻并則旰切，音酇"_s},
      {"whole cell", grid->viewport(), cell(6), QString()},
  };
  for (const Case& c : cases) EXPECT_EQ(ToolTipAt(c.widget, c.pos), c.tip) << c.name;
  // A column made narrower than its title.
  header->resizeSection(1, 12);
  EXPECT_EQ(ToolTipAt(header->viewport(), title(1)), u"文/白(古/今)"_s) << "cut title";
  QToolTip::hideText();
}

TEST_F(LookupMemoTest, EveryTitleFitsItsColumnInTheGridsDesignedWidth) {
  QTableView* grid = w->TntDBGrid2;
  QHeaderView* header = grid->horizontalHeader();
  const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
  // The designed widths: 64 for the first column, whose width is the grid's default.
  const int designed[] = {64, 40, 125, 84, 88, 65, 159, 52, 184, 193};
  const double scale = QGuiApplication::primaryScreen()->logicalDotsPerInch() / 120.0;
  int designedTotal = 0;
  int total = 0;
  for (int section = 0; section < header->count(); ++section) {
    const QString title = grid->model()->headerData(section, Qt::Horizontal).toString();
    const QFont font =
        grid->model()->headerData(section, Qt::Horizontal, Qt::FontRole).value<QFont>();
    EXPECT_FALSE(TextIsCut(font, title, header->sectionSize(section) - 2 * margin))
        << title.toStdString() << " in " << header->sectionSize(section);
    designedTotal += qRound(designed[section] * scale);
    total += header->sectionSize(section);
  }
  EXPECT_EQ(total, designedTotal);
  // 反切下字韻, which gave up the space, still shows the longest rhyme name whole.
  const QFont rhymeFont = grid->model()->index(0, 8).data(Qt::FontRole).value<QFont>();
  EXPECT_FALSE(TextIsCut(rhymeFont, u"上聲二十一馬"_s, header->sectionSize(8) - 2 * margin));
}

TEST_F(LookupMemoTest, AnEditStoresTheTextWithOnlyTheTypedChange) {
  Type(w->TntEdit2, u"讚"_s);
  w->TntDBMemo1->moveCursor(QTextCursor::End);
  Type(w->TntDBMemo1, u"!"_s);
  // Typed and taken back: the memo holds what it was shown.
  Type(w->TntDBMemo2, u"x"_s);
  QTest::keyClick(w->TntDBMemo2, Qt::Key_Backspace);
  EXPECT_TRUE(w->close());
  EXPECT_EQ(StoredText(u"Phone_desc"_s, 1), u"音\u00A0tsan3\r\n第二行\u2028續!"_s);
  EXPECT_EQ(StoredText(u"Desc"_s, 1), u"義\r\n讚\u00A0美"_s);
}

}  // namespace
}  // namespace ravlek
