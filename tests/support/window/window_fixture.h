#pragma once
// The main window in a temporary application folder, with the boxes it shows closed and recorded.

#include <gtest/gtest.h>

#include <QStringList>
#include <memory>

#include "app/window/ostrel.h"
#include "tests/support/app_folder_fixture.h"
#include "tests/support/window/modal_box_dismisser.h"

namespace ravlek::test {

class WindowFixture : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  QString AppPath(const QString& name) const { return folder_->FilePath(name); }
  void WriteFile(const QString& name, const QByteArray& bytes) const;
  // Chooses a page as the user does, on its tab; returns when the handler is done.
  void ChooseTab(int index);
  // The texts of the boxes shown since the last ForgetBoxes().
  QStringList Boxes() const { return boxes_->Texts().mid(boxesSeen_); }
  void ForgetBoxes() { boxesSeen_ = boxes_->Texts().size(); }

  std::unique_ptr<AppFolderFixture> folder_;
  std::unique_ptr<CurrentDirGuard> inFolder_;
  std::unique_ptr<ModalBoxDismisser> boxes_;
  qsizetype boxesSeen_ = 0;
  std::unique_ptr<TOstrel> window_;
};

}  // namespace ravlek::test
