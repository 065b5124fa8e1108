#include <gtest/gtest.h>

#ifdef RAVLEK_MODEL_TESTER
#include <QAbstractItemModelTester>
#endif

#include "dictionary/connection.h"
#include "dictionary/data_source.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "dictionary/lookup_filters.h"
#include "tests/support/dictionary_fixture.h"

namespace {

using namespace ravlek;

test::FixtureRow Row(const char* word, const char* spell, const char* note) {
  return {{"HanWord", QString::fromUtf8(word)},
          {"Ptype", QStringLiteral("文")},
          {"HanSpell", QString::fromUtf8(spell)},
          {"Phone_desc", QString::fromUtf8(note)}};
}

TEST(DataSourceTest, FollowsTheDatasetAndBindsTheMemos) {
  test::FixtureDictionary dictionary;
  dictionary.ravlekRows = {Row("讚", "tsan3", "one"), Row("讚", "tsan7", "two"),
                           Row("字", "ji7", "three")};
  test::FixtureAppFolder folder(dictionary);
  TFDConnection connection;
  ASSERT_TRUE(connection.Open(folder.Path()).ok());
  TFDQuery dataset(connection, "FDQueryRavlekTable", DatasetStatement("FDQueryRavlekTable"));
  dataset.Open();

  TDataSource source(dataset, {"HanWord", "HanSpell"}, {"漢字", "台羅"});
#ifdef RAVLEK_MODEL_TESTER
  // Qt's own checks of the model's consistency (in builds that have Qt Test).
  QAbstractItemModelTester tester(&source, QAbstractItemModelTester::FailureReportingMode::Fatal);
#endif
  int resets = 0;
  QList<int> currentRows;
  QObject::connect(&source, &QAbstractItemModel::modelReset, [&] { ++resets; });
  QObject::connect(&source, &TDataSource::CurrentRowChanged,
                   [&](int row) { currentRows.append(row); });
  int updates = 0;
  source.OnUpdateData = [&] { ++updates; };

  EXPECT_EQ(source.rowCount(), 3);
  EXPECT_EQ(source.columnCount(), 2);
  EXPECT_EQ(source.headerData(1, Qt::Horizontal).toString(), "台羅");
  EXPECT_EQ(source.data(source.index(2, 1)).toString(), "ji7");
  EXPECT_FALSE(source.flags(source.index(0, 0)) & Qt::ItemIsEditable);

  dataset.FilterOff();
  dataset.SetFilter(CharacterFilter("讚"));
  dataset.FilterOn();
  EXPECT_EQ(source.rowCount(), 2);
  EXPECT_EQ(resets, 2);  // filter off, filter on
  EXPECT_EQ(currentRows.last(), 0);
  EXPECT_EQ(source.FieldText("Phone_desc"), "one");

  // Moving within the same rows is no reset; a typed memo text is stored when the row is left.
  source.FieldEdited("Phone_desc", "edited");
  source.FieldEdited("Desc", "");  // the same as the stored null: no edit
  source.SelectRow(1);
  EXPECT_EQ(resets, 2);
  EXPECT_EQ(currentRows.last(), 1);
  EXPECT_EQ(updates, 1);
  EXPECT_EQ(source.FieldText("Phone_desc"), "two");
  source.SelectRow(0);
  EXPECT_EQ(source.FieldText("Phone_desc"), "edited");
  EXPECT_EQ(updates, 1);

  dataset.FilterOff();
  dataset.SetFilter(CharacterFilter("無"));
  dataset.FilterOn();
  EXPECT_EQ(source.rowCount(), 0);
  EXPECT_EQ(source.CurrentRow(), -1);
  EXPECT_EQ(currentRows.last(), -1);
  EXPECT_EQ(source.FieldText("Phone_desc"), QString());
  source.FieldEdited("Phone_desc", "nowhere");  // no row: nothing happens
  EXPECT_FALSE(dataset.Modified());
}

}  // namespace
