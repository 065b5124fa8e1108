#pragma once
// Small dictionary files for tests: a SQLite file with RavlekTable (every field as TEXT, no key
// but the rowid), BaseWords and BaseWordsPlus, and the connection definition that names it.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace ravlek::test {

// The fields of RavlekTable in column order.
const QStringList& RavlekTableFields();

// One row of RavlekTable: field name -> value; a field left out, or given std::nullopt, is null.
using FixtureRow = std::map<QString, std::optional<QString>>;
// One row of BaseWords or BaseWordsPlus: HanWord and HanSpell, each possibly null.
using BaseWordRow = std::pair<std::optional<QString>, std::optional<QString>>;

// A reading with the fields the fanqie synthesis consults: character, class, spelling, class of the
// initial and Pingshui rhyme (an empty text is stored as empty, not null).
FixtureRow SynthesisRow(const QString& word, const QString& ptype, const QString& spell,
                        const QString& initialType, const QString& rhyme);

struct FixtureDictionary {
  std::vector<FixtureRow> ravlekRows;
  std::vector<BaseWordRow> baseWords;
  std::vector<BaseWordRow> baseWordsPlus;
};

// Creates (or replaces) the SQLite file at path with the three tables and the given rows, in the
// given order. Raises ravlek::Error on failure.
void WriteFixtureDictionary(const QString& path, const FixtureDictionary& dictionary);

// Writes <appDir>/FDConnectionDefs.ini with [Connect_RavlekDB] DriverID and Database.
void WriteConnectionDefs(const QString& appDir, const QString& database,
                         const QString& driverId = QStringLiteral("SQLite"));

// Puts the Pingshui tables (data/pingshui) in `folder`, as the application folder holds them.
// Raises ravlek::Error when one cannot be copied.
void CopyPingshuiTables(const QString& folder);

// A temporary application folder holding Ravlek.db and its connection definition.
class FixtureAppFolder {
 public:
  explicit FixtureAppFolder(const FixtureDictionary& dictionary);
  QString Path() const { return dir_.path(); }
  QString DatabasePath() const { return dir_.filePath(QStringLiteral("Ravlek.db")); }
  // Puts the shipped phrase files (data/open_dictionary) in the folder, as the package does.
  void AddShippedPhrases() const;

 private:
  QTemporaryDir dir_;
};

}  // namespace ravlek::test
