#include "metre/pingshui_table.h"

#include <QDir>
#include <QFile>

#include "base/error.h"
#include "dictionary/rhymes.h"

namespace ravlek::metre {

namespace {

// 平 groups by their index: 東 冬, 江 陽, 支 微 齊, 魚 虞, 佳 灰, 真 文 元, 元 寒 删 先, 蕭 肴 豪,
// 歌 麻, 庚 青 蒸, 覃 鹽 咸.
constexpr int kNeighbourSets[][4] = {{0, 1, -1, -1},   {2, 21, -1, -1},  {3, 4, 7, -1},
                                     {5, 6, -1, -1},   {8, 9, -1, -1},   {10, 11, 12, -1},
                                     {12, 13, 14, 15}, {16, 17, 18, -1}, {19, 20, -1, -1},
                                     {22, 23, 24, -1}, {27, 28, 29, -1}};

bool InSet(const int (&set)[4], int group) {
  for (int member : set) {
    if (member == group) return true;
  }
  return false;
}

char32_t FirstCharacter(QStringView text) {
  if (text.isEmpty()) return 0;
  if (text.size() == 2 && text[0].isHighSurrogate() && text[1].isLowSurrogate()) {
    return QChar::surrogateToUcs4(text[0], text[1]);
  }
  return text.size() == 1 ? text[0].unicode() : 0;
}

// Calls `row` with the two fields of each line after the header.
template <typename Fn>
bool ReadTwoColumns(const QString& path, Fn row) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QString text = QString::fromUtf8(file.readAll());
  const QList<QStringView> lines = QStringView(text).split(u'\n');
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const qsizetype tab = lines[i].indexOf(u'\t');
    if (tab < 0) continue;
    row(lines[i].left(tab), lines[i].mid(tab + 1).trimmed());
  }
  return true;
}

}  // namespace

QString RhymeGroupName(RhymeGroup group) {
  const QStringList& names = PingshuiRhymeNames();
  return group >= 0 && group < names.size() ? names[group] : QString();
}

bool AreNeighbourGroups(RhymeGroup a, RhymeGroup b) {
  if (a == b) return false;
  for (const auto& set : kNeighbourSets) {
    if (InSet(set, a) && InSet(set, b)) return true;
  }
  return false;
}

void PingshuiTable::Add(char32_t character, const QStringList& groupNames) {
  dense_.clear();
  denseEntries_.clear();
  RhymeGroups& groups = groups_[character];
  for (const QString& name : groupNames) {
    groups.Add(static_cast<int>(PingshuiRhymeNames().indexOf(name)));
  }
}

void PingshuiTable::AddVariant(char32_t variant, char32_t standard) {
  dense_.clear();
  denseEntries_.clear();
  variants_.insert(variant, standard);
}

void PingshuiTable::IndexDense() {
  // Filled from the hashes (FindGroups reads them while dense_ is empty), then put in place.
  dense_.clear();
  denseEntries_.clear();
  std::vector<qint32> dense(kDenseEnd - kDenseFirst, -1);
  for (char32_t code = kDenseFirst; code < kDenseEnd; ++code) {
    bool viaVariant = false;
    if (const RhymeGroups* groups = FindGroups(code, viaVariant)) {
      dense[code - kDenseFirst] = static_cast<qint32>(denseEntries_.size());
      denseEntries_.push_back({*groups, viaVariant});
    }
  }
  dense_ = std::move(dense);
}

const RhymeGroups* PingshuiTable::FindGroups(char32_t character, bool& viaVariant) const {
  viaVariant = false;
  if (!dense_.empty() && character >= kDenseFirst && character < kDenseEnd) {
    const qint32 index = dense_[character - kDenseFirst];
    if (index < 0) return nullptr;
    const DenseEntry& entry = denseEntries_[size_t(index)];
    viaVariant = entry.viaVariant;
    return &entry.groups;
  }
  if (auto found = groups_.constFind(character); found != groups_.cend()) return &*found;
  if (auto variant = variants_.constFind(character); variant != variants_.cend()) {
    if (auto found = groups_.constFind(*variant); found != groups_.cend()) {
      viaVariant = true;
      return &*found;
    }
  }
  return nullptr;
}

PingshuiTable::Entry PingshuiTable::Find(char32_t character) const {
  if (auto found = groups_.constFind(character); found != groups_.cend()) return {*found, false};
  if (auto variant = variants_.constFind(character); variant != variants_.cend()) {
    if (auto found = groups_.constFind(*variant); found != groups_.cend()) return {*found, true};
  }
  return {};
}

PingshuiTable PingshuiTable::FromFiles(const QString& groupsPath, const QString& variantsPath) {
  PingshuiTable table;
  const bool read = ReadTwoColumns(groupsPath, [&](QStringView character, QStringView groups) {
    if (const char32_t code = FirstCharacter(character)) {
      table.Add(code, groups.toString().split(u' ', Qt::SkipEmptyParts));
    }
  });
  if (!read) {
    QFile file(groupsPath);
    file.open(QIODevice::ReadOnly);
    throw CannotOpenFileError(groupsPath, file.errorString());
  }
  ReadTwoColumns(variantsPath, [&](QStringView variant, QStringView standard) {
    const char32_t from = FirstCharacter(variant);
    const char32_t to = FirstCharacter(standard);
    if (from && to) table.AddVariant(from, to);
  });
  table.IndexDense();
  return table;
}

PingshuiTable PingshuiTable::FromAppFolder(const QString& folder) {
  const QDir dir(folder);
  return FromFiles(dir.filePath(QStringLiteral("pingshui_groups.tsv")),
                   dir.filePath(QStringLiteral("pingshui_variants.tsv")));
}

}  // namespace ravlek::metre
