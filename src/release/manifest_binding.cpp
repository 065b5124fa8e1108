#include "release/manifest_binding.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <pugixml.hpp>
#include <sstream>

#include "release/manifest.h"
#include "release/release_files.h"
#include "release/release_texts.h"

namespace ravlek {
namespace {

// As the reader parses: entities and line ends stay as written, so that a stamped manifest's
// existing texts are byte for byte those the publisher wrote.
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_comments | pugi::parse_pi |
                                   pugi::parse_declaration | pugi::parse_doctype;

void SetChildText(pugi::xml_node parent, const char* name, const QByteArray& value) {
  pugi::xml_node child = parent.child(name);
  if (!child) child = parent.append_child(name);
  while (child.first_child()) child.remove_child(child.first_child());
  child.append_child(pugi::node_pcdata).set_value(value.constData());
}

void SetFacts(pugi::xml_node parent, const QString& prefix, const ArchiveFacts& facts) {
  SetChildText(parent, (prefix + QStringLiteral("_sha256")).toUtf8().constData(), facts.sha256);
  SetChildText(parent, (prefix + QStringLiteral("_size")).toUtf8().constData(),
               QByteArray::number(facts.size));
}

QString BaseNameOf(const QString& address) {
  return QFileInfo(QUrl(address).path()).fileName();
}

}  // namespace

std::optional<ManifestStamp> ReadManifestStamp(const QString& path) {
  const ManifestDocument document = ManifestDocument::Load(path);
  const auto signedFor = document.Root().FirstChild("signed");
  if (!signedFor) return std::nullopt;
  ManifestStamp stamp;
  stamp.file = signedFor->Attribute("file");
  bool ok = false;
  const qint64 sequence = signedFor->Attribute("sequence").toLongLong(&ok);
  stamp.sequence = ok && sequence >= 0 ? sequence : -1;
  stamp.expires = QDateTime::fromString(signedFor->Attribute("expires"), Qt::ISODate);
  return stamp;
}

ArchiveFacts FactsOfFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QCryptographicHash hash(QCryptographicHash::Sha256);
  if (!hash.addData(&file)) return {};
  return {hash.result().toHex(), file.size()};
}

bool FileMatches(const QString& path, const ArchiveFacts& facts) {
  if (!facts.known() || FileSizeOf(path) != facts.size) return false;
  return FactsOfFile(path).sha256 == facts.sha256.toLower();
}

StampVerdict CheckManifestStamp(const QString& path, const QString& role, qint64 kept,
                                const QDateTime& now) {
  StampVerdict verdict;
  const std::optional<ManifestStamp> stamp = ReadManifestStamp(path);
  if (!stamp || stamp->sequence < 0) return verdict;
  verdict.sequence = stamp->sequence;
  verdict.expires = stamp->expires;
  verdict.expired = stamp->expires.isValid() && stamp->expires < now;
  if (stamp->file != role) {
    verdict.kind = StampVerdict::Kind::kWrongRole;
  } else if (stamp->sequence < kept) {
    verdict.kind = StampVerdict::Kind::kRolledBack;
  } else {
    verdict.kind = StampVerdict::Kind::kAccepted;
  }
  return verdict;
}

QString StampRefusalText(const StampVerdict& verdict, const QString& role, qint64 kept) {
  switch (verdict.kind) {
    case StampVerdict::Kind::kAccepted:
      return {};
    case StampVerdict::Kind::kMissing:
      return texts::kStampMissingText.arg(role);
    case StampVerdict::Kind::kWrongRole:
      return texts::kStampWrongRoleText.arg(role);
    case StampVerdict::Kind::kRolledBack:
      return texts::kRollbackRefusedText.arg(role).arg(verdict.sequence).arg(kept);
  }
  return {};
}

bool ExpiryToTell(const StampVerdict& verdict, const QString& warnedFile) {
  if (!verdict.accepted() || !verdict.expired) return false;
  const QByteArray told = verdict.expires.toUTC().toString(Qt::ISODate).toUtf8();
  QFile file(warnedFile);
  if (file.open(QIODevice::ReadOnly) && file.read(128).trimmed() == told) return false;
  file.close();
  WriteFileDurably(warnedFile, told + '\n');
  return true;
}

qint64 ReadKeptSequence(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  bool ok = false;
  const qint64 sequence = file.read(64).trimmed().toLongLong(&ok);
  return ok ? sequence : -1;
}

bool KeepSequence(const QString& path, qint64 sequence) {
  return WriteFileDurably(path, QByteArray::number(sequence) + '\n');
}

QByteArray StampManifest(
    const QByteArray& xml, const QString& role, qint64 sequence, const QDateTime& expires,
    const std::function<std::optional<ArchiveFacts>(const QString&)>& factsOf) {
  pugi::xml_document document;
  QByteArray bytes = xml;
  const bool bom = bytes.startsWith("\xEF\xBB\xBF");
  if (bom) bytes.remove(0, 3);
  if (!document.load_buffer(bytes.constData(), static_cast<size_t>(bytes.size()), kParseOptions,
                            pugi::encoding_utf8) ||
      !document.document_element()) {
    return {};
  }
  pugi::xml_node root = document.document_element();
  while (pugi::xml_node old = root.child("signed")) root.remove_child(old);
  pugi::xml_node stamp = root.prepend_child("signed");
  stamp.append_attribute("file").set_value(role.toUtf8().constData());
  stamp.append_attribute("sequence").set_value(QByteArray::number(sequence).constData());
  if (expires.isValid()) {
    stamp.append_attribute("expires").set_value(
        expires.toUTC().toString(Qt::ISODate).toUtf8().constData());
  }
  for (pugi::xml_node release : root.children("release")) {
    for (const QString& prefix : {QStringLiteral("sys"), QStringLiteral("db")}) {
      const pugi::xml_node url =
          release.child((prefix + QStringLiteral("_download_url")).toUtf8().constData());
      if (!url) continue;
      const auto facts = factsOf(BaseNameOf(QString::fromUtf8(url.child_value())));
      if (facts && facts->known()) SetFacts(release, prefix, *facts);
    }
  }
  for (pugi::xml_node info : root.children("info")) {
    if (const auto facts = factsOf(QStringLiteral("HTML.zip")); facts && facts->known())
      SetFacts(info, QStringLiteral("HTML"), *facts);
    if (const auto facts = factsOf(QStringLiteral("HTML_images.zip")); facts && facts->known())
      SetFacts(info, QStringLiteral("HTML_images"), *facts);
  }
  std::ostringstream out;
  document.save(out, "  ", pugi::format_default | pugi::format_no_escapes, pugi::encoding_utf8);
  const std::string text = out.str();
  return (bom ? QByteArray("\xEF\xBB\xBF") : QByteArray()) +
         QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace ravlek
