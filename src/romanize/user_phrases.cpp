#include "romanize/user_phrases.h"

#include <algorithm>
#include <atomic>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStringDecoder>

#include "base/characters.h"
#include "base/error.h"
#include "dictionary/rows_tsv.h"
#include "dictionary/tailo.h"
#include "dictionary/tailo_syllable.h"
#include "romanize/phrase_readings.h"
#include "romanize/reading_choice_file.h"

namespace ravlek {
namespace {

const QByteArray kBom = QByteArrayLiteral("\xEF\xBB\xBF");
const QString kHeader = QStringLiteral("詞\t讀音\t備註");

QString LineProblem(int line, const QString& why) {
  return QStringLiteral("第%1行：%2").arg(line).arg(why);
}

QString CodeName(char32_t code) {
  return QStringLiteral("U+%1").arg(uint(code), 4, 16, QLatin1Char('0')).toUpper();
}

// A lone surrogate cannot be written as UTF-8: it would come back as another character.
QString LoneSurrogateProblem(const QString& text, const QString& field) {
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype length = CharacterLength(text, i);
    if (length == 1 && text[i].isSurrogate()) {
      return QStringLiteral("%1含有不成對的代理碼 %2").arg(field, CodeName(text[i].unicode()));
    }
    i += length;
  }
  return {};
}

// Whether a character can stand in a phrase: a letter, a number or a mark of some script, or one
// that Qt's tables do not know yet (a newer extension of the ideographs).
bool PhraseCharacter(char32_t code) {
  switch (QChar::category(code)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Number_Letter:
    case QChar::Number_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Other_NotAssigned:
    case QChar::Other_PrivateUse:
      return true;
    default:
      return false;
  }
}

// The phrase of a bracketed text without its brackets, and the index of the character meant.
struct Bracketed {
  QString text;
  qsizetype index = 0;
};

std::optional<Bracketed> SplitBracketed(const QString& bracketed, QString& problem) {
  const QString phrase = bracketed.trimmed();
  if (const QString lone = LoneSurrogateProblem(phrase, QStringLiteral("詞")); !lone.isEmpty()) {
    problem = lone;
    return std::nullopt;
  }
  const qsizetype open = phrase.indexOf(u'[');
  const qsizetype close = phrase.indexOf(u']');
  if (open < 0 || close < open || phrase.count(u'[') != 1 || phrase.count(u']') != 1) {
    problem = QStringLiteral("詞裡要有一個字放在方括號裡，如 不亦[說]乎");
    return std::nullopt;
  }
  const QString meant = phrase.mid(open + 1, close - open - 1);
  if (meant.isEmpty() || CharacterCount(meant) != 1) {
    problem = QStringLiteral("方括號裡只能有一個字，不是「%1」").arg(meant);
    return std::nullopt;
  }
  Bracketed out;
  out.text = phrase.left(open) + meant + phrase.mid(close + 1);
  out.index = CharacterCount(phrase.left(open));
  for (qsizetype i = 0; i < out.text.size();) {
    const qsizetype length = CharacterLength(out.text, i);
    if (!PhraseCharacter(CharacterCode(out.text, i, length))) {
      const QString shown = out.text.mid(i, length);
      problem = shown.trimmed().isEmpty() || shown[0].category() == QChar::Other_Control
                    ? QStringLiteral("詞含有空白或控制字元 %1")
                          .arg(CodeName(CharacterCode(out.text, i, length)))
                    : QStringLiteral("詞含有「%1」，詞裡只能有字").arg(shown);
      return std::nullopt;
    }
    i += length;
  }
  if (CharacterCount(out.text) < 2) {
    problem = QStringLiteral("詞至少要有兩個字");
    return std::nullopt;
  }
  return out;
}

// The character meant, as text and as its code.
QString MeantCharacter(const Bracketed& phrase, char32_t* code) {
  qsizetype at = 0;
  for (qsizetype n = 0; n < phrase.index; ++n) at += CharacterLength(phrase.text, at);
  const qsizetype length = CharacterLength(phrase.text, at);
  *code = CharacterCode(phrase.text, at, length);
  return phrase.text.mid(at, length);
}

// A backslash before another letter stays as typed.
QString Unescaped(QStringView field) {
  QString out;
  out.reserve(field.size());
  for (qsizetype i = 0; i < field.size(); ++i) {
    if (field[i] == u'\\' && i + 1 < field.size()) {
      const QChar next = field[i + 1];
      const QChar replaced = next == u't'    ? QChar(u'\t')
                             : next == u'n'  ? QChar(u'\n')
                             : next == u'r'  ? QChar(u'\r')
                             : next == u'\\' ? QChar(u'\\')
                                             : QChar();
      if (!replaced.isNull()) {
        out += replaced;
        ++i;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

QByteArray LineBytes(const UserPhrase& phrase) {
  return UserPhraseLine(phrase).toUtf8();
}

QByteArray ReadAll(const QString& path, bool missingIsEmpty) {
  QFile file(path);
  if (!file.exists() && missingIsEmpty) return {};
  if (!file.open(QIODevice::ReadOnly)) {
    throw Error(
        QStringLiteral("無法讀取 %1：%2").arg(QDir::toNativeSeparators(path), file.errorString()));
  }
  QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    throw Error(
        QStringLiteral("無法讀取 %1：%2").arg(QDir::toNativeSeparators(path), file.errorString()));
  }
  return bytes;
}

// The writes of this process: a file rewritten within the file system's time resolution, at the
// same size, still reads as changed.
std::atomic<quint64> writes{0};

void WriteAll(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);  // a file beside it, synced to disk on commit, then renamed over it
  const auto fail = [&] {
    const QString reason = file.errorString();
    file.cancelWriting();
    throw Error(QStringLiteral("無法寫入 %1：%2").arg(QDir::toNativeSeparators(path), reason));
  };
  if (!file.open(QIODevice::WriteOnly)) fail();
  if (file.write(bytes) != bytes.size()) fail();
  const bool committed = file.commit();
  ++writes;
  if (!committed) {
    throw Error(
        QStringLiteral("無法寫入 %1：%2").arg(QDir::toNativeSeparators(path), file.errorString()));
  }
}

}  // namespace

QString UserPhrasesPath(const QString& appFolder) {
  return QDir(appFolder).filePath(kUserPhrasesFile);
}

QString UserPhraseLine(const UserPhrase& phrase) {
  QString line = phrase.phrase + u'\t' + phrase.reading;
  if (!phrase.note.isEmpty()) line += u'\t' + EscapeTsvValue(phrase.note);
  return line;
}

QString MissingReadingProblem(const UserPhrase& phrase, const ReadingsOfFn& readingsOf) {
  QString problem;
  const std::optional<Bracketed> split = SplitBracketed(phrase.phrase, problem);
  if (!split) return problem;
  char32_t code = 0;
  const QString character = MeantCharacter(*split, &code);
  const QStringList readings = readingsOf(code);
  if (readings.isEmpty()) return QStringLiteral("「%1」不在字典裡").arg(character);
  if (readings.contains(phrase.reading)) return {};
  QStringList distinct;
  for (const QString& reading : readings) {
    if (!distinct.contains(reading)) distinct.append(reading);
  }
  return QStringLiteral("「%1」沒有讀音 %2（它有：%3）")
      .arg(character, phrase.reading, distinct.join(QStringLiteral("、")));
}

QString BracketedPhrase(const QString& text, qsizetype index) {
  qsizetype at = 0;
  for (qsizetype n = 0; at < text.size() && n < index; ++n) at += CharacterLength(text, at);
  if (at >= text.size()) return text;
  const qsizetype length = CharacterLength(text, at);
  return text.left(at) + u'[' + text.mid(at, length) + u']' + text.mid(at + length);
}

QString UserPhraseProblem(const UserPhrase& phrase, UserPhrase* normalized) {
  QString problem;
  const std::optional<Bracketed> split = SplitBracketed(phrase.phrase, problem);
  if (!split) return problem;
  const QString typed = phrase.reading.trimmed();
  if (typed.isEmpty()) return QStringLiteral("沒有讀音");
  if (const QString lone = LoneSurrogateProblem(typed, QStringLiteral("讀音")); !lone.isEmpty())
    return lone;
  const QString reading = NumericReading(typed.toLower());
  if (!SplitTailoSyllable(reading)) {
    return QStringLiteral("讀音「%1」不是一個台羅音節（如 lok8 或 lo̍k）").arg(typed);
  }
  if (const QString lone = LoneSurrogateProblem(phrase.note, QStringLiteral("備註"));
      !lone.isEmpty())
    return lone;
  if (normalized) {
    normalized->phrase = BracketedPhrase(split->text, split->index);
    normalized->reading = reading;
    normalized->note = phrase.note;
  }
  return {};
}

UserPhraseFile UserPhraseFile::Parse(const QByteArray& input) {
  UserPhraseFile file;
  QByteArray bytes = input;
  if (bytes.startsWith(kBom)) {
    file.bom_ = true;
    bytes.remove(0, kBom.size());
  }
  QList<QByteArray> lines = bytes.split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  for (qsizetype n = 0; n < lines.size(); ++n) {
    const int number = int(n + 1);
    Line line{lines[n], std::nullopt};
    QByteArray content = lines[n];
    if (content.endsWith('\r')) {
      content.chop(1);
      file.crlf_ = true;
    }
    file.lines_.push_back(line);
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(content);
    if (decoder.hasError()) {
      file.problems_.append(LineProblem(number, QStringLiteral("不是 UTF-8 文字")));
      continue;
    }
    if (text.trimmed().isEmpty() || text.startsWith(u'#')) continue;
    const QStringList fields = text.split(u'\t');
    // The field line; one further down (files joined end to end) is passed over as well.
    if (fields[0].trimmed() == u"詞") {
      if (n == 0) file.header_ = true;
      continue;
    }
    if (fields.size() < 2 || fields.size() > 3) {
      file.problems_.append(LineProblem(
          number, QStringLiteral("應有 詞、讀音、備註（以 Tab 分隔，備註可省），此行有 %1 欄")
                      .arg(fields.size())));
      continue;
    }
    UserPhrase phrase{fields[0], fields[1], fields.size() > 2 ? Unescaped(fields[2]) : QString()};
    UserPhrase stored;
    if (const QString problem = UserPhraseProblem(phrase, &stored); !problem.isEmpty()) {
      file.problems_.append(LineProblem(number, problem));
      continue;
    }
    file.lines_.back().phrase = stored;
  }
  return file;
}

QByteArray UserPhraseFile::Bytes() const {
  QByteArray out;
  if (bom_) out += kBom;
  const QByteArray end = crlf_ ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
  if (!header_) out += kHeader.toUtf8() + end;
  for (const Line& line : lines_) out += line.bytes + (line.bytes.endsWith('\r') ? "\n" : end);
  return out;
}

std::vector<std::pair<int, UserPhrase>> UserPhraseFile::NumberedPhrases() const {
  QHash<QString, size_t> at;  // phrase → its place in `out`
  std::vector<std::pair<int, UserPhrase>> out;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (!lines_[i].phrase) continue;
    const UserPhrase& phrase = *lines_[i].phrase;
    const auto found = at.constFind(phrase.phrase);
    if (found != at.cend()) {
      out[*found] = {int(i + 1), phrase};
    } else {
      at.insert(phrase.phrase, out.size());
      out.emplace_back(int(i + 1), phrase);
    }
  }
  return out;
}

std::vector<UserPhrase> UserPhraseFile::Phrases() const {
  std::vector<UserPhrase> out;
  for (auto& [line, phrase] : NumberedPhrases()) out.push_back(std::move(phrase));
  return out;
}

UserPhraseFile::Change UserPhraseFile::Keep(const UserPhrase& phrase) {
  UserPhrase stored;
  if (const QString problem = UserPhraseProblem(phrase, &stored); !problem.isEmpty()) {
    throw Error(problem);
  }
  Line* last = nullptr;  // the line in effect
  for (Line& line : lines_) {
    if (line.phrase && line.phrase->phrase == stored.phrase) last = &line;
  }
  if (!last) {
    lines_.push_back({LineBytes(stored), stored});
    return Change::Added;
  }
  // A reading kept again without a note keeps the note it had.
  if (stored.note.isEmpty() && last->phrase->reading == stored.reading) return Change::Unchanged;
  if (*last->phrase == stored) return Change::Unchanged;
  const bool cr = last->bytes.endsWith('\r');
  *last = {LineBytes(stored) + (cr ? "\r" : ""), stored};
  return Change::Replaced;
}

bool UserPhraseFile::Remove(const QString& bracketedPhrase) {
  QString problem;
  const std::optional<Bracketed> split = SplitBracketed(bracketedPhrase, problem);
  if (!split) throw Error(problem);
  const QString key = BracketedPhrase(split->text, split->index);
  const auto before = lines_.size();
  std::erase_if(lines_,
                [&](const Line& line) { return line.phrase && line.phrase->phrase == key; });
  return lines_.size() != before;
}

void UserPhraseFile::AddTo(PhraseTable& table) const {
  for (const UserPhrase& user : Phrases()) {
    QString problem;
    const std::optional<Bracketed> split = SplitBracketed(user.phrase, problem);
    if (!split) continue;
    Phrase phrase;
    phrase.text = split->text;
    phrase.source = PhraseSource::User;
    // The explanation names it as the user's own.
    phrase.evidence =
        user.note.isEmpty() ? QStringLiteral("自訂") : QStringLiteral("自訂：") + user.note;
    const qsizetype count = CharacterCount(split->text);
    for (qsizetype i = 0; i < count; ++i) {
      phrase.readings.append(i == split->index ? user.reading : QString());
    }
    table.Add(std::move(phrase));
  }
}

QStringList PhraseCandidates(QStringView line, qsizetype index, const PhraseTable* table) {
  QStringList characters;
  std::vector<char32_t> codes;
  for (qsizetype i = 0; i < line.size();) {
    const qsizetype length = CharacterLength(line, i);
    characters.append(line.mid(i, length).toString());
    codes.push_back(CharacterCode(line, i, length));
    i += length;
  }
  const auto count = qsizetype(codes.size());
  if (index < 0 || index >= count || !PhraseCharacter(codes[size_t(index)])) return {};
  const auto text = [&](qsizetype start, qsizetype length) {
    return characters.mid(start, length).join(QString());
  };
  QStringList out;
  const auto offer = [&](qsizetype start, qsizetype length) {
    const QString phrase = BracketedPhrase(text(start, length), index - start);
    if (!out.contains(phrase)) out.append(phrase);
  };
  if (table) {
    std::vector<std::pair<qsizetype, qsizetype>> found;  // start, length
    for (qsizetype start = 0; start <= index; ++start) {
      const qsizetype longest =
          std::min<qsizetype>(table->LongestFrom(codes[size_t(start)]), count - start);
      for (qsizetype length = longest; length >= std::max<qsizetype>(2, index - start + 1);
           --length) {
        if (table->Find(text(start, length))) found.emplace_back(start, length);
      }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    for (const auto& [start, length] : found) offer(start, length);
  }
  const auto letters = [&](qsizetype start, qsizetype length) {
    if (start < 0 || start + length > count) return false;
    for (qsizetype k = start; k < start + length; ++k) {
      if (!PhraseCharacter(codes[size_t(k)])) return false;
    }
    return true;
  };
  for (const auto& [start, length] :
       {std::pair{index - 1, 2}, std::pair{index, 2}, std::pair{index - 1, 3},
        std::pair{index - 2, 3}, std::pair{index, 3}}) {
    if (letters(start, length)) offer(start, length);
  }
  return out;
}

QString KeptPhraseMessage(UserPhraseFile::Change change, const UserPhrase& phrase) {
  const QString reading = ToneMarkedTaiLo(phrase.reading);
  switch (change) {
    case UserPhraseFile::Change::Added:
      return QStringLiteral("已記入自訂詞：%1 讀 %2，以後的轉換與注音都照此讀")
          .arg(phrase.phrase, reading);
    case UserPhraseFile::Change::Replaced:
      return QStringLiteral("已改自訂詞：%1 改讀 %2，以後的轉換與注音都照此讀")
          .arg(phrase.phrase, reading);
    case UserPhraseFile::Change::Unchanged:
      break;
  }
  return QStringLiteral("自訂詞裡已有：%1 讀 %2").arg(phrase.phrase, reading);
}

UserPhraseFile ReadUserPhrases(const QString& path) {
  return UserPhraseFile::Parse(ReadAll(path, true));
}

void WriteUserPhrases(const QString& path, const UserPhraseFile& file) {
  WriteAll(path, file.Bytes());
}

QString UserPhrasesStamp(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return QStringLiteral("-%1").arg(writes.load());
  return QStringLiteral("%1 %2 %3")
      .arg(writes.load())
      .arg(info.lastModified().toMSecsSinceEpoch())
      .arg(info.size());
}

UserPhraseFile::Change KeepUserPhrase(const QString& path, const UserPhrase& phrase) {
  UserPhraseFile file = ReadUserPhrases(path);
  const UserPhraseFile::Change change = file.Keep(phrase);
  if (change != UserPhraseFile::Change::Unchanged) WriteUserPhrases(path, file);
  return change;
}

bool RemoveUserPhrase(const QString& path, const QString& bracketedPhrase) {
  UserPhraseFile file = ReadUserPhrases(path);
  if (!file.Remove(bracketedPhrase)) return false;
  WriteUserPhrases(path, file);
  return true;
}

qsizetype ExportUserPhrases(const QString& path, const QString& to) {
  // Written to the user's own file, the export would drop the lines it cannot read.
  const QFileInfo target(to);
  if (target.exists() && target.canonicalFilePath() == QFileInfo(path).canonicalFilePath()) {
    throw Error(QStringLiteral("不能匯出到自訂詞檔本身：%1").arg(QDir::toNativeSeparators(to)));
  }
  const std::vector<UserPhrase> phrases = ReadUserPhrases(path).Phrases();
  QByteArray bytes = kHeader.toUtf8() + '\n';
  for (const UserPhrase& phrase : phrases) bytes += LineBytes(phrase) + '\n';
  WriteAll(to, bytes);
  return qsizetype(phrases.size());
}

UserPhraseImport ImportUserPhrases(const QString& path, const QString& from,
                                   const ReadingsOfFn& readingsOf) {
  const UserPhraseFile source = UserPhraseFile::Parse(ReadAll(from, false));
  UserPhraseFile file = ReadUserPhrases(path);
  UserPhraseImport result;
  result.refused = source.Problems();
  for (const auto& [line, phrase] : source.NumberedPhrases()) {
    if (readingsOf) {
      if (const QString problem = MissingReadingProblem(phrase, readingsOf); !problem.isEmpty()) {
        result.refused.append(LineProblem(line, problem));
        continue;
      }
    }
    switch (file.Keep(phrase)) {
      case UserPhraseFile::Change::Added:
        ++result.added;
        break;
      case UserPhraseFile::Change::Replaced:
        ++result.replaced;
        break;
      case UserPhraseFile::Change::Unchanged:
        ++result.unchanged;
        break;
    }
  }
  // In the order of the lines, whatever refused them.
  const auto number = [](const QString& problem) {
    return problem.mid(1, problem.indexOf(u'行') - 1).toInt();
  };
  std::stable_sort(result.refused.begin(), result.refused.end(),
                   [&](const QString& a, const QString& b) { return number(a) < number(b); });
  if (result.added + result.replaced > 0) WriteUserPhrases(path, file);
  return result;
}

QString ImportSummary(const UserPhraseImport& result) {
  return QStringLiteral("匯入 %1 條：新增 %2、取代 %3、未變 %4、拒收 %5")
      .arg(result.added + result.replaced + result.unchanged)
      .arg(result.added)
      .arg(result.replaced)
      .arg(result.unchanged)
      .arg(result.refused.size());
}

}  // namespace ravlek
