#include "pages/window/web_engine_html_view.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>
#include <memory>

#include "base/characters.h"
#include "base/program_end.h"
#include "pages/UWebBrowserWrapper/UWebBrowserWrapper.h"
#include "pages/UWebBrowserWrapper/encoding.h"

namespace ravlek {

namespace {

const QByteArray documentScheme = "ravlek-doc";

// The scheme must be known before the engine starts, hence at application construction.
void RegisterDocumentScheme() {
  QWebEngineUrlScheme scheme(documentScheme);
  scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
  scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
  QWebEngineUrlScheme::registerScheme(scheme);
}
Q_COREAPP_STARTUP_FUNCTION(RegisterDocumentScheme)

// Serves the documents views read from bytes, by key; the mime type names no character set.
class DocumentSchemeHandler : public QWebEngineUrlSchemeHandler {
 public:
  using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

  static DocumentSchemeHandler* In(QWebEngineProfile* profile) {
    auto* handler = static_cast<DocumentSchemeHandler*>(
        const_cast<QWebEngineUrlSchemeHandler*>(profile->urlSchemeHandler(documentScheme)));
    if (handler == nullptr) {
      handler = new DocumentSchemeHandler(profile);
      profile->installUrlSchemeHandler(documentScheme, handler);
    }
    return handler;
  }

  void Put(const QString& key, const QByteArray& bytes) { documents_.insert(key, bytes); }
  void Remove(const QString& key) { documents_.remove(key); }

  void requestStarted(QWebEngineUrlRequestJob* job) override {
    auto found = documents_.constFind(job->requestUrl().path());
    if (found == documents_.constEnd()) {
      job->fail(QWebEngineUrlRequestJob::UrlNotFound);
      return;
    }
    auto* body = new QBuffer(job);
    body->setData(*found);
    body->open(QIODevice::ReadOnly);
    job->reply("text/html", body);
  }

 private:
  QHash<QString, QByteArray> documents_;
};

// A "res://MODULE/[TYPE/]NAME" address names the Qt resource ":/res/TYPE/NAME", the type being
// "#23" (HTML) when absent. The segments are compared in their escaped form, so any name that
// BuildResUrl can write is found. All modules of the program share one resource tree.
QString FindResourceFile(const QString& url) {
  const QStringList parts = url.mid(int(qstrlen("res://"))).split(QLatin1Char('/'));
  if (parts.size() < 2 || parts.size() > 3) return {};
  const QString typeSegment = parts.size() == 3 ? parts[1] : PercentEscape(QStringLiteral("#23"));
  const QString nameSegment = parts.last();
  QDirIterator types(QStringLiteral(":/res"), QDir::Dirs | QDir::NoDotAndDotDot);
  while (types.hasNext()) {
    types.next();
    if (PercentEscape(types.fileName()) != typeSegment) continue;
    QDirIterator names(types.filePath(), QDir::Files);
    while (names.hasNext()) {
      names.next();
      if (PercentEscape(names.fileName()) == nameSegment) return names.filePath();
    }
  }
  return {};
}

// The markup in the document's encoding. A character that the encoding cannot hold (a Tai-lo
// vowel in a Big5 page) is written as a numeric character reference, so the saved document still
// reads as it was shown. Pieces that convert whole are taken as they are; others are halved.
QByteArray EncodeMarkup(const TEncoding& encoding, QStringView text) {
  const QString piece = text.toString();
  const QByteArray bytes = encoding.GetBytes(piece);
  if (encoding.GetString(bytes) == piece) return bytes;
  const qsizetype first = CharacterLength(text, 0);
  if (first == text.size()) {
    const char32_t code = CharacterCode(text, 0, first);
    return encoding.GetBytes(QStringLiteral("&#%1;").arg(quint32(code)));
  }
  qsizetype half = text.size() / 2;
  if (text[half].isLowSurrogate() && text[half - 1].isHighSurrogate()) ++half;
  return EncodeMarkup(encoding, text.left(half)) + EncodeMarkup(encoding, text.mid(half));
}

bool (*programEnding)() = &ProgramEndRequested;

bool SameAddress(const QUrl& a, const QUrl& b) {
  const auto options = QUrl::NormalizePathSegments | QUrl::StripTrailingSlash;
  return a.adjusted(options) == b.adjusted(options);
}

}  // namespace

void WebEngineHtmlView::SetProgramEnding(bool (*ending)()) {
  programEnding = ending;
}

WebEngineHtmlView* WebEngineHtmlView::For(QWebEngineView* view) {
  auto* existing = view->findChild<WebEngineHtmlView*>(QString(), Qt::FindDirectChildrenOnly);
  return existing != nullptr ? existing : new WebEngineHtmlView(view);
}

WebEngineHtmlView::WebEngineHtmlView(QWebEngineView* view) : QObject(view), view_(view) {
  connect(view_->page(), &QWebEnginePage::loadingChanged, this,
          &WebEngineHtmlView::OnLoadingChanged);
}

void WebEngineHtmlView::Navigate(const QString& url, int /*flags*/) {
  // The engine keeps no cache for local schemes, so the flags need no translation.
  hasDocument_ = true;
  const bool inPlace = url.startsWith(QLatin1String("javascript:"), Qt::CaseInsensitive) ||
                       url.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive);
  // These load nothing: a view that held no document yet now holds the engine's empty one, which
  // is complete, so the wait for completion ends.
  if (inPlace && readyState_ == 0) readyState_ = READYSTATE_COMPLETE;
  if (url.startsWith(QLatin1String("javascript:"), Qt::CaseInsensitive)) {
    // Runs in the current document, which stays as complete as it was.
    view_->page()->runJavaScript(QUrl::fromPercentEncoding(url.mid(11).toUtf8()),
                                 QWebEngineScript::MainWorld);
    return;
  }
  if (url.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive)) {
    // Handed to the desktop's mail program; the document stays.
    QDesktopServices::openUrl(QUrl(url));
    return;
  }
  if (url.startsWith(QLatin1String("res://"), Qt::CaseInsensitive)) {
    const QString resource = FindResourceFile(url);
    QFile file(resource);
    if (!resource.isEmpty() && file.open(QIODevice::ReadOnly)) {
      ServeBytes(file.readAll());
    } else {
      StartLoad(QUrl(QString::fromLatin1(documentScheme) + QStringLiteral(":/missing")));
    }
    return;
  }
  const QUrl target(url);
  const QUrl current = view_->url();
  if (readyState_ == READYSTATE_COMPLETE && target.hasFragment() && target != current &&
      target.adjusted(QUrl::RemoveFragment) == current.adjusted(QUrl::RemoveFragment)) {
    // A jump to an anchor of the complete document moves within it: the engine reports no load,
    // and the document stays complete.
    pending_ = target;
    pendingStarted_ = false;
    view_->page()->load(target);
    return;
  }
  StartLoad(target);
}

