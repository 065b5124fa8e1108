#pragma once
// The release manifests (LastVersion.xml, CurrentVersion.xml, information.xml) and the XML reader
// they are read with.
//
// An element's text is the character data right after its start tag up to the next "<", with
// "&lt;", "&gt;", "&quot;", "&apos;" and "&amp;" replaced in that order (numeric references stay
// as written) and nothing trimmed; text of blanks, tabs and line breaks only is empty.

#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "release/manifest_binding.h"

namespace pugi {
class xml_document;
class xml_node;
}  // namespace pugi

namespace ravlek {

// Replaces the five predefined entity references in the order given above.
QString ReplacePredefinedEntities(QString text);

// The largest manifest file that is read (and fetched): 1 MB.
constexpr qint64 kMaxManifestBytes = 1024 * 1024;
// The longest version text of a well-formed release manifest.
constexpr int kMaxVersionLength = 64;

// A manifest file loaded for reading. Load raises Error when the file cannot be opened, is larger
// than kMaxManifestBytes, is not well-formed or has no root element.
class ManifestDocument {
 public:
  static ManifestDocument Load(const QString& path);
  ~ManifestDocument();
  ManifestDocument(ManifestDocument&&) noexcept;

  class Element {
   public:
    std::vector<Element> Children(const char* name) const;
    std::optional<Element> FirstChild(const char* name) const;
    QString Text() const;
    QString Attribute(const char* name) const;

   private:
    friend class ManifestDocument;
    explicit Element(const void* node) : node_(node) {}
    const void* node_;  // a pugi::xml_node_struct of the owning document
  };
  Element Root() const;

 private:
  ManifestDocument();
  std::unique_ptr<pugi::xml_document> document_;
};

// One release element of CurrentVersion.xml or LastVersion.xml; a missing child is nullopt.
struct ReleaseEntry {
  QString id;
  std::optional<QString> sysVersion;
  std::optional<QString> sysDownloadUrl;
  std::optional<QString> sysNotes;
  std::optional<QString> dbVersion;
  std::optional<QString> dbDownloadUrl;
  std::optional<QString> dbNotes;
  ArchiveFacts sysArchive;  // sys_sha256 and sys_size, when given
  ArchiveFacts dbArchive;   // db_sha256 and db_size, when given
};
// The release children of the root, in document order. Raises Error as Load does, and for a
// version text longer than kMaxVersionLength.
std::vector<ReleaseEntry> ReadReleases(const QString& path);

// The package ids of information.xml: each taken from the last info element that has it.
struct PackageIds {
  QString html;
  QString images;
  ArchiveFacts htmlArchive;    // HTML_sha256 and HTML_size, when given
  ArchiveFacts imagesArchive;  // HTML_images_sha256 and HTML_images_size, when given
};
PackageIds ReadPackageIds(const QString& path);

}  // namespace ravlek
