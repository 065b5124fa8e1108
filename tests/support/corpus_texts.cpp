#include "tests/support/corpus_texts.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "build_paths.h"

namespace ravlek::test {
namespace {

QByteArray ReadShared(const QString& relative) {
  QFile file(QDir(SharedDataDir()).filePath(relative));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString OneLine(QString text) {
  return text.replace(QLatin1String("\r\n"), QLatin1String(" "))
      .replace(QLatin1Char('\r'), QLatin1Char(' '))
      .replace(QLatin1Char('\n'), QLatin1Char(' '));
}

// A title, then each paragraph.
void AppendPiece(const QJsonObject& piece, const QString& titleKey, QStringList& lines) {
  lines.append(OneLine(piece.value(titleKey).toString()));
  for (const QJsonValue& paragraph : piece.value(QStringLiteral("paragraphs")).toArray()) {
    lines.append(OneLine(paragraph.toString()));
  }
}

// Both anthologies group their pieces: {"content": [{"content": [piece, …]}, …]}.
QStringList GroupedPieces(const QString& relative) {
  QStringList lines;
  const QJsonObject root = QJsonDocument::fromJson(ReadShared(relative)).object();
  for (const QJsonValue& group : root.value(QStringLiteral("content")).toArray()) {
    for (const QJsonValue& piece : group.toObject().value(QStringLiteral("content")).toArray()) {
      AppendPiece(piece.toObject(), QStringLiteral("chapter"), lines);
    }
  }
  return lines;
}

}  // namespace

QString SharedDataDir() {
  return QStringLiteral(RAVLEK_SHARED_DATA_DIR);
}

bool HaveSharedData() {
  return QDir(SharedDataDir()).exists(QStringLiteral("chinese-poetry"));
}

QString BuiltOpenDictionary() {
  return QStringLiteral(RAVLEK_DEFAULT_APP_DIR "/Ravlek.db");
}

QString WholeCorpusSkipReason() {
  if (!HaveSharedData())
    return QStringLiteral("the shared data folder %1 is absent: whole-corpus runs skipped")
        .arg(SharedDataDir());
  if (!QFile::exists(BuiltOpenDictionary()))
    return QStringLiteral("%1 has not been built").arg(BuiltOpenDictionary());
  return {};
}

QStringList TangShiSanBaiShouLines() {
  return GroupedPieces(QStringLiteral("chinese-poetry/tangshisanbaishou.json"));
}

QList<CorpusPoem> TangShiSanBaiShouPoems() {
  QList<CorpusPoem> poems;
  const QJsonObject root =
      QJsonDocument::fromJson(ReadShared(QStringLiteral("chinese-poetry/tangshisanbaishou.json")))
          .object();
  for (const QJsonValue& group : root.value(QStringLiteral("content")).toArray()) {
    const QString section = group.toObject().value(QStringLiteral("type")).toString();
    for (const QJsonValue& piece : group.toObject().value(QStringLiteral("content")).toArray()) {
      const QJsonObject poem = piece.toObject();
      QStringList paragraphs;
      for (const QJsonValue& paragraph : poem.value(QStringLiteral("paragraphs")).toArray()) {
        paragraphs.append(OneLine(paragraph.toString()));
      }
      poems.append({section, poem.value(QStringLiteral("chapter")).toString(),
                    poem.value(QStringLiteral("author")).toString(), paragraphs});
    }
  }
  return poems;
}

QStringList GuWenGuanZhiLines() {
  return GroupedPieces(QStringLiteral("chinese-poetry/guwenguanzhi.json"));
}

QStringList QuanTangShiLines() {
  QStringList lines;
  const QByteArray bytes = ReadShared(QStringLiteral("chinese-poetry/quantangshi_tang.jsonl"));
  for (const QByteArray& record : bytes.split('\n')) {
    if (record.trimmed().isEmpty()) continue;
    AppendPiece(QJsonDocument::fromJson(record).object(), QStringLiteral("title"), lines);
  }
  return lines;
}

QStringList QuanTangShiPoemLines() {
  QStringList lines;
  const QByteArray bytes = ReadShared(QStringLiteral("chinese-poetry/quantangshi_tang.jsonl"));
  for (const QByteArray& record : bytes.split('\n')) {
    if (record.trimmed().isEmpty()) continue;
    const QJsonObject poem = QJsonDocument::fromJson(record).object();
    for (const QJsonValue& paragraph : poem.value(QStringLiteral("paragraphs")).toArray()) {
      const QString line = OneLine(paragraph.toString());
      if (!line.trimmed().isEmpty()) lines.append(line);
    }
    lines.append(QString());
  }
  return lines;
}

QStringList KangxiEntries() {
  QStringList entries;
  const QDir folder(QDir(SharedDataDir()).filePath(QStringLiteral("kangxi/xml")));
  const QStringList files = folder.entryList({QStringLiteral("kx*.xml")}, QDir::Files, QDir::Name);
  static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
  for (const QString& name : files) {
    QFile file(folder.filePath(name));
    if (!file.open(QIODevice::ReadOnly)) continue;
    const QString text = QString::fromUtf8(file.readAll());
    // Each entry runs from its headword to the next one.
    const QStringList pieces = text.split(QStringLiteral("<wh "));
    for (qsizetype i = 1; i < pieces.size(); ++i) {
      const QString& piece = pieces[i];
      const qsizetype head = piece.indexOf(QLatin1String("</wh>"));
      QString body = piece.mid(head < 0 ? 0 : head + 5);
      entries.append(body.remove(tag).trimmed());
    }
  }
  return entries;
}

bool IsHanCharacter(char32_t code) {
  return (code >= 0x3400 && code <= 0x4DBF) || (code >= 0x4E00 && code <= 0x9FFF) ||
         (code >= 0xF900 && code <= 0xFAFF) || (code >= 0x20000 && code <= 0x3FFFF);
}

}  // namespace ravlek::test