void WebEngineHtmlView::StartLoad(const QUrl& url) {
  pending_ = url;
  pendingStarted_ = false;
  readyState_ = 1;
  view_->page()->load(url);
}

void WebEngineHtmlView::ServeBytes(const QByteArray& bytes) {
  static quint64 serial = 0;
  auto* handler = DocumentSchemeHandler::In(view_->page()->profile());
  if (!servedKey_.isEmpty()) handler->Remove(servedKey_);
  servedKey_ = QStringLiteral("/document-%1").arg(++serial);
  handler->Put(servedKey_, bytes);
  StartLoad(QUrl(QString::fromLatin1(documentScheme) + QLatin1Char(':') + servedKey_));
}

bool WebEngineHtmlView::Load(const QByteArray& bytes) {
  ServeBytes(bytes);
  return true;
}

void WebEngineHtmlView::OnLoadingChanged(const QWebEngineLoadingInfo& info) {
  // Only the load asked for last counts: an earlier one that ends now does not complete it.
  if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
    if (SameAddress(info.url(), pending_)) pendingStarted_ = true;
    return;
  }
  if (pendingStarted_ || SameAddress(info.url(), pending_)) readyState_ = READYSTATE_COMPLETE;
}

QVariant WebEngineHtmlView::Evaluate(const QString& script) {
  struct Answer {
    bool arrived = false;
    QVariant value;
  };
  auto answer = std::make_shared<Answer>();
  view_->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                               [answer](const QVariant& value) {
                                 answer->value = value;
                                 answer->arrived = true;
                               });
  QElapsedTimer waited;
  waited.start();
  while (!answer->arrived && waited.elapsed() < scriptTimeoutMs && !programEnding())
    ProcessMessagesFor(50);
  return answer->value;
}

QByteArray WebEngineHtmlView::Save() {
  const QStringList parts =
      Evaluate(QStringLiteral(
                   "[document.characterSet,"
                   " document.doctype ? new XMLSerializer().serializeToString(document.doctype)"
                   " : '',"
                   " document.documentElement ? document.documentElement.outerHTML : '']"))
          .toStringList();
  if (parts.size() != 3) return {};
  QString markup = parts[2];
  if (!parts[1].isEmpty()) markup.prepend(parts[1] + QLatin1Char('\n'));
  // Unicode documents carry their byte-order mark; a character set the converter does not know
  // is written as UTF-8 with its mark, so the markup stays whole and its encoding stays known.
  const TEncoding* encoding = TEncoding::GetEncoding(parts[0].toLatin1());
  if (encoding == nullptr) encoding = TEncoding::UTF8();
  return encoding->GetPreamble() + EncodeMarkup(*encoding, markup);
}

QString WebEngineHtmlView::charset() {
  return Evaluate(QStringLiteral("document.characterSet")).toString();
}

}  // namespace ravlek
