// The API answers as the lookup page and ravlek-cli do on the same dictionary.
#include <gtest/gtest.h>

#include <QJsonArray>

#include "server_fixture.h"
#include "tests/support/qstring_printer.h"
#include "tests/support/run_cli.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

const QString kPoem =
    u"題山居\n行到水窮處，坐看雲起時。\n林泉多野趣，談笑有歸期。\n\n坐看雲起時\n"_s;

class ServerApiTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server.Ok()) << server.Error().toStdString(); }
  test::CliRun Cli(const QStringList& args, const QString& input) {
    return test::RunCliProgram(QStringList{u"--app-dir"_s, server.Folder().Path()} + args,
                               input.toUtf8());
  }
  test::RunningServer server;
};

// HanWord:HanSpell of each row.
QStringList RowWords(const QJsonObject& answer) {
  QStringList words;
  for (const QJsonValue row : answer.value(u"rows"_s).toArray()) {
    words << row[0].toString() + u':' + row[2].toString();
  }
  return words;
}

TEST_F(ServerApiTest, LookupKeepsTheLookupPageRules) {
  struct Case {
    const char* query;
    QStringList rows;
    bool status;  // a status line says why nothing, or what was looked up instead
  };
  const Case cases[] = {
      {"char=%E8%AE%9A", {u"讚:tsan3"_s, u"讚:tsuann3"_s}, false},        // 讚
      {"char=%20%E8%AE%9A%20", {u"讚:tsan3"_s, u"讚:tsuann3"_s}, false},  // blanks around
      {"char=%E8%AE%9A%E6%9D%B1", {u"讚:tsan3"_s, u"讚:tsuann3"_s, u"東:tong1"_s}, true},  // each
      {"char=%E9%9B%B2", {}, true},                 // 雲: no row
      {"spell=ts%C3%A0n", {u"讚:tsan3"_s}, false},  // tsàn
      {"spell=TSAN3", {u"讚:tsan3"_s}, false},
      {"spell=an3*", {u"讚:tsan3"_s, u"看:khan3"_s, u"旰:kan3"_s}, false},
      {"spell=tsuann3&class=%E7%99%BD", {u"讚:tsuann3"_s}, false},             // 白
      {"spell=tsuann3&class=%E6%96%87", {}, true},                             // 文
      {"rhyme=%E4%B8%8A%E5%B9%B3%E4%B8%80%E6%9D%B1", {u"東:tong1"_s}, false},  // 上平一東
      {"rhyme=abc", {}, true},
  };
  for (const Case& c : cases) {
    const auto result = server.Client().Get((std::string("/api/lookup?") + c.query).c_str());
    ASSERT_TRUE(result) << c.query;
    EXPECT_EQ(result->status, 200) << c.query;
    const QJsonObject answer = test::JsonOf(result);
    EXPECT_EQ(RowWords(answer), c.rows) << c.query;
    EXPECT_EQ(!answer.value(u"status"_s).toString().isEmpty(), c.status) << c.query;
  }
  const QJsonObject grid = test::JsonOf(server.Client().Get("/api/lookup?char=%E8%AE%9A"));
  EXPECT_EQ(grid.value(u"fields"_s).toArray().size(), 10);
  EXPECT_EQ(server.Client().Get("/api/lookup")->status, 400);
}

TEST_F(ServerApiTest, ConversionWritesTheLinesOfRavlekCliRomanize) {
  struct Case {
    QStringList cliArgs;
    QJsonObject options;
  };
  const Case cases[] = {
      {{}, {}},
      {{u"--colloquial"_s, u"--tone-marks"_s}, {{u"colloquial"_s, true}, {u"toneMarks"_s, true}}},
      {{u"--no-class-marks"_s, u"--no-separator"_s, u"--ancient"_s},
       {{u"classMarks"_s, false}, {u"separator"_s, false}, {u"ancient"_s, true}}},
  };
  for (const Case& c : cases) {
    const test::CliRun cli = Cli(QStringList{u"romanize"_s} + c.cliArgs, kPoem);
    ASSERT_EQ(cli.exitCode, 0) << cli.err.toStdString();
    QJsonObject request = c.options;
    request.insert(u"text"_s, kPoem);
    const QJsonObject answer = test::JsonOf(server.Post("/api/convert", request));
    QString lines;
    for (const QJsonValue line : answer.value(u"lines"_s).toArray()) {
      lines += line[u"text"_s].toString() + u'\n' + line[u"romanized"_s].toString() + u'\n';
    }
    EXPECT_EQ(lines, QString::fromUtf8(cli.out)) << c.cliArgs.join(u' ').toStdString();
  }
}

