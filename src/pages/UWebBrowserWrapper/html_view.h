#pragma once
// What the browser wrapper needs of an embedded HTML view and of the document it holds.

#include <QByteArray>
#include <QString>

namespace ravlek {

// Navigation flags, the view's own values.
constexpr int navNoHistory = 2;
constexpr int navNoReadFromCache = 4;
constexpr int navNoWriteToCache = 8;

// The ready state of a view whose current load has ended.
constexpr int READYSTATE_COMPLETE = 4;

// The document a view holds. A facet the document lacks answers false to its Supports… query.
class HtmlDocument {
 public:
  virtual ~HtmlDocument() = default;

  // The persist-stream facet: reset, read from bytes, write to bytes.
  virtual bool SupportsPersistStream() const = 0;
  // Resets the document to empty; false when that failed.
  virtual bool InitNew() = 0;
  // Parses the bytes as HTML; the character set comes from a byte-order mark or the markup.
  virtual bool Load(const QByteArray& bytes) = 0;
  // The markup as bytes in the document's encoding, with that encoding's byte-order mark where
  // the encoding is a Unicode one; clears the changed mark.
  virtual QByteArray Save() = 0;

  // The HTML-document facet.
  virtual bool SupportsHtmlDocument2() const = 0;
  // The name of the document's character set ("UTF-8", "Big5", "UTF-16LE", …).
  virtual QString charset() = 0;
};

class HtmlView {
 public:
  virtual ~HtmlView() = default;

  // Starts loading the URL; "about:blank" gives an empty document.
  virtual void Navigate(const QString& url, int flags) = 0;
  // READYSTATE_COMPLETE (4) once the current load has ended; less while a load is under way.
  virtual int ReadyState() const = 0;
  // The current document, or nullptr before the first navigation.
  virtual HtmlDocument* Document() = 0;
};

}  // namespace ravlek
