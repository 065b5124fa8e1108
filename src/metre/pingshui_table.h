#pragma once
// The character → Pingshui rhyme groups table of the metre checker, read from the application
// folder (pingshui_groups.tsv, and pingshui_variants.tsv for the older forms of classical texts).

#include <QHash>
#include <QList>
#include <QString>
#include <bit>
#include <vector>

namespace ravlek::metre {

// A group is its index in the 106 names of PingshuiRhymeNames(): 0 to 29 are the 平 groups.
using RhymeGroup = int;

inline bool IsLevelGroup(RhymeGroup group) {
  return group >= 0 && group < 30;
}

// A set of groups, walked in the order of the 106; a plain value, cheap to copy.
class RhymeGroups {
 public:
  void Add(RhymeGroup group) {
    if (group >= 0 && group < 128) bits_[group / 64] |= quint64(1) << (group % 64);
  }
  bool contains(RhymeGroup group) const {
    return group >= 0 && group < 128 && (bits_[group / 64] >> (group % 64)) & 1;
  }
  bool isEmpty() const { return bits_[0] == 0 && bits_[1] == 0; }
  // Whether some group is 平 (0 to 29), some 仄 (30 on).
  bool HasLevel() const { return (bits_[0] & kLevelBits) != 0; }
  bool HasOblique() const { return (bits_[0] & ~kLevelBits) != 0 || bits_[1] != 0; }
  RhymeGroup first() const { return *begin(); }

  class Iterator {
   public:
    Iterator(const RhymeGroups* set, RhymeGroup at) : set_(set), at_(at) { Skip(); }
    RhymeGroup operator*() const { return at_; }
    Iterator& operator++() {
      ++at_;
      Skip();
      return *this;
    }
    bool operator!=(const Iterator& other) const { return at_ != other.at_; }

   private:
    // On to the next group in the set, or 128.
    void Skip() {
      while (at_ < 128) {
        const quint64 rest = set_->bits_[at_ / 64] >> (at_ % 64);
        if (rest != 0) {
          at_ += std::countr_zero(rest);
          return;
        }
        at_ = (at_ / 64 + 1) * 64;
      }
    }
    const RhymeGroups* set_;
    RhymeGroup at_;
  };
  Iterator begin() const { return Iterator(this, 0); }
  Iterator end() const { return Iterator(this, 128); }

 private:
  static constexpr quint64 kLevelBits = (quint64(1) << 30) - 1;
  quint64 bits_[2] = {0, 0};
};
QString RhymeGroupName(RhymeGroup group);
// Two 平 groups that poets may mix at a first 句's rhyme (東 冬, 支 微 齊, 真 文 元 …).
bool AreNeighbourGroups(RhymeGroup a, RhymeGroup b);

class PingshuiTable {
 public:
  struct Entry {
    RhymeGroups groups;
    bool viaVariant = false;  // found under the standard form of a variant (爲 → 為)
  };

  // Adds a character's groups, by their names; names that are not among the 106 are ignored.
  void Add(char32_t character, const QStringList& groupNames);
  void AddVariant(char32_t variant, char32_t standard);

  // The character's groups; empty groups when the table lacks it.
  Entry Find(char32_t character) const;
  // The same without a copy: its groups, or nullptr; `viaVariant` tells how they were found.
  const RhymeGroups* FindGroups(char32_t character, bool& viaVariant) const;
  bool IsEmpty() const { return groups_.isEmpty(); }

  // The common Han blocks (Extension A to the end of the Unified block): looked up in an array
  // once the tables are read, since the check looks up every character of every poem.
  static constexpr char32_t kDenseFirst = 0x3400;
  static constexpr char32_t kDenseEnd = 0xA000;

  // Reads the two tables; raises Error when the groups table cannot be read. A missing variants
  // table leaves the variants out.
  static PingshuiTable FromFiles(const QString& groupsPath, const QString& variantsPath);
  // The tables in an application folder.
  static PingshuiTable FromAppFolder(const QString& folder);

 private:
  // Fills dense_ from the two hashes; Add and AddVariant empty it again.
  void IndexDense();

  QHash<char32_t, RhymeGroups> groups_;
  QHash<char32_t, char32_t> variants_;
  struct DenseEntry {
    RhymeGroups groups;
    bool viaVariant = false;
  };
  std::vector<qint32> dense_;             // per code: its place in denseEntries_, -1: none
  std::vector<DenseEntry> denseEntries_;  // the characters the table has
};

}  // namespace ravlek::metre
