// The browser wrapper over the real WebEngine view.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QWebEngineView>

#include "base/error.h"
#include "pages/UWebBrowserWrapper/UWebBrowserWrapper.h"
#include "pages/window/web_engine_html_view.h"
#include "silent_server.h"
#include "tests/support/file_bytes.h"

using namespace ravlek;

namespace {

class WrapperOnEngine : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    view_ = std::make_unique<QWebEngineView>();
    view_->resize(640, 480);
    html_ = WebEngineHtmlView::For(view_.get());
    wrapper_ = std::make_unique<TWebBrowserWrapper>(html_);
  }

  QString WriteFile(const QString& name, const QByteArray& bytes) {
    const QString path = folder_.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }

  // Loads do not wait for the finished document; the page handler waits the same way. The limit
  // only ends a hung load: the 3 MB document takes over 20 s in the sanitizer build on a loaded
  // machine.
  void WaitComplete() {
    QElapsedTimer waited;
    waited.start();
    while (html_->ReadyState() != READYSTATE_COMPLETE && waited.elapsed() < 90000)
      ProcessMessagesFor(20);
    ASSERT_EQ(html_->ReadyState(), READYSTATE_COMPLETE) << "page did not complete";
  }

  QByteArray SavedBytes() {
    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    wrapper_->SaveToStream(stream);
    return stream.data();
  }

  QTemporaryDir folder_;
  std::unique_ptr<QWebEngineView> view_;
  WebEngineHtmlView* html_ = nullptr;
  std::unique_ptr<TWebBrowserWrapper> wrapper_;
};

TEST_F(WrapperOnEngine, FilesInEachEncodingLoadWithTheirCharsetAndSaveBack) {
  const QString body = QString::fromUtf8("<p>中文字</p>");
  QByteArray utf16le = Bytes({0xFF, 0xFE});
  QByteArray utf16be = Bytes({0xFE, 0xFF});
  const QString page = "<html><head><title>t</title></head><body>" + body + "</body></html>";
  for (QChar unit : page) {
    utf16le += Bytes({unit.unicode() & 0xFF, unit.unicode() >> 8});
    utf16be += Bytes({unit.unicode() >> 8, unit.unicode() & 0xFF});
  }
  const QByteArray big5Text = Bytes({0xA4, 0xA4, 0xA4, 0xE5, 0xA6, 0x72});  // 中文字
  const struct {
    const char* name;
    QByteArray bytes;
    QString charset;
    const TEncoding* encoding;
    QByteArray savedStart;
    QByteArray savedText;
  } cases[] = {
      {"utf8-bom.html", Bytes({0xEF, 0xBB, 0xBF}) + page.toUtf8(), "UTF-8", TEncoding::UTF8(),
       Bytes({0xEF, 0xBB, 0xBF}), body.toUtf8()},
      {"utf16le.html", utf16le, "UTF-16LE", TEncoding::Unicode(), Bytes({0xFF, 0xFE}),
       utf16le.mid(2 + 2 * page.indexOf(body), 2 * body.size())},
      {"utf16be.html", utf16be, "UTF-16BE", TEncoding::BigEndianUnicode(), Bytes({0xFE, 0xFF}),
       utf16be.mid(2 + 2 * page.indexOf(body), 2 * body.size())},
      {"big5.html",
       "<html><head><meta charset=\"big5\"></head><body><p>" + big5Text + "</p></body></html>",
       "Big5", TEncoding::Default(), "<", "<p>" + big5Text + "</p>"},
      // Characters the page's code page lacks are saved as references, not lost.
      {"big5-beyond.html",
       "<html><head><meta charset=\"big5\"></head><body><p>" + big5Text +
           " T&acirc;i-l&ocirc;&#x358; &#x20000;</p></body></html>",
       "Big5", TEncoding::Default(), "<",
       "<p>" + big5Text + " T&#226;i-l&#244;&#856; &#131072;</p>"},
      {"latin-beyond.html",
       "<html><head><meta charset=\"windows-1252\"></head><body><p>caf\xE9 &#20013;</p></body>"
       "</html>",
       "windows-1252", TEncoding::Default(), "<", "<p>caf\xE9 &#20013;</p>"},
      {"utf8-meta.html",
       "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body>" + body.toUtf8() +
           "</body></html>",
       "UTF-8", TEncoding::UTF8(), Bytes({0xEF, 0xBB, 0xBF}) + "<!DOCTYPE html>", body.toUtf8()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    wrapper_->LoadFromFile(WriteFile(c.name, c.bytes));
    WaitComplete();
    ASSERT_NE(html_->Document(), nullptr);
    EXPECT_EQ(html_->Document()->charset(), c.charset);
    EXPECT_EQ(wrapper_->Encoding(), c.encoding);
    const QByteArray saved = SavedBytes();
    EXPECT_TRUE(saved.startsWith(c.savedStart)) << saved.left(40).toHex().toStdString();
    EXPECT_TRUE(saved.contains(c.savedText)) << saved.toHex().toStdString();
  }
}

TEST_F(WrapperOnEngine, SaveToStringLeavesOutTheByteOrderMark) {
  wrapper_->LoadFromString(QString::fromUtf8("<html><body>台語</body></html>"), TEncoding::UTF8());
  WaitComplete();
  const QString text = wrapper_->SaveToString();
  EXPECT_TRUE(text.startsWith("<html>")) << text.toStdString();
  EXPECT_TRUE(text.contains(QString::fromUtf8("<body>台語</body>"))) << text.toStdString();
  EXPECT_FALSE(text.contains(QChar(0xFEFF)));
}

TEST_F(WrapperOnEngine, SaveToFileWritesTheChosenEncoding) {
  wrapper_->LoadFromString(QString::fromUtf8("<html><body>台語</body></html>"),
                           TEncoding::Unicode());
  WaitComplete();
  const QString path = folder_.filePath("saved.html");
  wrapper_->SaveToFile(path, TEncoding::BigEndianUnicode());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_TRUE(bytes.startsWith(Bytes({0xFE, 0xFF, 0, '<'}))) << bytes.left(8).toHex().toStdString();
  EXPECT_TRUE(
      TEncoding::BigEndianUnicode()->GetString(bytes.mid(2)).contains(QString::fromUtf8("台語")));

  wrapper_->SaveToFile(path);  // the document's own encoding, replacing the file
  file.close();
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().startsWith(Bytes({0xFF, 0xFE, '<', 0})));
}

