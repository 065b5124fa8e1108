// UnzipToFolder on archives written by libzip.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include "app/error.h"
#include "release/unzip.h"
#include "tests/support/file_bytes.h"
#include "tests/support/zip_writer.h"

using ravlek::testing::WriteZip;
using ravlek::testing::ZipMember;

namespace {

QStringList FilesUnder(const QString& folder) {
  QStringList files;
  QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) files << QDir(folder).relativeFilePath(it.next());
  files.sort();
  return files;
}

class UnzipTest : public ::testing::Test {
 protected:
  QString Path(const QString& name) const { return work_.filePath(name); }
  QTemporaryDir work_;
};

TEST_F(UnzipTest, UnpacksStoredAndDeflateMembersIntoSubFolders) {
  const QByteArray big(100000, 'x');
  ASSERT_TRUE(WriteZip(Path("a.zip"), {{"top.html", "<p>top</p>", ZIP_CM_STORE},
                                       {"pages/", ""},
                                       {"pages/deep/inner.txt", big, ZIP_CM_DEFLATE},
                                       {"empty/", ""},
                                       {"名字.txt", "字", ZIP_CM_DEFLATE}}));
  const QString out = Path("out");
  QDir().mkpath(out);
  QFile keep(out + "/keep.txt");
  ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
  keep.write("mine");
  keep.close();
  QFile longer(out + "/top.html");
  ASSERT_TRUE(longer.open(QIODevice::WriteOnly));
  longer.write("an older and much longer page than the new one");
  longer.close();

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ravlek::UnzipToFolder(Path("a.zip"), out);
    EXPECT_EQ(ReadAll(out + "/top.html"), "<p>top</p>");
    EXPECT_EQ(ReadAll(out + "/pages/deep/inner.txt"), big);
    EXPECT_EQ(ReadAll(out + "/名字.txt"), "字");
    EXPECT_EQ(ReadAll(out + "/keep.txt"), "mine");
    EXPECT_EQ(FilesUnder(out), (QStringList{"empty", "keep.txt", "pages", "pages/deep",
                                            "pages/deep/inner.txt", "top.html", "名字.txt"}));
  }
}

struct BrokenCase {
  const char* label;
  std::function<void(const QString& archive)> make;
};

TEST_F(UnzipTest, RefusesBrokenOrUnsafeArchivesWritingNothing) {
  const QString absolute = work_.filePath("outside/abs.txt");
  const std::vector<BrokenCase> cases = {
      {"missing", [](const QString&) {}},
      {"empty file",
       [](const QString& archive) {
         QFile file(archive);
         (void)file.open(QIODevice::WriteOnly);
       }},
      {"not a ZIP",
       [](const QString& archive) {
         QFile file(archive);
         (void)file.open(QIODevice::WriteOnly);
         file.write("PK but not really an archive at all");
       }},
      {"parent member",
       [](const QString& archive) {
         ASSERT_TRUE(WriteZip(archive, {{"fine.txt", "ok"}, {"../escaped.txt", "bad"}}));
       }},
      {"nested parent member",
       [](const QString& archive) {
         ASSERT_TRUE(WriteZip(archive, {{"fine.txt", "ok"}, {"a/../../escaped.txt", "bad"}}));
       }},
      {"absolute member",
       [absolute](const QString& archive) {
         ASSERT_TRUE(WriteZip(archive, {{"fine.txt", "ok"}, {absolute, "bad"}}));
       }},
  };
  for (const BrokenCase& c : cases) {
    SCOPED_TRACE(c.label);
    QTemporaryDir scratch;
    const QString archive = scratch.filePath("archive.zip");
    const QString out = scratch.filePath("sub/out");
    QDir().mkpath(out);
    c.make(archive);
    EXPECT_THROW(ravlek::UnzipToFolder(archive, out), ravlek::Error);
    EXPECT_TRUE(FilesUnder(out).isEmpty());
    EXPECT_FALSE(QFile::exists(scratch.filePath("sub/escaped.txt")));
    EXPECT_FALSE(QFile::exists(scratch.filePath("escaped.txt")));
    EXPECT_FALSE(QFile::exists(absolute));
  }
}

TEST_F(UnzipTest, RaisesOnAnUnsupportedMethod) {
  if (!zip_compression_method_supported(ZIP_CM_BZIP2, 1)) GTEST_SKIP() << "libzip without bzip2";
  ASSERT_TRUE(WriteZip(Path("b.zip"),
                       {{"first.txt", "one", ZIP_CM_STORE}, {"second.txt", "two", ZIP_CM_BZIP2}}));
  EXPECT_THROW(ravlek::UnzipToFolder(Path("b.zip"), Path("out")), ravlek::Error);
  EXPECT_EQ(ReadAll(Path("out/first.txt")), "one");  // members before the failure stay
  EXPECT_FALSE(QFile::exists(Path("out/second.txt")));
}

TEST_F(UnzipTest, RaisesWhenAMemberFileCannotBeCreated) {
  ASSERT_TRUE(WriteZip(Path("c.zip"), {{"taken", "data"}}));
  QDir().mkpath(Path("out/taken"));
  EXPECT_THROW(ravlek::UnzipToFolder(Path("c.zip"), Path("out")), ravlek::Error);
}

}  // namespace
