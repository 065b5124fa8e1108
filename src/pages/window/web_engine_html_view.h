#pragma once
// The HTML view on Qt WebEngine: one adapter per QWebEngineView, made on first use and owned by
// the view. Documents read from bytes are served to the engine through a URL scheme of this
// program with no character set named, so the engine finds it from a byte-order mark or the
// markup as it does for a file; "res://" addresses are served from the program's Qt resources.

#include <QObject>
#include <QUrl>

#include "pages/UWebBrowserWrapper/html_view.h"

class QWebEngineView;
class QWebEngineLoadingInfo;

namespace ravlek {

class WebEngineHtmlView : public QObject, public HtmlView, private HtmlDocument {
  Q_OBJECT

 public:
  static WebEngineHtmlView* For(QWebEngineView* view);
  // Whether the window has been closed, asked while waiting for a script's answer: the program's
  // own answer, which a module's copy of the core library cannot see.
  static void SetProgramEnding(bool (*programEnding)());

  QWebEngineView* view() const { return view_; }

  // HtmlView
  void Navigate(const QString& url, int flags) override;
  int ReadyState() const override { return readyState_; }
  HtmlDocument* Document() override { return hasDocument_ ? this : nullptr; }

  // How long a question to the page's script may take before it counts as unanswered.
  static constexpr int scriptTimeoutMs = 15000;

 private:
  explicit WebEngineHtmlView(QWebEngineView* view);

  // HtmlDocument
  bool SupportsPersistStream() const override { return true; }
  bool InitNew() override { return true; }
  bool Load(const QByteArray& bytes) override;
  QByteArray Save() override;
  bool SupportsHtmlDocument2() const override { return true; }
  QString charset() override;

  void StartLoad(const QUrl& url);
  void ServeBytes(const QByteArray& bytes);
  void OnLoadingChanged(const QWebEngineLoadingInfo& info);
  // Runs a script in the page and processes messages until its answer arrives.
  QVariant Evaluate(const QString& script);

  QWebEngineView* view_;
  int readyState_ = 0;
  bool hasDocument_ = false;
  QUrl pending_;
  bool pendingStarted_ = false;
  QString servedKey_;
};

}  // namespace ravlek