TEST_F(WrapperOnEngine, UnwritableFilesAndMissingFilesRaiseTheFileErrors) {
  wrapper_->LoadFromString("<html><body>kept</body></html>", TEncoding::UTF8());
  WaitComplete();
  const QString missing = folder_.filePath("none/MediaLink.html");
  try {
    wrapper_->LoadFromFile(missing);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.message(),
              QString("Cannot open file \"%1\". No such file or directory").arg(missing));
  }
  // Nothing was navigated: the document is the one from before.
  EXPECT_EQ(html_->ReadyState(), READYSTATE_COMPLETE);
  EXPECT_TRUE(wrapper_->SaveToString().contains("kept"));

  EXPECT_FALSE(wrapper_->NavigateToLocalFile(missing));
  EXPECT_TRUE(wrapper_->SaveToString().contains("kept"));
  // A folder is no file: no listing of it replaces the document.
  EXPECT_FALSE(wrapper_->NavigateToLocalFile(folder_.path()));
  EXPECT_TRUE(wrapper_->SaveToString().contains("kept"));

  try {
    wrapper_->SaveToFile(missing);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.message(),
              QString("Cannot create file \"%1\". No such file or directory").arg(missing));
  }
}

TEST_F(WrapperOnEngine, NavigatesToLocalFilesAndWaitsForThem) {
  const QString path = WriteFile("local page.html", "<html><body>local</body></html>");
  EXPECT_TRUE(wrapper_->NavigateToLocalFile(path));
  EXPECT_EQ(html_->ReadyState(), READYSTATE_COMPLETE);
  EXPECT_TRUE(wrapper_->SaveToString().contains("<body>local</body>"));
  EXPECT_EQ(wrapper_->Encoding(), TEncoding::Default());  // windows-1252 by default, no mark
}

