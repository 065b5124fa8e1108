#pragma once
// TWebBrowserWrapper gives one embedded HTML view a file-and-stream interface: load a document
// from a file, a stream or a text; navigate to a URL, a local file or a module resource; save the
// document to a file, a stream or a text; and tell the encoding of the current document.
// The wrapper does not own the view and keeps nothing but the reference to it.

#include <QIODevice>
#include <QString>
#include <cstdint>
#include <functional>
#include <variant>

#include "pages/UWebBrowserWrapper/encoding.h"
#include "pages/UWebBrowserWrapper/html_view.h"

namespace ravlek {

// A resource identifier: a number from 0 to 65535 or a name. A default-made one is "not given".
class TResourceId {
 public:
  TResourceId() = default;
  static TResourceId Number(quint16 number) { return TResourceId(number); }
  static TResourceId Name(const QString& name) { return TResourceId(name); }
  bool IsGiven() const { return !std::holds_alternative<std::monostate>(value_); }
  bool IsNumber() const { return std::holds_alternative<quint16>(value_); }
  quint16 number() const { return std::get<quint16>(value_); }
  const QString& name() const { return std::get<QString>(value_); }

 private:
  explicit TResourceId(quint16 number) : value_(number) {}
  explicit TResourceId(const QString& name) : value_(name) {}
  std::variant<std::monostate, quint16, QString> value_;
};

// A handle of a loaded program module; nullptr stands for the program itself.
using TModuleHandle = void*;

class TWebBrowserWrapper {
 public:
  explicit TWebBrowserWrapper(HtmlView* WebBrowser) : fWebBrowser(WebBrowser) {}

  HtmlView* WebBrowser() const { return fWebBrowser; }

  void LoadFromFile(const QString& FileName);
  void LoadFromStream(QIODevice& Stream);
  void LoadFromString(const QString& HTML);
  void LoadFromString(const QString& HTML, const TEncoding* Encoding);
  bool NavigateToLocalFile(const QString& FileName);
  void NavigateToResource(TModuleHandle Module, const TResourceId& ResName,
                          const TResourceId& ResType = {});
  void NavigateToResource(const QString& ModuleName, const TResourceId& ResName,
                          const TResourceId& ResType = {});
  // Waits for the load to end, LoadWaitLimitMs at most.
  void NavigateToURL(const QString& URL);
  QString SaveToString();
  void SaveToStream(QIODevice& Stm);
  void SaveToStream(QIODevice& Stm, const TEncoding* Encoding);
  void SaveToFile(const QString& FileName);
  void SaveToFile(const QString& FileName, const TEncoding* Encoding);
  // The encoding of the current document, worked out on every read.
  const TEncoding* Encoding();

 private:
  void ReadDocumentFrom(QIODevice& Stream);
  void WriteDocumentTo(QIODevice& Stream);

  HtmlView* const fWebBrowser;
};

// ---- routines of the unit

// The platform's millisecond tick counter (32 bits; it wraps after about 49.7 days).
quint32 GetTickCount();
// Milliseconds from `start` to `now`, taken modulo 2^32 so that a wrap of the counter between the
// two readings still gives the true difference.
quint32 TickElapsed(quint32 start, quint32 now);
// Processes pending window messages until at least `ms` milliseconds have passed. The tick
// source can be replaced (tests).
void PumpFor(quint32 ms, const std::function<quint32()>& tickCount = GetTickCount);
// Processes pending window messages once, waiting at most `ms` for one to arrive.
void ProcessMessagesFor(int ms);
// How long a wait for a view's load to end lasts (ms) before the view is taken as it stands: a
// page whose load never finishes must not hold the window. Tests shorten it.
inline int LoadWaitLimitMs = 15000;
// Processes messages until the view's load has ended (true) or the limit has passed (false).
bool WaitForLoadEnd(const HtmlView& view, int limitMs = LoadWaitLimitMs);

// The flags NavigateToURL passes: 2, or 14 for local schemes (res, file, about, javascript,
// mailto, in any letter case), which must neither read nor fill the cache.
int NavigationFlagsFor(const QString& URL);

// The encoding whose byte-order mark begins the stream (read from its start), else Default.
const TEncoding* DetectStreamEncoding(QIODevice& Stream);
// Writes the encoding's preamble (if any) and the encoded text.
void WriteTextEncoded(const QString& Text, QIODevice& Stream, const TEncoding* Encoding);
// Copies A–Z, a–z, 0–9, "-", "." and "_"; every other UTF-16 code unit becomes "%" and its value
// in upper-case hexadecimal with at least two digits.
QString PercentEscape(const QString& Text);
// "#23" for a number, the name itself for a name.
QString ResourceIdText(const TResourceId& Id);
QString BuildResUrl(const QString& ModuleName, const TResourceId& ResName,
                    const TResourceId& ResType = {});
QString BuildResUrl(TModuleHandle Module, const TResourceId& ResName,
                    const TResourceId& ResType = {});
// The file name of a loaded module (the program's own for nullptr).
QString ModuleFileName(TModuleHandle Module);

}  // namespace ravlek
