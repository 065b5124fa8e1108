#include "base/profile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

using namespace ravlek;

class ProfileTest : public ::testing::Test {
 protected:
  QString Path() const { return dir.filePath(QStringLiteral("settings.ini")); }
  void WriteBytes(const QByteArray& bytes) {
    QFile file(Path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  QByteArray ReadBytes() {
    QFile file(Path());
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
  }
  QTemporaryDir dir;
};

TEST_F(ProfileTest, ReadsCaseInsensitivelyAndFallsBackToDefaults) {
  WriteBytes(
      "; comment=ignored\r\n[Connect_RavlekDB]\r\n DriverID = SQLite \r\nDatabase=\"Ravlek.db\"\r\n"
      "Port=5432x\r\nBad=abc\r\n[Other]\r\nDriverID=PG\r\n");
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"connect_ravlekdb", "driverid", "SQLite"},     // any letter case, blanks trimmed
      {"CONNECT_RAVLEKDB", "Database", "Ravlek.db"},  // enclosing quotes dropped
      {"Other", "DriverID", "PG"},
      {"Connect_RavlekDB", "Missing", "dflt"},
      {"NoSection", "DriverID", "dflt"},
      {"Connect_RavlekDB", "comment", "dflt"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadProfileString(Path(), c.section, c.key, QStringLiteral("dflt")),
              QString::fromUtf8(c.expected))
        << c.section << "/" << c.key;
  }
  EXPECT_EQ(ReadProfileInt(Path(), "Connect_RavlekDB", "Port", 7), 5432);
  EXPECT_EQ(ReadProfileInt(Path(), "Connect_RavlekDB", "Bad", 7), 7);
  EXPECT_EQ(ReadProfileInt(Path(), "Connect_RavlekDB", "Missing", 7), 7);
  EXPECT_EQ(ReadProfileString(dir.filePath("absent.ini"), "a", "b", "d"), "d");
  EXPECT_TRUE(ProfileSectionExists(Path(), "other"));
  EXPECT_EQ(ProfileSectionKeys(Path(), "connect_ravlekdb"),
            QStringList({"DriverID", "Database", "Port", "Bad"}));
}

TEST_F(ProfileTest, WritesKeepEveryOtherLineAndTheLineEnds) {
  WriteBytes("[A]\r\nx=1\r\n; note\r\n\r\n[B]\r\ny=2\r\n");
  ASSERT_TRUE(WriteProfileString(Path(), "a", "X", "10"));  // replace, keeping the key's spelling
  ASSERT_TRUE(WriteProfileString(Path(), "A", "z", "3"));   // new key before the blank line
  ASSERT_TRUE(WriteProfileInt(Path(), "C", "w", -4));       // new section at the end
  EXPECT_EQ(ReadBytes(),
            QByteArray("[A]\r\nx=10\r\n; note\r\nz=3\r\n\r\n[B]\r\ny=2\r\n[C]\r\nw=-4\r\n"));
  ASSERT_TRUE(DeleteProfileKey(Path(), "b", "Y"));
  EXPECT_EQ(ReadProfileString(Path(), "B", "y", "gone"), "gone");
}

TEST_F(ProfileTest, WriteCreatesTheFileAndKeepsUnicode) {
  ASSERT_TRUE(WriteProfileString(Path(), "RavlekSYS", "Luncher_ID", QStringLiteral("讚 1")));
  EXPECT_EQ(ReadBytes(), QStringLiteral("[RavlekSYS]\nLuncher_ID=讚 1\n").toUtf8());
  EXPECT_FALSE(WriteProfileString(dir.filePath("no/such/folder/x.ini"), "a", "b", "c"));
}

TEST_F(ProfileTest, Utf16FilesAreReadAndWrittenBackAsUtf16) {
  QByteArray bytes("\xFF\xFE", 2);
  for (QChar c : QStringLiteral("[S]\r\nk=漢\r\n")) {
    bytes.append(char(c.unicode() & 0xFF));
    bytes.append(char(c.unicode() >> 8));
  }
  WriteBytes(bytes);
  EXPECT_EQ(ReadProfileString(Path(), "s", "K"), QStringLiteral("漢"));
  ASSERT_TRUE(WriteProfileString(Path(), "S", "k", QStringLiteral("字")));
  EXPECT_TRUE(ReadBytes().startsWith("\xFF\xFE"));
  EXPECT_EQ(ReadProfileString(Path(), "S", "k"), QStringLiteral("字"));
}

}  // namespace
