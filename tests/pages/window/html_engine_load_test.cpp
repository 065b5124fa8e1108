// The program loads the HTML engine's module when a page first needs it, from the program's own
// folder and nowhere else. This program does not link the module: it runs itself (--load) beside
// the module, as the installed program lies, and again as a copy in a folder without it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <cstdio>
#include <cstring>

#include "pages/UWebBrowserWrapper/UWebBrowserWrapper.h"
#include "app/window/html_engine.h"

namespace {

// Loads the engine, shows a document in a view made in a plain place and prints what came of it.
int LoadAndShow(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QString why;
  ravlek::HtmlEngine* engine = ravlek::LoadHtmlEngine(&why);
  if (engine == nullptr) {
    std::printf("not loaded: %s\n", qUtf8Printable(why));
    return 1;
  }
  QWidget place;
  place.resize(400, 300);
  ravlek::HtmlView* view = engine->ViewIn(&place);
  if (view != engine->ViewIn(&place)) return 2;
  ravlek::TWebBrowserWrapper wrapper(view);
  wrapper.LoadFromString(QStringLiteral("<html><body><p>切韻</p></body></html>"));
  ravlek::WaitForLoadEnd(*view, 30000);
  const bool shown = wrapper.SaveToString().contains(QStringLiteral("切韻"));
  std::printf("loaded, %s, %s\n", shown ? "shown" : "not shown",
              place.focusProxy() != nullptr ? "focus to the view" : "no focus proxy");
  return 0;
}

QString g_self;

QString RunLoading(const QString& program) {
  QProcess child;
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  child.start(program, {QStringLiteral("--load")});
  child.waitForFinished(120000);
  return QString::fromUtf8(child.readAllStandardOutput()).trimmed();
}

TEST(HtmlEngineModule, LoadedFromTheProgramsFolderOnly) {
  QTemporaryDir elsewhere;
  const QString copy = elsewhere.filePath(QStringLiteral("html_engine_load_tests"));
  ASSERT_TRUE(QFile::copy(g_self, copy));
  const struct {
    QString program;
    QString expected;
  } cases[] = {
      {g_self, QStringLiteral("loaded, shown, focus to the view")},
      {copy, QStringLiteral("not loaded: ")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program.toStdString());
    EXPECT_TRUE(RunLoading(c.program).startsWith(c.expected))
        << RunLoading(c.program).toStdString();
  }
  // The reason names the module the program looked for.
  EXPECT_TRUE(RunLoading(copy).contains(QStringLiteral("ravlek_html_engine")));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--load") == 0) return LoadAndShow(argc, argv);
  QCoreApplication app(argc, argv);
  g_self = QCoreApplication::applicationFilePath();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