TEST_F(ServerApiTest, ConversionSaysWhichReadingIsWrittenAndWhy) {
  const QJsonObject answer = test::JsonOf(server.Post("/api/convert", {{u"text"_s, kPoem}}));
  const QJsonArray lines = answer.value(u"lines"_s).toArray();
  ASSERT_EQ(lines.size(), 5);
  // 看 in the poem (position 12) takes the metre's 平 reading; alone (33) the first.
  const QJsonValue inPoem = lines[1][u"cells"_s][7];
  EXPECT_EQ(inPoem[u"c"_s].toString(), u"看"_s);
  EXPECT_EQ(inPoem[u"pos"_s].toInt(), 12);
  EXPECT_EQ(inPoem[u"reading"_s].toString(), u"khan1"_s);
  EXPECT_EQ(inPoem[u"why"_s].toString(), u"metre"_s);
  EXPECT_EQ(inPoem[u"readings"_s].toArray().size(), 2);  // 通 文 今: no 白 unless asked
  EXPECT_EQ(inPoem[u"readings"_s][1][u"shown"_s].toString(), u"khan"_s);
  const QJsonValue alone = lines[4][u"cells"_s][1];
  EXPECT_EQ(alone[u"pos"_s].toInt(), 33);
  EXPECT_EQ(alone[u"reading"_s].toString(), u"khan3"_s);
  EXPECT_EQ(alone[u"why"_s].toString(), u"first"_s);
  EXPECT_EQ(lines[4][u"cells"_s][2][u"why"_s].toString(), u"none"_s);  // 雲: no reading
}

TEST_F(ServerApiTest, MetreGivesTheFieldsOfRavlekCliMetreTsv) {
  const QString text = kPoem + u"\n春眠不覺曉\n"_s;
  const test::CliRun cli = Cli({u"metre"_s, u"--tsv"_s}, text);
  ASSERT_EQ(cli.exitCode, 0) << cli.err.toStdString();
  const QJsonObject answer = test::JsonOf(server.Post("/api/metre", {{u"text"_s, text}}));
  QString tsv;
  for (const QJsonValue poem : answer.value(u"poems"_s).toArray()) {
    for (const QJsonValue verse : poem[u"verses"_s].toArray()) {
      tsv += QStringList{QString::number(verse[u"number"_s].toInt()),
                         QString::number(verse[u"verse"_s].toInt()),
                         verse[u"text"_s].toString(),
                         verse[u"tones"_s].toString(),
                         verse[u"rhyme"_s].toString(),
                         verse[u"readings"_s].toString()}
                 .join(u'\t') +
             u'\n';
    }
    tsv += QStringList{u"# poem"_s, QString::number(poem[u"number"_s].toInt()),
                       poem[u"form"_s].toString(), poem[u"rhyme"_s].toString(),
                       poem[u"faults"_s].toString()}
               .join(u'\t') +
           u'\n';
  }
  EXPECT_EQ(tsv, QString::fromUtf8(cli.out));
  const QJsonValue first = answer.value(u"poems"_s)[0];
  EXPECT_EQ(first[u"title"_s].toString(), u"題山居"_s);
  EXPECT_FALSE(first[u"summary"_s].toString().isEmpty());
}

TEST_F(ServerApiTest, FanqieAsRavlekCliFanqie) {
  const QString text = u"讚，則旰切。\n又反"_s;
  const test::CliRun cli = Cli({u"fanqie"_s, u"--synthesize"_s}, text);
  ASSERT_EQ(cli.exitCode, 0) << cli.err.toStdString();
  const QStringList cliParts = QString::fromUtf8(cli.out).split(u"\r\n\r\n"_s);
  ASSERT_EQ(cliParts.size(), 2);
  const QJsonObject answer = test::JsonOf(server.Post("/api/fanqie", {{u"text"_s, text}}));
  QString readings;
  for (const QJsonValue line : answer.value(u"readings"_s).toArray()) {
    readings += line.toString() + u"\r\n"_s;
  }
  EXPECT_EQ(readings, cliParts[0] + u"\r\n"_s);
  const QJsonArray synthesis = answer.value(u"synthesis"_s).toArray();
  ASSERT_EQ(synthesis.size(), cliParts[1].count(u"\r\n"_s));
  EXPECT_EQ(synthesis[0][u"notation"_s].toString(), u"則旰切"_s);
  EXPECT_TRUE(cliParts[1].startsWith(u"則旰切\t"_s + synthesis[0][u"readings"_s][0].toString()));
  EXPECT_FALSE(synthesis[0][u"explained"_s].toString().isEmpty());
}

