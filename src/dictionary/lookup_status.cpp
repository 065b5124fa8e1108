#include "dictionary/lookup_status.h"

namespace ravlek {

QString NoCharacterStatus(const QString& text) {
  return QStringLiteral("字典中沒有「%1」。").arg(text);
}

QString EachCharacterStatus(const QString& run, const QStringList& characters,
                            const QStringList& missing) {
  QString status = QStringLiteral("沒有以「%1」起頭的詞，改查各字：%2")
                       .arg(run, characters.join(QStringLiteral("、")));
  if (!missing.isEmpty())
    status += QStringLiteral("；字典中沒有：%1").arg(missing.join(QStringLiteral("、")));
  return status + u'。';
}

QString NoReadingStatus(const QString& search, const QString& classText) {
  QString status;
  if (search.endsWith(u'*'))
    status = QStringLiteral("沒有讀音以「%1」結尾的字").arg(search.chopped(1));
  else
    status = QStringLiteral("沒有讀音以「%1」起頭的字").arg(search);
  if (classText == u"白" || classText == u"文")
    status += QStringLiteral("（只查通讀與%1讀）").arg(classText);
  return status + u'。';
}

QString NotARhymeStatus(const QString& text) {
  return QStringLiteral("「%1」不是平水韻的韻目。").arg(text);
}

QString NoRhymeRowsStatus(const QString& text) {
  return QStringLiteral("字典中沒有平水韻「%1」的字。").arg(text);
}

}  // namespace ravlek
