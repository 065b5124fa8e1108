#pragma once
// The main window in a temporary application folder, with the boxes it shows closed and recorded.

#include <gtest/gtest.h>

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "app/ostrel.h"

namespace ravlek::test {

// Closes every modal box as soon as it shows and keeps its text.
class BoxCloser {
 public:
  BoxCloser();
  const QStringList& texts() const { return texts_; }
  void clear() { texts_.clear(); }

 private:
  QTimer timer_;
  QStringList texts_;
};

class WindowFixture : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  QString AppPath(const QString& name) const { return folder_.filePath(name); }
  void WriteFile(const QString& name, const QByteArray& bytes) const;
  // Chooses a page as the user does, on its tab, and returns when the handler is done.
  void ChooseTab(int index);

  QTemporaryDir folder_;
  QString previousFolder_;
  std::unique_ptr<BoxCloser> boxes_;
  std::unique_ptr<TOstrel> window_;
};

}  // namespace ravlek::test
