// Qt's own texts (the text fields' context menu, standard buttons) in Traditional Chinese.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTranslator>
#include <memory>

#include "app/window/qt_translations.h"

namespace {

TEST(QtTranslations, QtsOwnTextsAreTraditionalChinese) {
  QTranslator* translator = ravlek::InstallQtTranslations(*qApp);
  ASSERT_NE(translator, nullptr) << "qt6-translations-l10n is not installed";
  QPlainTextEdit memo;
  memo.setPlainText(QStringLiteral("讚"));
  memo.selectAll();
  const std::unique_ptr<QMenu> menu(memo.createStandardContextMenu());
  QStringList items;
  for (const QAction* action : menu->actions()) {
    if (!action->isSeparator()) items.append(action->text().section(QLatin1Char('\t'), 0, 0));
  }
  QMessageBox box;
  box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
  const QString ok = box.button(QMessageBox::Ok)->text();
  const QString cancel = box.button(QMessageBox::Cancel)->text();
  QCoreApplication::removeTranslator(translator);
  delete translator;

  EXPECT_EQ(items, (QStringList{QStringLiteral("復原(&U)"), QStringLiteral("重做(&R)"),
                                QStringLiteral("剪下(&T)"), QStringLiteral("複製(&C)"),
                                QStringLiteral("貼上(&P)"), QStringLiteral("刪除"),
                                QStringLiteral("全部選擇")}));
  EXPECT_EQ(ok, QStringLiteral("確定"));
  EXPECT_EQ(cancel, QStringLiteral("取消"));
}

}  // namespace
