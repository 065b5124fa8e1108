// The browser wrapper's routines that need no HTML engine.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QRegularExpression>

#include "base/error.h"
#include "pages/UWebBrowserWrapper/UWebBrowserWrapper.h"
#include "tests/support/file_bytes.h"

using namespace ravlek;

namespace {

void ExpectAssertion(const std::function<void()>& action) {
  try {
    action();
    ADD_FAILURE() << "no assertion raised";
  } catch (const Error& error) {
    EXPECT_TRUE(error.message().startsWith("Assertion failure")) << error.what();
    EXPECT_TRUE(error.message().contains("UWebBrowserWrapper")) << error.what();
    EXPECT_TRUE(error.message().contains(QRegularExpression("line \\d+"))) << error.what();
  }
}

TEST(PercentEscape, CopiesUnreservedAndEscapesEveryOtherCodeUnit) {
  const struct {
    QString text;
    QString escaped;
  } cases[] = {
      {"a b", "a%20b"},
      {"-._", "-._"},
      {"AZaz09", "AZaz09"},
      {"C:\\x", "C%3A%5Cx"},
      {"#23", "%2323"},
      {QString(QChar(0x01)), "%01"},
      {QString(QChar(0xE9)), "%E9"},       // Latin-1, not UTF-8
      {QString(QChar(0x100)), "%100"},     // three digits, no padding to four
      {QString::fromUtf8("中"), "%4E2D"},  // one UTF-16 code unit, not its UTF-8 bytes
      {QString::fromUtf8("𠀀"), "%D840%DC00"},
      {"~/+", "%7E%2F%2B"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(PercentEscape(c.text), c.escaped) << c.text.toStdString();
}

TEST(ResourceIdText, NumbersGetAHashAndNamesStayAsTheyAre) {
  EXPECT_EQ(ResourceIdText(TResourceId::Number(23)), "#23");
  EXPECT_EQ(ResourceIdText(TResourceId::Number(0)), "#0");
  EXPECT_EQ(ResourceIdText(TResourceId::Number(65535)), "#65535");
  EXPECT_EQ(ResourceIdText(TResourceId::Name("INDEX")), "INDEX");
}

TEST(BuildResUrl, EscapesModuleTypeAndName) {
  const QString module = "C:\\app.exe";
  EXPECT_EQ(BuildResUrl(module, TResourceId::Name("INDEX"), TResourceId::Number(23)),
            "res://C%3A%5Capp.exe/%2323/INDEX");
  EXPECT_EQ(BuildResUrl(module, TResourceId::Name("INDEX")), "res://C%3A%5Capp.exe/INDEX");
  EXPECT_EQ(BuildResUrl(module, TResourceId::Number(101), TResourceId::Name("HTML")),
            "res://C%3A%5Capp.exe/HTML/%23101");
  EXPECT_EQ(BuildResUrl("/opt/my app", TResourceId::Name("about page.htm")),
            "res://%2Fopt%2Fmy%20app/about%20page.htm");
}

TEST(BuildResUrl, RequiresModuleNameAndResourceName) {
  ExpectAssertion([] { BuildResUrl(QString(), TResourceId::Name("INDEX")); });
  ExpectAssertion([] { BuildResUrl("C:\\app.exe", TResourceId()); });
}

TEST(BuildResUrl, ModuleHandleOfTheProgramNamesTheProgramFile) {
  EXPECT_EQ(ModuleFileName(nullptr), QCoreApplication::applicationFilePath());
  EXPECT_EQ(BuildResUrl(TModuleHandle(nullptr), TResourceId::Name("X")),
            "res://" + PercentEscape(QCoreApplication::applicationFilePath()) + "/X");
}

TEST(BuildResUrl, ModuleHandleOfALibraryNamesTheLibraryFile) {
  void* library = dlopen("libQt6Core.so.6", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(library, nullptr);
  EXPECT_TRUE(ModuleFileName(library).contains("libQt6Core.so"))
      << ModuleFileName(library).toStdString();
  dlclose(library);
}

TEST(DetectStreamEncoding, ReadsTheByteOrderMarkFromTheStart) {
  const struct {
    QByteArray bytes;
    const TEncoding* expected;
  } cases[] = {
      {{}, TEncoding::Default()},
      {"<html>", TEncoding::Default()},
      {Bytes({0xEF, 0xBB, 0xBF, '<'}), TEncoding::UTF8()},
      {Bytes({0xEF, 0xBB}), TEncoding::Default()},  // a cut-off mark is no mark
      {Bytes({0xFF, 0xFE, '<', 0}), TEncoding::Unicode()},
      {Bytes({0xFF, 0xFE, 0, 0}), TEncoding::Unicode()},  // never UTF-32 here
      {Bytes({0xFE, 0xFF, 0, '<'}), TEncoding::BigEndianUnicode()},
      {Bytes({0xFF}), TEncoding::Default()},
      {Bytes({'<', 0xEF, 0xBB, 0xBF}), TEncoding::Default()},  // only at the start
  };
  for (const auto& c : cases) {
    QBuffer stream;
    stream.setData(c.bytes);
    stream.open(QIODevice::ReadOnly);
    stream.seek(c.bytes.size());  // the stream is rewound first
    EXPECT_EQ(DetectStreamEncoding(stream), c.expected) << c.bytes.toHex().toStdString();
  }
}

TEST(WriteTextEncoded, WritesThePreambleThenTheEncodedText) {
  const QString text = QString::fromUtf8("中a");
  const struct {
    const TEncoding* encoding;
    QByteArray bytes;
  } cases[] = {
      {TEncoding::UTF8(), Bytes({0xEF, 0xBB, 0xBF, 0xE4, 0xB8, 0xAD, 'a'})},
      {TEncoding::Unicode(), Bytes({0xFF, 0xFE, 0x2D, 0x4E, 'a', 0})},
      {TEncoding::BigEndianUnicode(), Bytes({0xFE, 0xFF, 0x4E, 0x2D, 0, 'a'})},
      {TEncoding::GetEncoding("Big5"), Bytes({0xA4, 0xA4, 'a'})},
  };
  for (const auto& c : cases) {
    ASSERT_NE(c.encoding, nullptr);
    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    WriteTextEncoded(text, stream, c.encoding);
    EXPECT_EQ(stream.data().toHex(), c.bytes.toHex())
        << EncodingDisplayName(c.encoding).toStdString();
  }
  // Encodings with a shift state write out their last character and return to plain text.
  const struct {
    const TEncoding* encoding;
    QByteArray bytes;
  } shifting[] = {
      {TEncoding::UTF7(), "a+Ti0"},
      {TEncoding::GetEncoding("ISO-2022-JP"), "a\x1B$BCf\x1B(B"},
  };
  for (const auto& c : shifting) {
    ASSERT_NE(c.encoding, nullptr);
    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    WriteTextEncoded(QString::fromUtf8("a中"), stream, c.encoding);
    EXPECT_EQ(stream.data(), c.bytes) << c.encoding->name().toStdString();
    EXPECT_EQ(c.encoding->GetString(stream.data()), QString::fromUtf8("a中"));
  }
  QBuffer stream;
  stream.open(QIODevice::WriteOnly);
  WriteTextEncoded("a", stream, TEncoding::ASCII());
  EXPECT_EQ(stream.data(), "a");
  ExpectAssertion([&] { WriteTextEncoded("a", stream, nullptr); });
}

// Found by fuzzing: a document whose text begins with U+FEFF after its mark (or with the mark
// written twice) lost that character when read, and read back differently after a save.
TEST(GetString, KeepsAMarkCharacterAtTheStartOfTheText) {
  const struct {
    const TEncoding* encoding;
    QByteArray bytes;  // after the preamble
  } cases[] = {
      {TEncoding::UTF8(), Bytes({0xEF, 0xBB, 0xBF, 'a'})},
      {TEncoding::Unicode(), Bytes({0xFF, 0xFE, 'a', 0})},
      {TEncoding::BigEndianUnicode(), Bytes({0xFE, 0xFF, 0, 'a'})},
  };
  for (const auto& c : cases) {
    const QString text = c.encoding->GetString(c.bytes);
    EXPECT_EQ(text, QStringLiteral(u"\uFEFFa")) << EncodingDisplayName(c.encoding).toStdString();
    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    WriteTextEncoded(text, stream, c.encoding);
    EXPECT_EQ(stream.data().mid(c.encoding->GetPreamble().size()), c.bytes);
  }
}

TEST(EncodingDisplayName, NamesEachKind) {
  EXPECT_EQ(EncodingDisplayName(TEncoding::UTF8()), "UTF8");
  EXPECT_EQ(EncodingDisplayName(TEncoding::Unicode()), "Unicode (LE)");
  EXPECT_EQ(EncodingDisplayName(TEncoding::BigEndianUnicode()), "Unicode (BE)");
  EXPECT_EQ(EncodingDisplayName(TEncoding::Default()), "Default");
  EXPECT_EQ(EncodingDisplayName(TEncoding::ASCII()), "ASCII");
  EXPECT_EQ(EncodingDisplayName(TEncoding::UTF7()), "UTF7");
  EXPECT_EQ(EncodingDisplayName(TEncoding::GetEncoding("Big5")), "MBCS");
  EXPECT_EQ(EncodingDisplayName(nullptr), "Unknown");
  EXPECT_EQ(TEncoding::GetEncoding("no-such-charset"), nullptr);
  EXPECT_EQ(TEncoding::GetEncoding("utf-16le"), TEncoding::Unicode());
}

TEST(NavigationFlags, LocalSchemesInAnyLetterCaseSkipTheCache) {
  const struct {
    QString url;
    int flags;
  } cases[] = {
      {"ABOUT:blank", 14},
      {"about:blank", 14},
      {"File:///tmp/a.html", 14},
      {"MAILTO:a@b.c", 14},
      {"res://x.exe/INDEX", 14},
      {"JavaScript:void(0)", 14},
      {"http://example.org", 2},
      {"https://a/about:", 2},
      {"file:/tmp/a.html", 2},
      {"aboutblank", 2},
      {"", 2},
  };
  for (const auto& c : cases) EXPECT_EQ(NavigationFlagsFor(c.url), c.flags) << c.url.toStdString();
}

TEST(PumpFor, ElapsedTimeSurvivesAWrapOfTheCounter) {
  const struct {
    quint32 start, now, elapsed;
  } cases[] = {
      {0, 5, 5},
      {1000, 1000, 0},
      {0xFFFFFFFEu, 3, 5},
      {0xFFFFFFFFu, 0, 1},
      {0x80000000u, 0x7FFFFFFFu, 0xFFFFFFFFu},
  };
  for (const auto& c : cases) EXPECT_EQ(TickElapsed(c.start, c.now), c.elapsed);
}

TEST(PumpFor, EndsWhenTheCounterWrapsDuringTheWait) {
  quint32 counter = 0xFFFFFFFDu;
  int readings = 0;
  PumpFor(5, [&] {
    ++readings;
    return counter++;
  });
  // Start at ...FD, then FE, FF, 0, 1, 2: five milliseconds after six readings.
  EXPECT_EQ(readings, 6);
}

TEST(PumpFor, WaitsAtLeastTheTimeAndRunsPendingWork) {
  bool ran = false;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [&] { ran = true; }, Qt::QueuedConnection);
  const quint32 start = GetTickCount();
  PumpFor(20);
  EXPECT_GE(TickElapsed(start, GetTickCount()), 20u);
  EXPECT_TRUE(ran);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
