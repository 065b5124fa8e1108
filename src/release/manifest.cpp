#include "release/manifest.h"

#include <QDir>
#include <QFile>
#include <pugixml.hpp>

#include "base/error.h"

namespace ravlek {
namespace {

// Entities stay as written (their text is computed from the source as defined above), line
// ends stay as they are, and comments, CDATA and processing instructions are nodes of their own,
// so that character data ends at the first "<" whatever follows it.
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_comments | pugi::parse_pi |
                                   pugi::parse_declaration | pugi::parse_doctype;

pugi::xml_node Node(const void* handle) {
  return pugi::xml_node(static_cast<pugi::xml_node_struct*>(const_cast<void*>(handle)));
}

}  // namespace

QString ReplacePredefinedEntities(QString text) {
  text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
  text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
  text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
  text.replace(QStringLiteral("&apos;"), QStringLiteral("'"));
  text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
  return text;
}

ManifestDocument::ManifestDocument() : document_(std::make_unique<pugi::xml_document>()) {}
ManifestDocument::~ManifestDocument() = default;
ManifestDocument::ManifestDocument(ManifestDocument&&) noexcept = default;

ManifestDocument ManifestDocument::Load(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    throw CannotOpenFileError(QDir::toNativeSeparators(path), file.errorString());
  }
  if (file.size() > kMaxManifestBytes) {
    throw Error(QStringLiteral("\"%1\" is not a release manifest: it is larger than %2 bytes")
                    .arg(QDir::toNativeSeparators(path))
                    .arg(kMaxManifestBytes));
  }
  QByteArray bytes = file.read(kMaxManifestBytes);
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
  ManifestDocument document;
  const pugi::xml_parse_result result = document.document_->load_buffer(
      bytes.constData(), static_cast<size_t>(bytes.size()), kParseOptions, pugi::encoding_utf8);
  if (!result || !document.document_->document_element()) {
    const QString reason = result ? QStringLiteral("No document element found")
                                  : QString::fromUtf8(result.description());
    throw Error(QStringLiteral("\"%1\" is not a readable XML document: %2 (offset %3)")
                    .arg(QDir::toNativeSeparators(path), reason)
                    .arg(result.offset));
  }
  return document;
}

ManifestDocument::Element ManifestDocument::Root() const {
  return Element(document_->document_element().internal_object());
}

std::vector<ManifestDocument::Element> ManifestDocument::Element::Children(const char* name) const {
  std::vector<Element> children;
  for (pugi::xml_node child : Node(node_).children(name)) {
    if (child.type() == pugi::node_element) children.push_back(Element(child.internal_object()));
  }
  return children;
}

std::optional<ManifestDocument::Element> ManifestDocument::Element::FirstChild(
    const char* name) const {
  for (pugi::xml_node child : Node(node_).children(name)) {
    if (child.type() == pugi::node_element) return Element(child.internal_object());
  }
  return std::nullopt;
}

QString ManifestDocument::Element::Text() const {
  // Only character data that starts right at the start tag counts; whitespace-only data is not
  // kept by the parser, which makes such text empty.
  const pugi::xml_node first = Node(node_).first_child();
  if (first.type() != pugi::node_pcdata) return QString();
  return ReplacePredefinedEntities(QString::fromUtf8(first.value()));
}

QString ManifestDocument::Element::Attribute(const char* name) const {
  const pugi::xml_attribute attribute = Node(node_).attribute(name);
  return attribute ? ReplacePredefinedEntities(QString::fromUtf8(attribute.value())) : QString();
}

namespace {

std::optional<QString> ChildText(const ManifestDocument::Element& element, const char* name) {
  const auto child = element.FirstChild(name);
  if (!child) return std::nullopt;
  return child->Text();
}

ArchiveFacts FactsOf(const ManifestDocument::Element& element, const char* hash, const char* size) {
  ArchiveFacts facts;
  const auto hashText = ChildText(element, hash);
  const auto sizeText = ChildText(element, size);
  if (!hashText || !sizeText) return facts;
  bool ok = false;
  const qint64 bytes = sizeText->trimmed().toLongLong(&ok);
  const QByteArray hex = hashText->trimmed().toLatin1().toLower();
  if (!ok || bytes < 0 || hex.size() != 64) return facts;
  facts.sha256 = hex;
  facts.size = bytes;
  return facts;
}

}  // namespace

std::vector<ReleaseEntry> ReadReleases(const QString& path) {
  const ManifestDocument document = ManifestDocument::Load(path);
  std::vector<ReleaseEntry> releases;
  for (const auto& release : document.Root().Children("release")) {
    ReleaseEntry entry;
    entry.id = release.Attribute("id");
    entry.sysVersion = ChildText(release, "sys_version");
    entry.sysDownloadUrl = ChildText(release, "sys_download_url");
    entry.sysNotes = ChildText(release, "sys_notes");
    entry.dbVersion = ChildText(release, "db_version");
    entry.dbDownloadUrl = ChildText(release, "db_download_url");
    entry.dbNotes = ChildText(release, "db_notes");
    entry.sysArchive = FactsOf(release, "sys_sha256", "sys_size");
    entry.dbArchive = FactsOf(release, "db_sha256", "db_size");
    for (const auto& version : {entry.sysVersion, entry.dbVersion}) {
      if (version && version->size() > kMaxVersionLength) {
        throw Error(QStringLiteral("\"%1\" is not a release manifest: a version is longer than "
                                   "%2 characters")
                        .arg(QDir::toNativeSeparators(path))
                        .arg(kMaxVersionLength));
      }
    }
    releases.push_back(std::move(entry));
  }
  return releases;
}

PackageIds ReadPackageIds(const QString& path) {
  const ManifestDocument document = ManifestDocument::Load(path);
  PackageIds ids;
  for (const auto& info : document.Root().Children("info")) {
    if (const auto html = ChildText(info, "HTML_release_id")) ids.html = *html;
    if (const auto images = ChildText(info, "HTML_images_release_id")) ids.images = *images;
    if (const auto facts = FactsOf(info, "HTML_sha256", "HTML_size"); facts.known())
      ids.htmlArchive = facts;
    if (const auto facts = FactsOf(info, "HTML_images_sha256", "HTML_images_size"); facts.known())
      ids.imagesArchive = facts;
  }
  return ids;
}

}  // namespace ravlek
