// ravlek-server run as a program: it prints the address it serves, stops on SIGTERM, refuses a
// bad --listen, and has its manual page.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>

#include "server_fixture.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

TEST(ServerProgramTest, PrintsTheAddressServesThePageAndStopsOnSigterm) {
  test::FixtureAppFolder folder(test::ClassroomDictionary());
  test::CopyPingshuiTables(folder.Path());
  QProcess program;
  program.start(QStringLiteral(RAVLEK_SERVER_PATH),
                {u"--app-dir"_s, folder.Path(), u"--listen"_s, u"127.0.0.1:0"_s});
  ASSERT_TRUE(program.waitForReadyRead(30000)) << program.readAllStandardError().toStdString();
  const QString line = QString::fromUtf8(program.readLine()).trimmed();
  const QRegularExpressionMatch address =
      QRegularExpression(u"^ravlek-server: http://127\\.0\\.0\\.1:(\\d+)/$"_s).match(line);
  ASSERT_TRUE(address.hasMatch()) << line.toStdString();
  httplib::Client client("127.0.0.1", address.captured(1).toInt());
  const auto page = client.Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("lang=\"zh-Hant\""), std::string::npos);
  ::kill(pid_t(program.processId()), SIGTERM);
  ASSERT_TRUE(program.waitForFinished(30000));
  EXPECT_EQ(program.exitCode(), 0);
}

TEST(ServerProgramTest, RefusesWhatItCannotUse) {
  test::FixtureAppFolder folder(test::ClassroomDictionary());
  const QStringList cases[] = {{u"--listen"_s, u"8934"_s},
                               {u"--listen"_s, u"127.0.0.1:99999"_s},
                               {u"--workers"_s, u"0"_s},
                               {u"--db"_s, folder.Path() + u"/missing.db"_s}};
  for (const QStringList& args : cases) {
    QProcess program;
    program.start(QStringLiteral(RAVLEK_SERVER_PATH),
                  QStringList{u"--app-dir"_s, folder.Path()} + args);
    ASSERT_TRUE(program.waitForFinished(30000)) << args.join(u' ').toStdString();
    EXPECT_NE(program.exitCode(), 0) << args.join(u' ').toStdString();
    EXPECT_TRUE(program.readAllStandardError().startsWith("ravlek-server: "))
        << args.join(u' ').toStdString();
  }
}

TEST(ServerProgramTest, HelpAndManualPageNameTheOptions) {
  QProcess program;
  program.start(QStringLiteral(RAVLEK_SERVER_PATH), {u"--help"_s});
  ASSERT_TRUE(program.waitForFinished(30000));
  const QByteArray help = program.readAllStandardOutput();
  QFile man(QStringLiteral(RAVLEK_SERVER_MAN_PAGE));
  ASSERT_TRUE(man.open(QIODevice::ReadOnly));
  const QByteArray page = man.readAll();
  for (const char* option : {"--listen", "--app-dir", "--db", "--max-text", "--timeout",
                             "--workers", "--queue", "--conversions"}) {
    EXPECT_TRUE(help.contains(option)) << option;
    EXPECT_TRUE(page.contains(QByteArray(option).replace("-", "\\-"))) << option;
  }
}

}  // namespace
}  // namespace ravlek
