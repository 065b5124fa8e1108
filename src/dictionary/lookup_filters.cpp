#include "dictionary/lookup_filters.h"

#include "dictionary/filter.h"
#include "dictionary/rhymes.h"
#include "dictionary/tailo.h"

namespace ravlek {

QString CharacterFilter(const QString& text) {
  return QStringLiteral("HanWord =") + QuotedStr(text + QLatin1Char('*'));
}

QString SpellSearchText(const QString& typed) {
  return NumericTaiLo(typed).toLower();
}

QString SpellFilter(const QString& text, const QString& classText) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && text[begin].unicode() <= 0x20) ++begin;
  while (end > begin && text[end - 1].unicode() <= 0x20) --end;
  const QString search = text.mid(begin, end - begin);

  QString classCondition;
  const auto condition = [](const QString& readingClass) {
    return QStringLiteral("AND ([Ptype] like ") + QuotedStr(QStringLiteral("%通%")) +
           QStringLiteral(" or [Ptype] like ") +
           QuotedStr(QLatin1Char('%') + readingClass + QLatin1Char('%')) + QLatin1Char(')');
  };
  if (classText == QStringLiteral("白")) classCondition = condition(QStringLiteral("白"));
  if (classText == QStringLiteral("文")) classCondition = condition(QStringLiteral("文"));

  if (search.endsWith(QLatin1Char('*'))) {
    return QStringLiteral("[HanSpell] like ") + QuotedStr(QLatin1Char('%') + search.chopped(1)) +
           classCondition;
  }
  return QStringLiteral("HanSpell =") + QuotedStr(search + QLatin1Char('*')) + classCondition;
}

QString RhymeFilter(const QString& text) {
  // An emptied box asks for everything: rows without a rhyme (伍, 亞) too.
  if (text.isEmpty()) return QString();
  return QStringLiteral("PoemRhyme =") + QuotedStr(NormalizeRhymeName(text) + QLatin1Char('*'));
}

bool NamesARhyme(const QString& text) {
  QString name = text;
  name.replace(u'刪', u'删');
  for (const QString& rhyme : PingshuiRhymeNames()) {
    if (rhyme.contains(name)) return true;
  }
  return false;
}

QString TrimmedCharacters(const QString& text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  const auto blank = [](QChar c) { return c.isSpace() || c == u'\u3000'; };
  while (begin < end && blank(text[begin])) ++begin;
  while (end > begin && blank(text[end - 1])) --end;
  return text.mid(begin, end - begin);
}

QString EachCharacterFilter(const QStringList& characters) {
  QStringList conditions;
  for (const QString& character : characters)
    conditions << QStringLiteral("(HanWord =") + QuotedStr(character + QLatin1Char('*')) +
                      QLatin1Char(')');
  return conditions.join(QStringLiteral(" or "));
}

const QStringList& LookupGridFields() {
  static const QStringList fields = {
      QStringLiteral("HanWord"),   QStringLiteral("Ptype"),       QStringLiteral("HanSpell"),
      QStringLiteral("Spell_P"),   QStringLiteral("Spell_P_Han"), QStringLiteral("Initial_C_type"),
      QStringLiteral("PoemRhyme"), QStringLiteral("hong5se3"),    QStringLiteral("PoemRhyme2"),
      QStringLiteral("PtypeDesc")};
  return fields;
}

}  // namespace ravlek
