#include "dictionary/literary_readings.h"

#include "base/error.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"

namespace ravlek {

void LiteraryReadings::Add(const QString& hanWord, const QString& ptype,
                           const LiteraryReading& reading) {
  if (ptype.startsWith(u'文') || ptype.startsWith(u'通')) byCharacter_[hanWord].push_back(reading);
}

QList<LiteraryReading> LiteraryReadings::Find(const QString& character) const {
  return byCharacter_.value(character);
}

LiteraryReadings LiteraryReadings::FromTable(TFDConnection& connection) {
  // The six fields the synthesis reads; a table without some of them is read whole.
  TFDQuery query(connection, QStringLiteral("FDQueryLiteraryReadings"),
                 QStringLiteral("select HanWord, Ptype, HanSpell, Initial_C_type, PoemRhyme, "
                                "hong5se3 from RavlekTable where Ptype<>'' "));
  try {
    query.Open();
  } catch (const Error&) {
    query.SetSQL(DatasetStatement(QStringLiteral("FDQueryRavlekTable")));
    query.Open();
  }
  const int hanWord = query.FieldIndex(QStringLiteral("HanWord"));
  const int ptype = query.FieldIndex(QStringLiteral("Ptype"));
  const int hanSpell = query.FieldIndex(QStringLiteral("HanSpell"));
  const int initialType = query.FieldIndex(QStringLiteral("Initial_C_type"));
  const int poemRhyme = query.FieldIndex(QStringLiteral("PoemRhyme"));
  const int division = query.FieldIndex(QStringLiteral("hong5se3"));
  auto text = [&](int row, int field) { return field < 0 ? QString() : query.Text(row, field); };
  LiteraryReadings readings;
  const int rows = query.RecordCount();
  for (int row = 0; row < rows; ++row) {
    readings.Add(
        text(row, hanWord), text(row, ptype),
        {text(row, hanSpell), text(row, initialType), text(row, poemRhyme), text(row, division)});
  }
  query.Close();
  return readings;
}

}  // namespace ravlek
