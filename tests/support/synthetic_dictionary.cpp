#include "synthetic_dictionary.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <atomic>

#include "base/error.h"
#include "dictionary/rhymes.h"
#include "dictionary_fixture.h"

namespace ravlek::test {
namespace {

// A small linear congruential generator: its sequence is fixed by the seed alone, unlike the
// standard distributions, whose results differ between library versions.
class Sequence {
 public:
  explicit Sequence(quint32 seed) : state_(seed) {}
  quint32 Next(quint32 bound) {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<quint32>((state_ >> 33) % bound);
  }
  template <typename T, size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Next(N)];
  }

 private:
  quint64 state_;
};

const char* const kInitials[] = {"",   "p",   "ph", "b", "m", "t",  "th", "n",  "l",
                                 "ts", "tsh", "s",  "j", "k", "kh", "g",  "ng", "h"};
const char* const kFinals[] = {"a",  "ai", "au", "am",  "an",  "ang", "ap",   "at",  "ak",
                               "e",  "i",  "ia", "iau", "iam", "ian", "im",   "in",  "ing",
                               "ip", "it", "ik", "o",   "oo",  "ong", "ok",   "u",   "ui",
                               "un", "ut", "ua", "uan", "uat", "ue",  "iong", "iok", "iu"};
const char* const kStopTones[] = {"4", "8"};
const char* const kOpenTones[] = {"1", "2", "3", "5", "7"};
const char* const kClasses[] = {"通", "文", "今", "古", "白", "文", "白", "通"};
const char* const kPhonetic[] = {"ㄅ", "ㄆ", "ㆠ", "ㄇ", "ㄉ", "ㄊ", "ㄋ", "ㄌ", "ㄍ", "ㄎ", "ㆣ",
                                 "ㄫ", "ㄏ", "ㄗ", "ㄘ", "ㆡ", "ㄙ", "ㄚ", "ㄧ", "ㄨ", "ㆤ", "ㆦ"};
const char* const kInitialClasses[] = {"全清", "次清", "全濁", "次濁", "清", "濁"};
const char* const kGrades[] = {"一等.洪", "二等.洪", "三等.細", "四等.細"};
const char* const kSources[] = {"廣韻", "集韻", "韻會", "說文"};

QString Reading(Sequence& random) {
  const QString final = QString::fromLatin1(random.Pick(kFinals));
  const bool stop = final.endsWith('p') || final.endsWith('t') || final.endsWith('k');
  return QString::fromLatin1(random.Pick(kInitials)) + final +
         QString::fromLatin1(stop ? random.Pick(kStopTones) : random.Pick(kOpenTones));
}

QString Character(Sequence& random) {
  // About one character in a hundred lies outside the Basic Multilingual Plane.
  const char32_t code =
      random.Next(100) == 0 ? 0x20000 + random.Next(0xA6D0) : 0x4E00 + random.Next(0x9FA5 - 0x4E00);
  return QString::fromUcs4(&code, 1);
}

QString Phonetic(Sequence& random) {
  return QString::fromUtf8(random.Pick(kPhonetic)) + QString::fromUtf8(random.Pick(kPhonetic)) +
         QString::number(1 + random.Next(8));
}

}  // namespace

void WriteSyntheticDictionary(const QString& path, int rowCount, quint32 seed) {
  WriteFixtureDictionary(path, {});
  static std::atomic<int> counter{0};
  const QString name = QStringLiteral("ravlek-synthetic-%1").arg(++counter);
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    if (!db.open()) throw Error(db.lastError().text());
    db.transaction();
    QSqlQuery rows(db);
    QSqlQuery base(db);
    if (!rows.prepare(QStringLiteral("INSERT INTO RavlekTable VALUES (?,?,?,?,?,?,?,?,?,?,?,?)")) ||
        !base.prepare(QStringLiteral("INSERT INTO BaseWords VALUES (?,?)"))) {
      throw Error(rows.lastError().text());
    }
    const QStringList& rhymes = PingshuiRhymeNames();
    const QVariant null(QMetaType(QMetaType::QString));
    Sequence random(seed);
    int written = 0;
    while (written < rowCount) {
      const QString character = Character(random);
      const int readings = 1 + static_cast<int>(random.Next(3));
      for (int r = 0; r < readings && written < rowCount; ++r, ++written) {
        const QString reading = Reading(random);
        const QString rhyme = rhymes[static_cast<qsizetype>(random.Next(rhymes.size()))];
        rows.addBindValue(character);
        rows.addBindValue(QString::fromUtf8(random.Pick(kClasses)));
        rows.addBindValue(reading);
        rows.addBindValue(Phonetic(random));
        rows.addBindValue(Phonetic(random));
        rows.addBindValue(QString::fromUtf8(random.Pick(kInitialClasses)));
        rows.addBindValue(random.Next(10) == 0 ? rhyme + QStringLiteral("(又)") : rhyme);
        rows.addBindValue(QString::fromUtf8(random.Pick(kGrades)));
        rows.addBindValue(rhymes[static_cast<qsizetype>(random.Next(rhymes.size()))]);
        rows.addBindValue(random.Next(3) == 0 ? QVariant(QString::fromUtf8(random.Pick(kSources)))
                                              : null);
        rows.addBindValue(random.Next(4) == 0
                              ? null
                              : QVariant(QStringLiteral("%1 讀 %2。\n又音 %3。\n第%4條")
                                             .arg(character, reading, Reading(random))
                                             .arg(written)));
        rows.addBindValue(random.Next(5) == 0
                              ? QVariant(QStringLiteral(""))
                              : QVariant(QStringLiteral("%1：字義之說明。\n例：%1%2。")
                                             .arg(character, Character(random))));
        if (!rows.exec()) throw Error(rows.lastError().text());
        if (r == 0) {
          base.addBindValue(character);
          base.addBindValue(reading);
          if (!base.exec()) throw Error(base.lastError().text());
        }
      }
    }
    if (!db.commit()) throw Error(db.lastError().text());
    rows = QSqlQuery();
    base = QSqlQuery();
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
}

}  // namespace ravlek::test
