#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QRegularExpression>
#include <QTextDocument>
#include <QWidget>

#include "placeholder_window.h"

namespace {

// The placeholder speaks the program's language: it names the editor, says that the package does
// not hold it and where the real editor would be placed.
TEST(SpellPlaceholder, SaysWhatTheEditorIsAndWhereItBelongs) {
  const QString program = QStringLiteral("/opt/應用程式/Ravlek_Spell");
  QWidget window;
  ravlek::spell::BuildPlaceholderWindow(window, program);
  window.show();
  auto* notice = window.findChild<QLabel*>(QStringLiteral("notice"));
  ASSERT_NE(notice, nullptr);
  EXPECT_TRUE(notice->isVisible());
  EXPECT_EQ(window.windowTitle(), QStringLiteral("編稿注音"));

  QTextDocument drawn;
  drawn.setHtml(notice->text());
  QString text = drawn.toPlainText();
  EXPECT_TRUE(text.contains(QDir::toNativeSeparators(program))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("注音編稿程式")));
  EXPECT_TRUE(text.contains(QStringLiteral("不包含在本套件中")));
  EXPECT_TRUE(text.contains(QStringLiteral("應用程式資料夾")));
  // Besides the path and the file pattern, no English words.
  text.remove(QDir::toNativeSeparators(program)).remove(QStringLiteral("*.tgb"));
  EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("[A-Za-z]{2,}"))))
      << text.toStdString();
}

}  // namespace
