// UnzipToFolder on archives written by libzip.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "base/error.h"
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
      {"symbolic link member",
       [](const QString& archive) {
         ASSERT_TRUE(WriteZip(
             archive, {{"fine.txt", "ok"}, {"link", "/etc/passwd", ZIP_CM_STORE, 0120777}}));
       }},
      {"member beyond the package limits (1:200)",
       [](const QString& archive) {
         ASSERT_TRUE(WriteZip(archive, {{"fine.txt", "ok"}, {"zeros", QByteArray(1 << 20, 0)}}));
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
    EXPECT_THROW(ravlek::UnzipToFolder(archive, out, ravlek::PackageUnzipLimits()), ravlek::Error);
    EXPECT_TRUE(FilesUnder(out).isEmpty());
    EXPECT_FALSE(QFile::exists(scratch.filePath("sub/escaped.txt")));
    EXPECT_FALSE(QFile::exists(scratch.filePath("escaped.txt")));
    EXPECT_FALSE(QFile::exists(absolute));
  }
}

TEST_F(UnzipTest, ReplacesFilesByRenaming) {
  ASSERT_TRUE(
      WriteZip(Path("x.zip"), {{"bin/Ravlek_Start", "#!/bin/sh\n", ZIP_CM_DEFLATE, 0100755}}));
  // A file already in place, with a second name: written into, the second name would change.
  QDir().mkpath(Path("out/bin"));
  QFile old(Path("out/bin/Ravlek_Start"));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("old starter");
  old.close();
  ASSERT_EQ(::link(QFile::encodeName(Path("out/bin/Ravlek_Start")).constData(),
                   QFile::encodeName(Path("hardlink-to-old")).constData()),
            0);

  ravlek::UnzipToFolder(Path("x.zip"), Path("out"));

  EXPECT_EQ(ReadAll(Path("out/bin/Ravlek_Start")), "#!/bin/sh\n");
  EXPECT_EQ(ReadAll(Path("hardlink-to-old")), "old starter");
  EXPECT_TRUE(FilesUnder(Path("out")).filter("unzip-new").isEmpty());
}

struct ModeCase {
  const char* label;
  zip_uint32_t unixMode;  // 0: none recorded
  bool windowsMade;
  mode_t expected;  // before the umask
};

// Only the owner-execute bit of the archive counts; everything else follows the umask, so that a
// 0755 starter is installed 0755 (not 0744) and nothing comes in setuid or world-writable.
TEST_F(UnzipTest, ModesFollowTheUmaskAndOnlyTheOwnerExecuteBit) {
  const std::vector<ModeCase> cases = {
      {"0755 program", 0100755, false, 0777}, {"setuid 04777", 0104777, false, 0777},
      {"0700 program", 0100700, false, 0777}, {"0644 file", 0100644, false, 0666},
      {"0666 file", 0100666, false, 0666},    {"no mode recorded", 0, false, 0666},
      {"made on Windows", 0, true, 0666},
  };
  for (const mode_t mask : {mode_t{022}, mode_t{027}, mode_t{077}}) {
    const mode_t previous = ::umask(mask);
    for (const ModeCase& c : cases) {
      SCOPED_TRACE(std::string(c.label) + " umask " + std::to_string(mask));
      QFile::remove(Path("m.zip"));
      ravlek::testing::ZipMember member{"member", "bytes", ZIP_CM_DEFLATE, c.unixMode};
      member.windowsMade = c.windowsMade;
      ASSERT_TRUE(WriteZip(Path("m.zip"), {member}));
      ravlek::UnzipToFolder(Path("m.zip"), Path("modes"));
      struct stat made;
      ASSERT_EQ(::stat(QFile::encodeName(Path("modes/member")).constData(), &made), 0);
      EXPECT_EQ(made.st_mode & 07777, c.expected & ~mask);
    }
    ::umask(previous);
  }
}

TEST_F(UnzipTest, MemberNamedLikeTheArchiveCannotCutItShort) {
  // The package lies in the folder it unpacks into and holds a member of its own name first.
  QByteArray page;
  for (int i = 0; page.size() < 300000; ++i) page += "<p>" + QByteArray::number(i) + "</p>\n";
  const QString archive = Path("pages/HTML.zip");
  QDir().mkpath(Path("pages"));
  ASSERT_TRUE(WriteZip(archive, {{"HTML.zip", "not the archive any more"}, {"big.html", page}}));
  ravlek::UnzipToFolder(archive, Path("pages"));
  EXPECT_EQ(ReadAll(Path("pages/big.html")), page);
  EXPECT_EQ(ReadAll(archive), "not the archive any more");
}

struct LimitCase {
  const char* label;
  ravlek::UnzipLimits limits;
  bool refused;
};

TEST_F(UnzipTest, RefusesArchivesThatUnpackBeyondTheirLimits) {
  // Two members of 600 bytes each: 1:600 for the zeros, about 1:1 for the random bytes.
  QByteArray noise(600, 0);
  for (int i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919 + 13) % 251);
  ASSERT_TRUE(WriteZip(Path("l.zip"), {{"zeros", QByteArray(600, 0)}, {"noise", noise}}));
  const std::vector<LimitCase> cases = {
      {"within every limit", {600, 1200, 0}, false},
      {"one member too big", {599, 0, 0}, true},
      {"all members too big", {0, 1199, 0}, true},
      {"compression ratio too high", {0, 0, 20}, true},
  };
  for (const LimitCase& c : cases) {
    SCOPED_TRACE(c.label);
    QTemporaryDir out;
    if (c.refused) {
      EXPECT_THROW(ravlek::UnzipToFolder(Path("l.zip"), out.path(), c.limits), ravlek::Error);
      EXPECT_TRUE(FilesUnder(out.path()).isEmpty());
    } else {
      ravlek::UnzipToFolder(Path("l.zip"), out.path(), c.limits);
      EXPECT_EQ(ReadAll(out.filePath("noise")), noise);
    }
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
