#pragma once
// The character → Pingshui rhyme groups table of the metre checker, read from the application
// folder (pingshui_groups.tsv, and pingshui_variants.tsv for the older forms of classical texts).

#include <QHash>
#include <QList>
#include <QString>

namespace ravlek::metre {

// A group is its index in the 106 names of PingshuiRhymeNames(): 0 to 29 are the 平 groups.
using RhymeGroup = int;

inline bool IsLevelGroup(RhymeGroup group) {
  return group >= 0 && group < 30;
}
QString RhymeGroupName(RhymeGroup group);
// Two 平 groups that poets may mix at a first 句's rhyme (東 冬, 支 微 齊, 真 文 元 …).
bool AreNeighbourGroups(RhymeGroup a, RhymeGroup b);

class PingshuiTable {
 public:
  struct Entry {
    QList<RhymeGroup> groups;  // in the order of the 106
    bool viaVariant = false;   // found under the standard form of a variant (爲 → 為)
  };

  // Adds a character's groups, by their names; names that are not among the 106 are ignored.
  void Add(char32_t character, const QStringList& groupNames);
  void AddVariant(char32_t variant, char32_t standard);

  // The character's groups; empty groups when the table lacks it.
  Entry Find(char32_t character) const;
  bool IsEmpty() const { return groups_.isEmpty(); }

  // Reads the two tables; raises Error when the groups table cannot be read. A missing variants
  // table leaves the variants out.
  static PingshuiTable FromFiles(const QString& groupsPath, const QString& variantsPath);
  // The tables in an application folder.
  static PingshuiTable FromAppFolder(const QString& folder);

 private:
  QHash<char32_t, QList<RhymeGroup>> groups_;
  QHash<char32_t, char32_t> variants_;
};

}  // namespace ravlek::metre
