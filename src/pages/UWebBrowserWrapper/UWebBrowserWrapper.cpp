#include "pages/UWebBrowserWrapper/UWebBrowserWrapper.h"

#if defined(__linux__)
#include <dlfcn.h>
#include <link.h>
#endif

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include "base/byte_order_mark.h"
#include "base/error.h"
#include "base/program_end.h"

namespace ravlek {

namespace {

// A violated precondition: the unit's name and the line go with the text.
[[noreturn]] void AssertionFailure(int line) {
  throw Error(QStringLiteral("Assertion failure (UWebBrowserWrapper, line %1)").arg(line));
}
#define WBW_ASSERT(condition) \
  if (!(condition)) AssertionFailure(__LINE__)

QString FullFileName(const QString& fileName) {
  return QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
}

}  // namespace

// ---- routines of the unit

quint32 GetTickCount() {
  static QElapsedTimer clock = [] {
    QElapsedTimer started;
    started.start();
    return started;
  }();
  return static_cast<quint32>(clock.elapsed());
}

quint32 TickElapsed(quint32 start, quint32 now) {
  return now - start;
}

void ProcessMessagesFor(int ms) {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (ms <= 0) return;
  // The timer bounds the wait: it wakes the loop when no other message comes first.
  QTimer wake;
  wake.setSingleShot(true);
  wake.start(ms);
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

bool WaitForLoadEnd(const HtmlView& view, int limitMs) {
  const quint32 start = GetTickCount();
  while (view.ReadyState() != READYSTATE_COMPLETE) {
    if (TickElapsed(start, GetTickCount()) >= static_cast<quint32>(limitMs)) return false;
    // A closed window waits for no page.
    if (ProgramEndRequested()) return false;
    PumpFor(5);
  }
  return true;
}

void PumpFor(quint32 ms, const std::function<quint32()>& tickCount) {
  const quint32 start = tickCount();
  for (;;) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    const quint32 elapsed = TickElapsed(start, tickCount());
    if (elapsed >= ms) return;
    ProcessMessagesFor(static_cast<int>(ms - elapsed));
  }
}

int NavigationFlagsFor(const QString& URL) {
  static const char* const localSchemes[] = {"res://", "file://",
                                             "about:", "javascript:", "mailto:"};
  int flags = navNoHistory;
  for (const char* scheme : localSchemes) {
    if (URL.startsWith(QLatin1String(scheme), Qt::CaseInsensitive)) {
      flags += navNoReadFromCache + navNoWriteToCache;
      break;
    }
  }
  return flags;
}

const TEncoding* DetectStreamEncoding(QIODevice& Stream) {
  Stream.seek(0);
  switch (DetectByteOrderMark(Stream.readAll())) {
    case ByteOrderMark::Utf8:
      return TEncoding::UTF8();
    case ByteOrderMark::Utf16Le:
      return TEncoding::Unicode();
    case ByteOrderMark::Utf16Be:
      return TEncoding::BigEndianUnicode();
    case ByteOrderMark::None:
      break;
  }
  return TEncoding::Default();
}

void WriteTextEncoded(const QString& Text, QIODevice& Stream, const TEncoding* Encoding) {
  WBW_ASSERT(Encoding != nullptr);
  const QByteArray bytes = Encoding->GetBytes(Text);
  const QByteArray preamble = Encoding->GetPreamble();
  if (!preamble.isEmpty()) Stream.write(preamble);
  Stream.write(bytes);
}

QString PercentEscape(const QString& Text) {
  QString escaped;
  escaped.reserve(Text.size() * 3);
  for (const QChar unit : Text) {
    const char16_t code = unit.unicode();
    const bool copied = (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z') ||
                        (code >= '0' && code <= '9') || code == '-' || code == '.' || code == '_';
    if (copied) {
      escaped += unit;
    } else {
      escaped += QLatin1Char('%');
      escaped +=
          QStringLiteral("%1").arg(static_cast<uint>(code), 2, 16, QLatin1Char('0')).toUpper();
    }
  }
  return escaped;
}

QString ResourceIdText(const TResourceId& Id) {
  if (Id.IsNumber()) return QStringLiteral("#%1").arg(Id.number());
  return Id.name();
}

QString BuildResUrl(const QString& ModuleName, const TResourceId& ResName,
                    const TResourceId& ResType) {
  WBW_ASSERT(!ModuleName.isEmpty());
  WBW_ASSERT(ResName.IsGiven());
  QString url = QStringLiteral("res://") + PercentEscape(ModuleName);
  if (ResType.IsGiven()) url += QLatin1Char('/') + PercentEscape(ResourceIdText(ResType));
  url += QLatin1Char('/') + PercentEscape(ResourceIdText(ResName));
  return url;
}

QString ModuleFileName(TModuleHandle Module) {
#if defined(__linux__)
  if (Module != nullptr) {
    link_map* map = nullptr;
    if (dlinfo(Module, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr &&
        map->l_name[0] != '\0') {
      return QString::fromLocal8Bit(map->l_name);
    }
  }
#else
  Q_UNUSED(Module);
#endif
  return QCoreApplication::applicationFilePath();
}

QString BuildResUrl(TModuleHandle Module, const TResourceId& ResName, const TResourceId& ResType) {
  return BuildResUrl(ModuleFileName(Module), ResName, ResType);
}

// ---- TWebBrowserWrapper

void TWebBrowserWrapper::NavigateToURL(const QString& URL) {
  fWebBrowser->Navigate(URL, NavigationFlagsFor(URL));
  WaitForLoadEnd(*fWebBrowser);
}

void TWebBrowserWrapper::LoadFromFile(const QString& FileName) {
  // Other processes may read and write the file meanwhile: nothing here locks it.
  QFile file(FileName);
  if (!file.open(QIODevice::ReadOnly)) {
    throw CannotOpenFileError(FullFileName(FileName), file.errorString());
  }
  LoadFromStream(file);
}

void TWebBrowserWrapper::LoadFromStream(QIODevice& Stream) {
  NavigateToURL(QStringLiteral("about:blank"));
  ReadDocumentFrom(Stream);
}

void TWebBrowserWrapper::LoadFromString(const QString& HTML) {
  LoadFromString(HTML, TEncoding::Default());
}

void TWebBrowserWrapper::LoadFromString(const QString& HTML, const TEncoding* Encoding) {
  WBW_ASSERT(Encoding != nullptr);
  QBuffer stream;
  stream.open(QIODevice::ReadWrite);
  WriteTextEncoded(HTML, stream, Encoding);
  stream.seek(0);
  LoadFromStream(stream);
}

bool TWebBrowserWrapper::NavigateToLocalFile(const QString& FileName) {
  const bool exists = QFileInfo(FileName).isFile();
  if (exists) NavigateToURL(QStringLiteral("file://") + FileName);
  return exists;
}

void TWebBrowserWrapper::NavigateToResource(TModuleHandle Module, const TResourceId& ResName,
                                            const TResourceId& ResType) {
  NavigateToResource(ModuleFileName(Module), ResName, ResType);
}

void TWebBrowserWrapper::NavigateToResource(const QString& ModuleName, const TResourceId& ResName,
                                            const TResourceId& ResType) {
  NavigateToURL(BuildResUrl(ModuleName, ResName, ResType));
}

QString TWebBrowserWrapper::SaveToString() {
  QBuffer stream;
  stream.open(QIODevice::ReadWrite);
  WriteDocumentTo(stream);
  const TEncoding* encoding = DetectStreamEncoding(stream);
  const QByteArray bytes = stream.data().mid(encoding->GetPreamble().size());
  return encoding->GetString(bytes);
}

void TWebBrowserWrapper::SaveToStream(QIODevice& Stm) {
  WriteDocumentTo(Stm);
}

void TWebBrowserWrapper::SaveToStream(QIODevice& Stm, const TEncoding* Encoding) {
  WriteTextEncoded(SaveToString(), Stm, Encoding);
}

void TWebBrowserWrapper::SaveToFile(const QString& FileName) {
  QFile file(FileName);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    throw CannotCreateFileError(FullFileName(FileName), file.errorString());
  }
  SaveToStream(file);
}

void TWebBrowserWrapper::SaveToFile(const QString& FileName, const TEncoding* Encoding) {
  QFile file(FileName);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    throw CannotCreateFileError(FullFileName(FileName), file.errorString());
  }
  SaveToStream(file, Encoding);
}

const TEncoding* TWebBrowserWrapper::Encoding() {
  HtmlDocument* document = fWebBrowser->Document();
  WBW_ASSERT(document != nullptr);
  const TEncoding* result = TEncoding::Default();
  if (document->SupportsHtmlDocument2()) {
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    WriteDocumentTo(stream);
    result = DetectStreamEncoding(stream);
  }
  return result;
}

void TWebBrowserWrapper::ReadDocumentFrom(QIODevice& Stream) {
  HtmlDocument* document = fWebBrowser->Document();
  if (document == nullptr || !document->SupportsPersistStream()) return;
  if (!document->InitNew()) return;
  document->Load(Stream.readAll());
}

void TWebBrowserWrapper::WriteDocumentTo(QIODevice& Stream) {
  HtmlDocument* document = fWebBrowser->Document();
  if (document == nullptr || !document->SupportsPersistStream()) return;
  Stream.write(document->Save());
}

}  // namespace ravlek
