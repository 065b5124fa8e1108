#include "dictionary/memo_text.h"

#include <algorithm>
#include <vector>

namespace ravlek {
namespace {

constexpr QChar kBlockBreak = QChar::ParagraphSeparator;

// The document text of stored, with the place in stored where each of its characters begins (one
// entry more, for the end).
QString DocumentText(const QString& stored, std::vector<qsizetype>* starts) {
  QString text;
  text.reserve(stored.size());
  for (qsizetype i = 0; i < stored.size(); ++i) {
    if (starts) starts->push_back(i);
    const QChar c = stored[i];
    if (c == u'\r' || c == u'\n' || c == kBlockBreak) {
      if (c == u'\r' && i + 1 < stored.size() && stored[i + 1] == u'\n') ++i;
      text.append(kBlockBreak);
    } else {
      text.append(c);
    }
  }
  if (starts) starts->push_back(stored.size());
  return text;
}

QString LineBreakOf(const QString& stored) {
  for (qsizetype i = 0; i < stored.size(); ++i) {
    if (stored[i] == u'\r') {
      return i + 1 < stored.size() && stored[i + 1] == u'\n' ? QStringLiteral("\r\n")
                                                             : QStringLiteral("\r");
    }
    if (stored[i] == u'\n' || stored[i] == kBlockBreak) return QString(stored[i]);
  }
  return QStringLiteral("\n");
}

}  // namespace

QString MemoDocumentText(const QString& stored) {
  return DocumentText(stored, nullptr);
}

std::optional<QString> MemoTextToStore(const QString& stored, const QString& documentText) {
  std::vector<qsizetype> starts;
  const QString shown = DocumentText(stored, &starts);
  if (shown == documentText) return std::nullopt;
  const qsizetype limit = std::min(shown.size(), documentText.size());
  qsizetype prefix = 0;
  while (prefix < limit && shown[prefix] == documentText[prefix]) ++prefix;
  qsizetype suffix = 0;
  while (suffix < limit - prefix &&
         shown[shown.size() - 1 - suffix] == documentText[documentText.size() - 1 - suffix]) {
    ++suffix;
  }
  QString typed = documentText.mid(prefix, documentText.size() - prefix - suffix);
  typed.replace(kBlockBreak, LineBreakOf(stored));
  const qsizetype keptEnd = starts[static_cast<size_t>(prefix)];
  const qsizetype keptStart = starts[static_cast<size_t>(shown.size() - suffix)];
  return stored.left(keptEnd) + typed + stored.mid(keptStart);
}

}  // namespace ravlek
