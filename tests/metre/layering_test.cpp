// The metre and the conversion are built on the dictionary side by side: the metre's core
// includes nothing of src/romanize (the conversion builds on the metre, not the other way).

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "build_paths.h"

namespace {

TEST(MetreLayering, IncludesNothingOfTheConversion) {
  const QDir folder(QStringLiteral(RAVLEK_SOURCE_DIR "/src/metre"));
  const QStringList files =
      folder.entryList({QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files);
  ASSERT_FALSE(files.isEmpty());
  const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s*\"romanize/"),
                                   QRegularExpression::MultilineOption);
  for (const QString& name : files) {
    QFile file(folder.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    EXPECT_FALSE(include.match(QString::fromUtf8(file.readAll())).hasMatch())
        << "src/metre/" << name.toStdString() << " includes a header of src/romanize";
  }
}

}  // namespace