TEST_F(ServerApiTest, HandoutsAreRavlekCliHandouts) {
  // An OpenDocument file's members carry a time: one fixed time for both programs, so that two
  // handouts made a second apart are still the same bytes.
  qputenv("SOURCE_DATE_EPOCH", "1700000000");
  struct Case {
    QStringList cliArgs;
    QJsonObject request;
    const char* type;
  };
  const Case cases[] = {
      {{u"--html"_s, u"--title"_s}, {{u"format"_s, u"html"_s}, {u"title"_s, true}}, "text/html"},
      {{u"--html"_s, u"--numeric"_s, u"--character-size"_s, u"30"_s},
       {{u"numeric"_s, true}, {u"characterSize"_s, 30}},
       "text/html"},
      {{u"--odt"_s, u"--colloquial"_s},
       {{u"format"_s, u"odt"_s}, {u"colloquial"_s, true}},
       "application/vnd.oasis.opendocument.text"},
  };
  for (const Case& c : cases) {
    const test::CliRun cli = Cli(QStringList{u"romanize"_s} + c.cliArgs, kPoem);
    ASSERT_EQ(cli.exitCode, 0) << cli.err.toStdString();
    QJsonObject request = c.request;
    request.insert(u"text"_s, kPoem);
    const auto result = server.Post("/api/handout", request);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(result->get_header_value("Content-Type").rfind(c.type, 0), 0u);
    EXPECT_TRUE(QByteArray::fromStdString(result->body) == cli.out)
        << c.cliArgs.join(u' ').toStdString();
  }
  qunsetenv("SOURCE_DATE_EPOCH");
}

TEST_F(ServerApiTest, HandoutTakesTheChosenReadingAndRefusesOneThatDoesNotFit) {
  // The form the page sends for printing: fields, and the choices as ravlek-cli's --choose file.
  httplib::Params form{{"text", kPoem.toStdString()}, {"choices", "12\t看\tkhan3\n"}};
  const auto chosen = server.Client().Post("/api/handout", form);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen->status, 200);
  EXPECT_NE(chosen->body.find(">看<rt>khàn</rt>"), std::string::npos);
  struct Bad {
    const char* choices;
    const char* size;
  };
  for (const Bad& bad : {Bad{"12\t看\tkhuann9\n", ""}, Bad{"13\t看\tkhan3\n", ""},
                         Bad{"twelve", ""}, Bad{"", "3"}, Bad{"", "x"}}) {
    const auto refused =
        server.Client().Post("/api/handout", httplib::Params{{"text", kPoem.toStdString()},
                                                             {"choices", bad.choices},
                                                             {"characterSize", bad.size}});
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 400) << bad.choices << bad.size;
    EXPECT_FALSE(test::JsonOf(refused).value(u"error"_s).toString().isEmpty());
  }
}

TEST_F(ServerApiTest, HandoutAsPdfWhenLibreOfficeIsThere) {
  const QJsonObject status = test::JsonOf(server.Client().Get("/api/status"));
  const auto result = server.Post("/api/handout", {{u"text"_s, kPoem}, {u"format"_s, u"pdf"_s}});
  ASSERT_TRUE(result);
  if (!status.value(u"pdf"_s).toBool()) {
    EXPECT_EQ(result->status, 501);
    GTEST_SKIP() << "LibreOffice (libreoffice-writer-nogui) is not installed";
  }
  EXPECT_EQ(result->status, 200) << result->body;
  EXPECT_EQ(result->body.rfind("%PDF-", 0), 0u);
  EXPECT_NE(result->get_header_value("Content-Disposition").find("attachment"), std::string::npos);
}

}  // namespace
}  // namespace ravlek
