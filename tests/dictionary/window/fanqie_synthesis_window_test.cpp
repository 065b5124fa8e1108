// The fanqie page's 自動拼切 in the real window (offscreen): off by default, and when checked a
// second output beside TntMemo2 while TntMemo2's own lines stay as they are.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

#include "app/window/ostrel.h"
#include "tests/support/dictionary_fixture.h"
#include "tests/support/window/window_in_app_folder.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

constexpr auto Row = test::SynthesisRow;

// The characters of the sample passage's three notations.
test::FixtureDictionary SampleDictionary() {
  test::FixtureDictionary dictionary;
  dictionary.ravlekRows = {Row(u"則"_s, u"文"_s, u"tsik4"_s, u"全清"_s, u"入聲十三職"_s),
                           Row(u"旰"_s, u"文"_s, u"kan3"_s, u"全清"_s, u"去聲十五翰"_s),
                           Row(u"租"_s, u"文"_s, u"tsoo1"_s, u"全清"_s, u"上平七虞"_s),
                           Row(u"全"_s, u"文"_s, u"tsuan5"_s, u"全濁"_s, u"下平一先"_s),
                           Row(u"縣"_s, u"文"_s, u"hian7"_s, u"全濁"_s, u"去聲十七霰"_s),
                           Row(u"縣"_s, u"白"_s, u"kuan7"_s, QString(), QString())};
  dictionary.baseWords = {{u"則"_s, u"tsik4"_s}, {u"旰"_s, u"kan3"_s}, {u"租"_s, u"tsoo1"_s}};
  dictionary.baseWordsPlus = {{u"全"_s, u"tsuan5"_s}, {u"縣"_s, u"hian7"_s}};
  return dictionary;
}

class FanqieSynthesisPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    started_ = std::make_unique<test::WindowInAppFolder>(
        [](const QString& path) { test::WriteFixtureDictionary(path, SampleDictionary()); });
    w = &started_->window();
    ASSERT_FALSE(w->Terminated());
    w->show();
    w->TntTabControl1->setCurrentWidget(w->TntTabSheet5);
    QApplication::processEvents();
  }
  std::unique_ptr<test::WindowInAppFolder> started_;
  TOstrel* w = nullptr;
};

const QString kExtraction = u"則(tsik4)旰(kan3)\n租(tsoo1)全(tsuan5)\n則(tsik4)縣(hian7)\n"_s;

TEST_F(FanqieSynthesisPageTest, OffByDefaultThePageIsAsBefore) {
  EXPECT_FALSE(w->Synth_TntCheckBox->isChecked());
  EXPECT_EQ(w->Synth_TntCheckBox->text(), u"自動拼切"_s);
  EXPECT_TRUE(w->Synth_TntMemo->isReadOnly());
  w->TntButton4->click();
  w->TntButton2->click();
  EXPECT_EQ(w->TntMemo2->toPlainText(), kExtraction);
  EXPECT_TRUE(w->Synth_TntMemo->toPlainText().isEmpty());
}

TEST_F(FanqieSynthesisPageTest, CheckedWritesTheSampleNotationsBesideTheExtraction) {
  w->Synth_TntCheckBox->click();
  w->TntButton4->click();
  w->TntButton2->click();
  EXPECT_EQ(w->TntMemo2->toPlainText(), kExtraction);
  EXPECT_EQ(w->Synth_TntMemo->toPlainText(),
            u"則旰切\ttsan3\t則 ts- · 旰 -an 去 · 則 全清 → 陰去 3 ⇒ tsan3\n"
            u"租全反\ttsuan1\t租 ts- · 全 -uan 平 · 租 全清 → 陰平 1 ⇒ tsuan1\n"
            u"則縣反\ttsian3\t則 ts- · 縣 -ian 去 · 則 全清 → 陰去 3 ⇒ tsian3\n"_s);

  // Unchecked again, the next press leaves the field empty.
  w->Synth_TntCheckBox->click();
  w->TntButton2->click();
  EXPECT_EQ(w->TntMemo2->toPlainText(), kExtraction);
  EXPECT_TRUE(w->Synth_TntMemo->toPlainText().isEmpty());
}

TEST_F(FanqieSynthesisPageTest, NewControlsSitInFreeSpace) {
  const QRect box = w->Synth_TntCheckBox->geometry();
  const QRect field = w->Synth_TntMemo->geometry();
  for (QWidget* other :
       {static_cast<QWidget*>(w->TntMemo1), static_cast<QWidget*>(w->TntMemo2),
        static_cast<QWidget*>(w->TntButton2), static_cast<QWidget*>(w->TntButton3),
        static_cast<QWidget*>(w->TntButton4), static_cast<QWidget*>(w->TntStatusBar1)}) {
    EXPECT_FALSE(box.intersects(other->geometry())) << other->objectName().toStdString();
    EXPECT_FALSE(field.intersects(other->geometry())) << other->objectName().toStdString();
  }
  EXPECT_FALSE(box.intersects(field));
  EXPECT_GT(field.left(), w->TntMemo2->geometry().right());
}

}  // namespace
}  // namespace ravlek
