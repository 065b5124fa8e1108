// fanqie-accuracy [--guangyun FILE] [--dictionary RavlekTable.tsv] [--examples N]
//
// For every 廣韻 entry with a fanqie whose character, upper and lower characters all have literary
// (文 or 通) readings in the dictionary, synthesises the notation and compares the candidates with
// the character's own literary readings. Prints the share where some candidate matches, the share
// where the first does, and the kinds of mismatch (which of initial, final and tone differ between
// the first candidate and the nearest literary reading), with examples.

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QMap>
#include <QStringList>
#include <QTextStream>
#include <cstdio>
#include <optional>

#include "build_paths.h"
#include "dictionary/fanqie_synthesis.h"
#include "dictionary/literary_readings.h"
#include "dictionary/tailo_syllable.h"

namespace {

using ravlek::LiteraryReading;

struct Table {
  QStringList header;
  QList<QStringList> rows;
  int Column(const QString& name) const { return static_cast<int>(header.indexOf(name)); }
};

std::optional<Table> ReadTsv(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  Table table;
  const QList<QByteArray> lines = file.readAll().split('\n');
  for (const QByteArray& raw : lines) {
    QByteArray line = raw;
    if (line.endsWith('\r')) line.chop(1);
    if (line.isEmpty()) continue;
    QStringList fields = QString::fromUtf8(line).split(u'\t');
    if (table.header.isEmpty()) {
      table.header = fields;
    } else {
      table.rows.push_back(fields);
    }
  }
  return table;
}

QString Field(const QStringList& row, int column) {
  return column >= 0 && column < row.size() ? row[column] : QString();
}

void Print(const QString& text) {
  std::fputs(text.toUtf8().constData(), stdout);
}

// The tone categories (平上去入) a tone digit may stand for; 7 is also a fully voiced 上.
QString ToneCategories(QChar digit) {
  switch (digit.unicode()) {
    case u'1':
    case u'5':
      return QStringLiteral("平");
    case u'2':
      return QStringLiteral("上");
    case u'3':
      return QStringLiteral("去");
    case u'7':
      return QStringLiteral("去上");
    case u'4':
    case u'8':
      return QStringLiteral("入");
  }
  return QString();
}

// Which of initial, final and tone differ; the fewer, the nearer.
QString Difference(const QString& predicted, const QString& actual, int& count) {
  const auto p = ravlek::SplitTailoSyllable(predicted);
  const auto a = ravlek::SplitTailoSyllable(actual);
  QStringList parts;
  if (!p || !a) {
    count = 3;
    return QStringLiteral("unreadable");
  }
  if (p->initial != a->initial) parts << QStringLiteral("initial");
  if (p->final != a->final) parts << QStringLiteral("final");
  if (p->tone != a->tone) parts << QStringLiteral("tone");
  count = static_cast<int>(parts.size());
  return parts.join(u'+');
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QString guangyunPath = QStringLiteral(RAVLEK_SHARED_DATA_DIR "/guangyun/guangyun.tsv");
  QString dictionaryPath =
      QStringLiteral(RAVLEK_SOURCE_DIR "/data/open_dictionary/RavlekTable.tsv");
  int examplesPerKind = 4;
  QString dumpPath;
  const QStringList args = app.arguments().mid(1);
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i] == u"--guangyun" && i + 1 < args.size()) {
      guangyunPath = args[++i];
    } else if (args[i] == u"--dictionary" && i + 1 < args.size()) {
      dictionaryPath = args[++i];
    } else if (args[i] == u"--mismatches" && i + 1 < args.size()) {
      dumpPath = args[++i];
    } else if (args[i] == u"--examples" && i + 1 < args.size()) {
      examplesPerKind = args[++i].toInt();
    } else {
      std::fputs(
          "usage: fanqie-accuracy [--guangyun FILE] [--dictionary RavlekTable.tsv] "
          "[--examples N] [--mismatches OUT.tsv]\n",
          stderr);
      return 2;
    }
  }
  const auto guangyun = ReadTsv(guangyunPath);
  const auto dictionary = ReadTsv(dictionaryPath);
  if (!guangyun || !dictionary) {
    std::fprintf(stderr, "fanqie-accuracy: cannot read %s\n",
                 (!guangyun ? guangyunPath : dictionaryPath).toUtf8().constData());
    return 1;
  }

  // Literary readings by character, in the dictionary's row order.
  ravlek::LiteraryReadings literary;
  {
    const int han = dictionary->Column(QStringLiteral("HanWord"));
    const int ptype = dictionary->Column(QStringLiteral("Ptype"));
    const int spell = dictionary->Column(QStringLiteral("HanSpell"));
    const int initialType = dictionary->Column(QStringLiteral("Initial_C_type"));
    const int rhyme = dictionary->Column(QStringLiteral("PoemRhyme"));
    const int division = dictionary->Column(QStringLiteral("hong5se3"));
    for (const QStringList& row : dictionary->rows) {
      literary.Add(
          Field(row, han), Field(row, ptype),
          {Field(row, spell), Field(row, initialType), Field(row, rhyme), Field(row, division)});
    }
  }

  // Every entry whose first candidate is not the character's reading, with its Middle-Chinese
  // position, for study.
  QFile dump(dumpPath);
  QTextStream dumpOut(&dump);
  if (!dumpPath.isEmpty() && !dump.open(QIODevice::WriteOnly)) {
    std::fprintf(stderr, "fanqie-accuracy: cannot write %s\n", dumpPath.toUtf8().constData());
    return 1;
  }
  const int head = guangyun->Column(QStringLiteral("字頭"));
  const int position = guangyun->Column(QStringLiteral("音韻描述"));
  const int toneColumn = guangyun->Column(QStringLiteral("聲"));
  // Entries whose character has a literary reading of the entry's own tone category: the others
  // are readings of a polyphonic character that the 1913 dictionary does not give.
  int sameTone = 0;
  int sameToneAnyMatch = 0;
  const int fanqie = guangyun->Column(QStringLiteral("反切"));
  int entries = 0;
  int anyMatch = 0;
  int firstMatch = 0;
  int noCandidate = 0;
  QMap<QString, int> kinds;
  QMap<QString, QStringList> examples;
  QMap<QString, QStringList> exampleRhymes;
  for (const QStringList& row : guangyun->rows) {
    const QString character = Field(row, head);
    const QString notation = Field(row, fanqie);
    if (notation.size() != 2) continue;  // both fanqie characters inside the BMP
    const QString upper = notation.left(1);
    const QString lower = notation.mid(1);
    const QList<LiteraryReading> ownList = literary.Find(character);
    const QList<LiteraryReading> upList = literary.Find(upper);
    const QList<LiteraryReading> lowList = literary.Find(lower);
    if (ownList.isEmpty() || upList.isEmpty() || lowList.isEmpty()) continue;
    const auto* own = &ownList;
    ++entries;
    const auto candidates = ravlek::SynthesizeFanqie(upper, upList, lower, lowList);
    const QString tone = Field(row, toneColumn);
    const bool hasSameTone = std::any_of(own->begin(), own->end(), [&](const LiteraryReading& r) {
      return !r.spell.isEmpty() && ToneCategories(r.spell.back()).contains(tone);
    });
    if (hasSameTone) ++sameTone;
    auto isOwn = [&](const QString& reading) {
      return std::any_of(own->begin(), own->end(),
                         [&](const LiteraryReading& r) { return r.spell == reading; });
    };
    if (candidates.isEmpty()) {
      ++noCandidate;
      continue;
    }
    if (isOwn(candidates.front().reading)) ++firstMatch;
    if (std::any_of(candidates.begin(), candidates.end(),
                    [&](const auto& c) { return isOwn(c.reading); })) {
      ++anyMatch;
      if (hasSameTone) ++sameToneAnyMatch;
      if (dump.isOpen() && !isOwn(candidates.front().reading)) {
        // A later candidate matches: which one, and its steps.
        qsizetype place = 0;
        while (!isOwn(candidates[place].reading)) ++place;
        dumpOut << character << '\t' << notation << '\t' << Field(row, position) << '\t'
                << QStringLiteral("later %1").arg(place + 1) << '\t' << candidates.front().reading
                << '\t' << candidates[place].reading << '\t' << candidates[place].steps << '\n';
      }
      continue;
    }
    QString nearestKind;
    QString nearestReading;
    int nearest = 4;
    for (const LiteraryReading& reading : *own) {
      int count = 0;
      const QString kind = Difference(candidates.front().reading, reading.spell, count);
      if (count < nearest) {
        nearest = count;
        nearestKind = kind;
        nearestReading = reading.spell;
      }
    }
    ++kinds[nearestKind];
    if (dump.isOpen()) {
      QStringList predicted;
      for (const auto& c : candidates) predicted << c.reading;
      QStringList ownReadings;
      for (const LiteraryReading& r : *own) ownReadings << r.spell;
      dumpOut << character << '\t' << notation << '\t' << Field(row, position) << '\t'
              << nearestKind << '\t' << predicted.join(u'/') << '\t' << ownReadings.join(u'/')
              << '\t' << candidates.front().steps << '\n';
    }
    QStringList& list = examples[nearestKind];
    // One example per rhyme of the book, so that the examples show different rhymes.
    const QString rhymeOfEntry = Field(row, position).right(2);
    QStringList& rhymesShown = exampleRhymes[nearestKind];
    if (list.size() < examplesPerKind && !rhymesShown.contains(rhymeOfEntry)) {
      rhymesShown << rhymeOfEntry;
      list << character + u' ' + notation + QStringLiteral("切 ") + candidates.front().reading +
                  QStringLiteral(" ≠ ") + nearestReading;
    }
  }

  auto percent = [&](int n) {
    return entries ? QString::number(100.0 * n / entries, 'f', 1) : QStringLiteral("0");
  };
  Print(QStringLiteral("entries\t%1\n").arg(entries));
  Print(QStringLiteral("some candidate matches\t%1\t%2 %\n").arg(anyMatch).arg(percent(anyMatch)));
  Print(QStringLiteral("first candidate matches\t%1\t%2 %\n")
            .arg(firstMatch)
            .arg(percent(firstMatch)));
  Print(QStringLiteral("no candidate\t%1\n").arg(noCandidate));
  Print(QStringLiteral("entries whose character has a reading of the entry's tone category\t%1\t"
                       "some candidate matches\t%2\t%3 %\n")
            .arg(sameTone)
            .arg(sameToneAnyMatch)
            .arg(sameTone ? QString::number(100.0 * sameToneAnyMatch / sameTone, 'f', 1)
                          : QStringLiteral("0")));
  Print(
      QStringLiteral("\nmismatch\tentries\tshare\texamples (character, notation: first candidate "
                     "≠ nearest own reading)\n"));
  QList<std::pair<int, QString>> order;
  for (auto it = kinds.cbegin(); it != kinds.cend(); ++it) order.push_back({-it.value(), it.key()});
  std::sort(order.begin(), order.end());
  for (const auto& [negative, kind] : order) {
    Print(QStringLiteral("%1\t%2\t%3 %\t%4\n")
              .arg(kind)
              .arg(-negative)
              .arg(percent(-negative))
              .arg(examples[kind].join(QStringLiteral("; "))));
  }
  return 0;
}
