// Saves a picture of each of the main window's nine pages, and of 格律檢查's window.
// usage: screenshots APP_FOLDER OUTPUT_FOLDER [PREFIX]
//        screenshots --pdf HTML_FILE PDF_FILE   (prints a document as 輸出注音 does)
// The application folder must hold the start marker; the window is created there as the starter
// would start it, and each page is selected as a user would select it. With PREFIX only the
// lookup page (after a mouse click on a row), the launcher page and a resource page are saved, as
// PREFIX-lookup.png, PREFIX-editor.png and PREFIX-about.png (for the pictures of one density).
// Both ways the handout's preview of a short text is saved too (13-handout-preview.png or
// PREFIX-handout.png).
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <cstdio>

#include "app/window/messages.h"
#include "app/window/ostrel.h"
#include "dictionary/window/fanqie_page.h"
#include "dictionary/window/lookup_page.h"
#include "metre/window/metre_view.h"
#include "app/window/html_engine.h"
#include "pages/window/resource_pages.h"
#include "release/release_settings.h"
#include "release/version_check.h"
#include "romanize/window/conversion_page.h"
#include "romanize/window/html_to_pdf.h"

namespace {

void Wait(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

// A grab taken right after a load shows an empty view: wait for one script round trip and a
// painted frame.
void WaitForView(QWebEngineView* view) {
  QEventLoop loop;
  bool answered = false;
  view->page()->runJavaScript(QStringLiteral("document.readyState"), [&](const QVariant&) {
    answered = true;
    loop.quit();
  });
  QTimer::singleShot(5000, &loop, &QEventLoop::quit);
  if (!answered) loop.exec();
  Wait(400);
}

}  // namespace

int main(int argc, char** argv) {
  // The HTML engine's module is linked, not loaded from the program's folder.
  static ravlek::HtmlEngineEntry volatile linkedEngine = &RavlekHtmlEngine;
  (void)linkedEngine;
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  if (argc == 4 && QString::fromLocal8Bit(argv[1]) == QLatin1String("--pdf")) {
    bool printed = false;
    ravlek::RunHandler([&] {
      ravlek::PrintHtmlFileToPdf(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
      printed = true;
    });
    return printed ? 0 : 1;
  }
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: screenshots APP_FOLDER OUTPUT_FOLDER [PREFIX]\n");
    return 2;
  }
  const QString prefix = argc == 4 ? QString::fromLocal8Bit(argv[3]) : QString();
  const QString output = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
  QDir().mkpath(output);
  if (!QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "screenshots: no folder %s\n", argv[1]);
    return 1;
  }
  // The release server that scripts/screenshots started on a port the system picked.
  ravlek::ReleaseSettings release = ravlek::BuiltReleaseSettings();
  if (const QByteArray root = qgetenv("RAVLEK_SCREENSHOTS_RELEASE_ROOT"); !root.isEmpty())
    release.root = QString::fromUtf8(root);
  // Notices and messages of the start-up are closed as the user would close them.
  QTimer dismiss;
  QObject::connect(&dismiss, &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  dismiss.start(100);

  TOstrel window(release);
  if (window.Terminated()) {
    std::fprintf(stderr, "screenshots: the program ended at start-up\n");
    return 1;
  }
  window.show();
  Wait(300);

  const char* names[] = {"01-lookup", "02-editor", "03-conversion", "04-versions", "05-fanqie",
                         "06-basics", "07-media",  "08-tools",      "09-about"};
  QWidget* places[] = {nullptr,
                       nullptr,
                       nullptr,
                       nullptr,
                       nullptr,
                       window.resourcePages()->A_WebBrowser,
                       window.resourcePages()->B_WebBrowser,
                       window.resourcePages()->C_WebBrowser,
                       window.resourcePages()->D_WebBrowser};
  int failures = 0;
  // The pages of one density's set, and the names they are saved under.
  const QHash<int, QString> densitySet = {
      {0, QStringLiteral("lookup")}, {1, QStringLiteral("editor")}, {8, QStringLiteral("about")}};
  for (int index = 0; index < window.TntTabControl1->count(); ++index) {
    if (!prefix.isEmpty() && !densitySet.contains(index)) continue;
    window.SelectPage(window.TntTabControl1->widget(index));
    // What a user's choice of the tab does: the page-change handler loads a resource page, and
    // an error it raises is reported (and closed by the timer above), not fatal.
    ravlek::RunHandler([&window] { window.TntTabControl1Change(); });
    // A resource page's place holds the engine's view once the page has been shown.
    if (QWebEngineView* view =
            places[index] ? places[index]->findChild<QWebEngineView*>() : nullptr)
      WaitForView(view);
    // The working pages are shown at work, with the sample inputs the pages themselves offer.
    if (index == 0) {
      // A character with several readings, and a click on the third: the grid shows it
      // selected and the notes below are its own.
      window.lookupPage()->TntEdit2->setText(QStringLiteral("行"));
      QApplication::processEvents();
      QTableView* grid = window.lookupPage()->TntDBGrid2;
      const QModelIndex third = grid->model()->index(2, 2);
      if (third.isValid()) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(third).center());
      }
    }
    if (index == 2) {
      window.conversionPage()->TntButton5->click();
      window.conversionPage()->TntButton1->click();
    }
    if (index == 4) {
      window.fanqiePage()->Synth_TntCheckBox->setChecked(true);
      window.fanqiePage()->TntButton4->click();
      window.fanqiePage()->TntButton2->click();
    }
    Wait(150);
    const QString name = prefix.isEmpty() ? QString::fromLatin1(names[index])
                                          : prefix + QLatin1Char('-') + densitySet.value(index);
    const QString file = QDir(output).filePath(name + ".png");
    if (!window.grab().save(file)) {
      std::fprintf(stderr, "screenshots: cannot write %s\n", qUtf8Printable(file));
      ++failures;
    }
  }
  // The lookup and fanqie pages of a window grown beyond its designed size (1500×900): the grid,
  // the notes and the text fields take the room it gained.
  {
    const QSize designed = window.size();
    window.resize(1500, 900);
    for (const auto& [sheet, name] :
         {std::pair{window.TntTabSheet1, QStringLiteral("grown-lookup")},
          std::pair{window.TntTabSheet5, QStringLiteral("grown-fanqie")}}) {
      window.SelectPage(sheet);
      Wait(150);
      const QString file = QDir(output).filePath(
          (prefix.isEmpty() ? QStringLiteral("14-") : prefix + QLatin1Char('-')) + name + ".png");
      if (!window.grab().save(file)) {
        std::fprintf(stderr, "screenshots: cannot write %s\n", qUtf8Printable(file));
        ++failures;
      }
    }
    window.resize(designed);
    Wait(150);
  }
  // The handout's preview of a text whose readings carry the 8th tone's mark (學 ha̍k, 習 si̍p,
  // 亦 i̍k), as 輸出注音 shows it; the dialog is modal, so a timer takes its picture and closes
  // it (the timer that closes notices waits meanwhile).
  {
    window.SelectPage(window.TntTabSheet3);
    window.conversionPage()->TntMemo3->setPlainText(
        QStringLiteral("學而時習之，不亦說乎？\n有朋自遠方來，不亦樂乎？"));
    dismiss.stop();
    const QString file = QDir(output).filePath(
        prefix.isEmpty() ? QStringLiteral("13-handout-preview.png") : prefix + "-handout.png");
    bool saved = false;
    QTimer grabber;
    QObject::connect(&grabber, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dialog || dialog->objectName() != QLatin1String("RubyExport_Dialog")) return;
      grabber.stop();
      Wait(300);
      saved = dialog->grab().save(file);
      dialog->reject();
    });
    grabber.start(100);
    window.conversionPage()->RubyExport_TntButton->click();
    if (!saved) {
      std::fprintf(stderr, "screenshots: cannot write %s\n", qUtf8Printable(file));
      ++failures;
    }
    dismiss.start(100);
  }
  if (prefix.isEmpty()) {
    // 格律檢查 of the sample poem and of 登黃鶴樓, which breaks the rules on purpose.
    window.SelectPage(window.TntTabSheet3);
    window.conversionPage()->TntMemo3->setPlainText(QStringLiteral(
        "昨夜星辰昨夜風，畫樓西畔桂堂東，\n身無彩鳳雙飛翼，心有靈犀一點通。\n"
        "隔座送鉤春酒暖，分曹射覆蠟燈紅，\n嗟余聽鼓應官去，走馬蘭臺類轉蓬。\n\n"
        "登黃鶴樓\n昔人已乘黃鶴去，此地空餘黃鶴樓。\n黃鶴一去不復返，白雲千載空悠悠。\n"
        "晴川歷歷漢陽樹，芳草萋萋鸚鵡洲。\n日暮鄉關何處是，煙波江上使人愁。\n"));
    window.conversionPage()->Metre_TntButton->click();
    Wait(150);
    const QString file = QDir(output).filePath(QStringLiteral("11-metre.png"));
    if (!window.metreView()->Metre_Form || !window.metreView()->Metre_Form->grab().save(file)) {
      std::fprintf(stderr, "screenshots: cannot write %s\n", qUtf8Printable(file));
      ++failures;
    }
  }
  dismiss.stop();
  window.close();
  return failures == 0 ? 0 : 1;
}
