#include "base/profile.h"

#include <QFile>
#include <QSaveFile>
#include <optional>

#include "base/byte_order_mark.h"

namespace ravlek {
namespace {

// A profile file held as lines, with what is needed to write it back unchanged elsewhere.
struct ProfileText {
  bool exists = false;
  ByteOrderMark mark = ByteOrderMark::None;
  QString lineEnd = QStringLiteral("\n");
  bool endsWithLineEnd = true;
  QStringList lines;
};

ProfileText Load(const QString& path) {
  ProfileText text;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return text;
  text.exists = true;
  const QByteArray bytes = file.readAll();
  text.mark = DetectByteOrderMark(bytes);
  QString content = DecodeAfterByteOrderMark(bytes, text.mark);
  if (content.contains(QStringLiteral("\r\n"))) text.lineEnd = QStringLiteral("\r\n");
  content.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.endsWithLineEnd = content.isEmpty() || content.endsWith(QLatin1Char('\n'));
  if (content.endsWith(QLatin1Char('\n'))) content.chop(1);
  if (!content.isEmpty()) text.lines = content.split(QLatin1Char('\n'));
  return text;
}

bool Save(const QString& path, const ProfileText& text) {
  QString content = text.lines.join(text.lineEnd);
  if (text.endsWithLineEnd && !text.lines.isEmpty()) content += text.lineEnd;
  const QByteArray bytes = EncodeWithByteOrderMark(content, text.mark);
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

// The section name of a header line "[name]", or nothing for any other line.
std::optional<QString> SectionName(const QString& line) {
  const QString trimmed = line.trimmed();
  if (!trimmed.startsWith(QLatin1Char('['))) return std::nullopt;
  const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
  if (close < 0) return std::nullopt;
  return trimmed.mid(1, close - 1).trimmed();
}

// The key of a "key=value" line, or nothing for comments and other lines.
std::optional<QString> KeyName(const QString& line) {
  const QString trimmed = line.trimmed();
  if (trimmed.startsWith(QLatin1Char(';'))) return std::nullopt;
  const qsizetype equals = line.indexOf(QLatin1Char('='));
  if (equals < 0) return std::nullopt;
  return line.left(equals).trimmed();
}

bool SameName(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Line range [begin, end) of the first section with that name: begin is its header line.
struct SectionRange {
  qsizetype begin = -1;
  qsizetype end = -1;
};

SectionRange FindSection(const QStringList& lines, const QString& section) {
  SectionRange range;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const auto name = SectionName(lines[i]);
    if (!name) continue;
    if (range.begin >= 0) {
      range.end = i;
      return range;
    }
    if (SameName(*name, section.trimmed())) range.begin = i;
  }
  if (range.begin >= 0) range.end = lines.size();
  return range;
}

qsizetype FindKey(const QStringList& lines, const SectionRange& range, const QString& key) {
  for (qsizetype i = range.begin + 1; i < range.end; ++i) {
    const auto name = KeyName(lines[i]);
    if (name && SameName(*name, key.trimmed())) return i;
  }
  return -1;
}

QString ValueOf(const QString& line) {
  QString value = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
  if (value.size() >= 2) {
    const QChar first = value.front();
    if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first) {
      value = value.mid(1, value.size() - 2);
    }
  }
  return value;
}

std::optional<QString> Lookup(const QString& file, const QString& section, const QString& key) {
  const ProfileText text = Load(file);
  const SectionRange range = FindSection(text.lines, section);
  if (range.begin < 0) return std::nullopt;
  const qsizetype line = FindKey(text.lines, range, key);
  if (line < 0) return std::nullopt;
  return ValueOf(text.lines[line]);
}

}  // namespace

QString ReadProfileString(const QString& file, const QString& section, const QString& key,
                          const QString& defaultValue) {
  return Lookup(file, section, key).value_or(defaultValue);
}

int ReadProfileInt(const QString& file, const QString& section, const QString& key,
                   int defaultValue) {
  const auto value = Lookup(file, section, key);
  if (!value) return defaultValue;
  const QString text = value->trimmed();
  qsizetype pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == QLatin1Char('-') || text[pos] == QLatin1Char('+'))) {
    negative = text[pos] == QLatin1Char('-');
    ++pos;
  }
  const qsizetype digitsStart = pos;
  qint64 number = 0;
  while (pos < text.size() && text[pos] >= QLatin1Char('0') && text[pos] <= QLatin1Char('9')) {
    if (number < (qint64(1) << 32)) number = number * 10 + (text[pos].unicode() - '0');
    ++pos;
  }
  if (pos == digitsStart) return defaultValue;
  return static_cast<int>(negative ? -number : number);
}

bool WriteProfileString(const QString& file, const QString& section, const QString& key,
                        const QString& value) {
  ProfileText text = Load(file);
  const SectionRange range = FindSection(text.lines, section);
  if (range.begin < 0) {
    text.lines.append(QLatin1Char('[') + section.trimmed() + QLatin1Char(']'));
    text.lines.append(key.trimmed() + QLatin1Char('=') + value);
    text.endsWithLineEnd = true;
    return Save(file, text);
  }
  const qsizetype line = FindKey(text.lines, range, key);
  if (line >= 0) {
    const QString& old = text.lines[line];
    text.lines[line] = old.left(old.indexOf(QLatin1Char('='))).trimmed() + QLatin1Char('=') + value;
    return Save(file, text);
  }
  // A new key goes after the section's last non-blank line, before the blank lines that part it
  // from the next section.
  qsizetype insertAt = range.end;
  while (insertAt > range.begin + 1 && text.lines[insertAt - 1].trimmed().isEmpty()) --insertAt;
  text.lines.insert(insertAt, key.trimmed() + QLatin1Char('=') + value);
  if (insertAt == text.lines.size() - 1) text.endsWithLineEnd = true;
  return Save(file, text);
}

bool WriteProfileInt(const QString& file, const QString& section, const QString& key, int value) {
  return WriteProfileString(file, section, key, QString::number(value));
}

bool DeleteProfileKey(const QString& file, const QString& section, const QString& key) {
  ProfileText text = Load(file);
  const SectionRange range = FindSection(text.lines, section);
  if (range.begin < 0) return true;
  bool removed = false;
  for (qsizetype i = range.end - 1; i > range.begin; --i) {
    const auto name = KeyName(text.lines[i]);
    if (name && SameName(*name, key.trimmed())) {
      text.lines.removeAt(i);
      removed = true;
    }
  }
  return removed ? Save(file, text) : true;
}

bool ProfileSectionExists(const QString& file, const QString& section) {
  return FindSection(Load(file).lines, section).begin >= 0;
}

QStringList ProfileSectionKeys(const QString& file, const QString& section) {
  const ProfileText text = Load(file);
  const SectionRange range = FindSection(text.lines, section);
  QStringList keys;
  for (qsizetype i = range.begin + 1; range.begin >= 0 && i < range.end; ++i) {
    const auto name = KeyName(text.lines[i]);
    if (name && !name->isEmpty()) keys.append(*name);
  }
  return keys;
}

}  // namespace ravlek
