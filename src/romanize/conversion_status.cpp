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
    // A class consulted always (通, 文, 今) was not asked for: a dictionary without modern
    // readings, as the shipped one, is no fault to report after every conversion.
    const QString box = BoxOfClass(readingClass);
    if (box.isEmpty()) continue;
    clauses.append(
        QStringLiteral("字典中沒有「%1」類讀音，「%2」沒有作用").arg(readingClass).arg(box));
  }
  if (clauses.isEmpty()) return {};
  return clauses.join(QStringLiteral("；")) + QStringLiteral("。");
}

}  // namespace ravlek