// Navigations that load no new document must not leave the wait for completion hanging.
TEST_F(WrapperOnEngine, NavigationsThatLoadNothingStillComplete) {
  const QString path =
      WriteFile("anchor page 中.html", "<html><body><p id=\"a\">anchor</p></body></html>");
  const QString url = "file://" + path;
  const struct {
    const char* name;
    QString before;
    QString url;
  } cases[] = {
      {"script in a view without a document", "", "javascript:void(0)"},
      {"anchor of the current document", url, url + "#a"},
      {"the same anchor again", url + "#a", url + "#a"},
      {"another anchor", url + "#a", url + "#b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QWebEngineView view;
    TWebBrowserWrapper wrapper(WebEngineHtmlView::For(&view));
    if (!c.before.isEmpty()) wrapper.NavigateToURL(c.before);
    // NavigateToURL waits for completion without a limit; the view is asked directly here, so
    // that a fault fails the test instead of hanging it.
    wrapper.WebBrowser()->Navigate(c.url, NavigationFlagsFor(c.url));
    QElapsedTimer waited;
    waited.start();
    while (wrapper.WebBrowser()->ReadyState() != READYSTATE_COMPLETE && waited.elapsed() < 3000)
      ProcessMessagesFor(20);
    EXPECT_EQ(wrapper.WebBrowser()->ReadyState(), READYSTATE_COMPLETE);
    if (!c.before.isEmpty()) {
      EXPECT_TRUE(wrapper.SaveToString().contains("anchor"));
    }
  }
}

// A page whose load never ends holds the wrapper only for the wait's limit; the view stays usable.
TEST_F(WrapperOnEngine, ALoadThatNeverEndsIsWaitedForOnlySoLong) {
  test::SilentServer server;
  ASSERT_TRUE(server.Listening());
  const int limit = LoadWaitLimitMs;
  LoadWaitLimitMs = 1000;
  QElapsedTimer waited;
  waited.start();
  wrapper_->NavigateToURL(server.Url("never.html"));
  const qint64 elapsed = waited.elapsed();
  LoadWaitLimitMs = limit;
  EXPECT_GE(elapsed, 1000);
  EXPECT_LT(elapsed, 10000);
  EXPECT_NE(html_->ReadyState(), READYSTATE_COMPLETE);

  const QString path = WriteFile("after.html", "<html><body>after</body></html>");
  EXPECT_TRUE(wrapper_->NavigateToLocalFile(path));
  EXPECT_TRUE(wrapper_->SaveToString().contains("<body>after</body>"));
}

TEST_F(WrapperOnEngine, ADocumentAboveTwoMegabytesLoads) {
  QByteArray page = "<html><body>";
  const QByteArray line = "<p>0123456789 abcdefghijklmnopqrstuvwxyz</p>\n";
  while (page.size() < 3 * 1024 * 1024) page += line;
  page += "<p id=\"end\">the end</p></body></html>";
  wrapper_->LoadFromFile(WriteFile("large.html", page));
  WaitComplete();
  EXPECT_TRUE(wrapper_->SaveToString().contains("<p id=\"end\">the end</p>"));
}

TEST_F(WrapperOnEngine, EncodingNeedsACurrentDocument) {
  EXPECT_EQ(html_->Document(), nullptr);
  try {
    wrapper_->Encoding();
    ADD_FAILURE() << "no assertion";
  } catch (const Error& error) {
    EXPECT_TRUE(error.message().startsWith("Assertion failure")) << error.what();
  }
  // Saving without a document gives nothing.
  EXPECT_EQ(wrapper_->SaveToString(), QString());
}

TEST_F(WrapperOnEngine, NavigatesToAProgramResource) {
  wrapper_->NavigateToResource(TModuleHandle(nullptr), TResourceId::Name("INDEX"),
                               TResourceId::Number(23));
  EXPECT_TRUE(wrapper_->SaveToString().contains("resource page"))
      << wrapper_->SaveToString().toStdString();
  wrapper_->NavigateToResource("any.exe", TResourceId::Name("INDEX"));  // the type defaults to HTML
  EXPECT_TRUE(wrapper_->SaveToString().contains("resource page"));
  wrapper_->NavigateToURL("about:blank");
  EXPECT_FALSE(wrapper_->SaveToString().contains("resource page"));
}

}  // namespace
