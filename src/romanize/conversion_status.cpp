#include "romanize/conversion_status.h"

#include <QStringList>

namespace ravlek {

namespace {

// The box that makes the conversion consult a class, for the classes consulted only on request.
QString BoxOfClass(QChar readingClass) {
  if (readingClass == u'古') return QStringLiteral("轉古音");
  if (readingClass == u'白') return QStringLiteral("轉白話音");
  return {};
}

}  // namespace

QString EmptyClassesStatus(QStringView emptyClasses) {
  QStringList clauses;
  for (const QChar readingClass : emptyClasses) {
    QString clause = QStringLiteral("字典中沒有「%1」類讀音").arg(readingClass);
    const QString box = BoxOfClass(readingClass);
    if (!box.isEmpty()) clause += QStringLiteral("，「%1」沒有作用").arg(box);
    clauses.append(clause);
  }
  if (clauses.isEmpty()) return {};
  return clauses.join(QStringLiteral("；")) + QStringLiteral("。");
}

}  // namespace ravlek
