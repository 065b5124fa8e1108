#include "dictionary/class_readings.h"

#include "base/error.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/reading_classes.h"

namespace ravlek {

namespace {
int RequiredField(const TFDQuery& query, const QString& name) {
  const int index = query.FieldIndex(name);
  if (index < 0) throw Error(QStringLiteral("%1: field '%2' not found").arg(query.Name(), name));
  return index;
}
}  // namespace

void DatasetClassReadingSource::ReadClass(const ReadingClass& readingClass, const RowFn& row) {
  query_.Close();
  query_.SetSQL(QString::fromUtf8(readingClass.statement));
  query_.FilterOff();
  query_.Open();
  const int hanWord = RequiredField(query_, QStringLiteral("HanWord"));
  const int hanSpell = RequiredField(query_, QStringLiteral("HanSpell"));
  const int count = query_.RecordCount();
  for (int i = 0; i < count; ++i) row(query_.TextView(i, hanWord), query_.TextView(i, hanSpell));
  query_.Close();
}

QString DatasetClassReadingSource::ContentStamp() const {
  return query_.Connection().ContentStamp();
}

}  // namespace ravlek
