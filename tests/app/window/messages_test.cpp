#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include "app/window/design_units.h"
#include "app/window/messages.h"
#include "base/error.h"
#include "tests/support/app_folder_fixture.h"
#include "tests/support/window/modal_box_dismisser.h"

namespace {

using ravlek::test::ModalBoxDismisser;

TEST(ErrorReportText, FullStopIsAppendedOnlyAfterCharactersAbovePeriod) {
  struct Case {
    const char* message;
    const char* shown;
  };
  const Case cases[] = {
      {"Unable to create directory", "Unable to create directory."},
      {"Done.", "Done."},
      {"Stop!", "Stop!"},
      {"ends with a blank ", "ends with a blank "},
      {"comma,", "comma,"},                              // ',' is below '.'
      {"slash/", "slash/."},                             // '/' is above '.'
      {"字典錯誤", "字典錯誤."},                         // any CJK character is above '.'
      {"無法讀取，沒有使用。", "無法讀取，沒有使用。"},  // a full-width stop ends it already
      {"請再試一次！", "請再試一次！"},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ravlek::ErrorReportText(QString::fromUtf8(c.message)), QString::fromUtf8(c.shown))
        << c.message;
  }
}

TEST(RunHandler, ReportsErrorsWithTheFullStopRuleAndGoesOn) {
  ModalBoxDismisser dismisser;
  bool after = false;
  ravlek::RunHandler([] { throw ravlek::Error(QStringLiteral("no such table: RavlekTable")); });
  ravlek::RunHandler([] { throw std::runtime_error("plain failure"); });
  ravlek::RunHandler([] { throw ravlek::Abort(); });
  ravlek::RunHandler([&] { after = true; });
  EXPECT_TRUE(after);
  ASSERT_EQ(dismisser.Boxes().size(), 2);
  EXPECT_EQ(dismisser.Boxes()[0].text, QStringLiteral("no such table: RavlekTable."));
  EXPECT_TRUE(dismisser.Boxes()[0].errorIcon);
  EXPECT_EQ(dismisser.Boxes()[0].caption, ravlek::ApplicationTitle());
  EXPECT_EQ(dismisser.Boxes()[1].text, QStringLiteral("plain failure."));
}

TEST(MessageBoxes, ShowTheirTextAsWrittenNotAsMarkup) {
  ModalBoxDismisser dismisser;
  const QString text = QStringLiteral("<b>LastVersion.xml</b>: no <Release> element");
  ravlek::ShowPlainMessage(text);
  ravlek::ShowTimedNotice(text, QStringLiteral("caption"), 5000);
  ravlek::RunHandler([&] { throw ravlek::Error(text); });
  ASSERT_EQ(dismisser.Boxes().size(), 3);
  for (const auto& box : dismisser.Boxes()) EXPECT_TRUE(box.plainText) << box.caption.toStdString();
}

// Every box and notice is drawn in the user-interface family at the default size, also over a
// window whose own font is a Kai style.
TEST(MessageBoxes, UseTheUserInterfaceFontAtItsNormalSize) {
  ravlek::InstallFontSubstitutions();
  QWidget owner;
  owner.setFont(QFont(QStringLiteral("標楷體"), 9));
  ModalBoxDismisser dismisser;
  ravlek::ShowPlainMessage(QStringLiteral("訊息"));
  ravlek::ShowTimedNotice(QStringLiteral("通知"), QStringLiteral("caption"), 5000);
  ravlek::ShowCaptionedMessage(&owner, QStringLiteral("訊息"), QStringLiteral("caption"));
  ravlek::RunHandler([] { throw ravlek::Error(QStringLiteral("錯誤")); });
  ASSERT_EQ(dismisser.Boxes().size(), 4);
  for (const auto& box : dismisser.Boxes()) {
    EXPECT_EQ(box.fontFamily, QStringLiteral("Noto Sans CJK TC")) << box.text.toStdString();
    EXPECT_EQ(box.pointSize, QFontInfo(QApplication::font()).pointSizeF())
        << box.text.toStdString();
  }
}

TEST(ShowPlainMessage, HasNoIconAndTheApplicationTitle) {
  ModalBoxDismisser dismisser;
  ravlek::ShowPlainMessage(QStringLiteral("訊息"));
  ASSERT_EQ(dismisser.Boxes().size(), 1);
  EXPECT_EQ(dismisser.Boxes()[0].caption, QStringLiteral("app_window_tests"));
  EXPECT_FALSE(dismisser.Boxes()[0].errorIcon);
}

TEST(ShowTimedNotice, ClosesItselfWhenLeftAlone) {
  QElapsedTimer clock;
  clock.start();
  ravlek::ShowTimedNotice(QStringLiteral("text"), QStringLiteral("caption"), 100);
  EXPECT_GE(clock.elapsed(), 90);
  EXPECT_LT(clock.elapsed(), 3000);
}

TEST(ShowTimedNotice, ClosedEarlyIsFollowedByNoLateClose) {
  {
    ModalBoxDismisser dismisser(0);
    ravlek::ShowTimedNotice(QStringLiteral("text"), QStringLiteral("caption"), 300);
    ASSERT_EQ(dismisser.Boxes().size(), 1);
    EXPECT_EQ(dismisser.Boxes()[0].caption, QStringLiteral("caption"));
  }
  // A box opened after the early close must outlive the notice's time.
  bool stillOpenAfterNoticeTime = false;
  QTimer::singleShot(500, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    stillOpenAfterNoticeTime = box && box->isVisible();
    if (box) box->done(QMessageBox::Ok);
  });
  ravlek::ShowPlainMessage(QStringLiteral("waits for the user"));
  EXPECT_TRUE(stillOpenAfterNoticeTime);
}

}  // namespace
