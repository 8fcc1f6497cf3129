// An XPS or OpenXPS package opened for reading: its zip directory, parts
// (interleaved pieces joined), content types, relationships and the
// FixedDocumentSequence the package's fixed-representation relationship
// names. Part contents are read only when asked for. OpenXPS markup is
// presented in the 2005/06 XPS namespaces.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "opc/content_types.h"
#include "opc/relationships.h"
#include "package/zip_content.h"
#include "parts/part_data.h"

namespace tav::host {

class Package {
public:
    // Throws PackageError when the file is no XPS package.
    static std::shared_ptr<Package> Open(const std::string& path, const ZipLimits& limits,
                                         std::shared_ptr<FailureLog> log);

    xps::Flavour Flavour() const { return flavour_; }
    // Whether page markup that breaks the vocabulary's rules is let pass
    // with a warning (in the log) instead of refused.
    bool LenientMarkup() const { return lenientMarkup_; }
    void SetLenientMarkup(bool lenient) { lenientMarkup_ = lenient; }
    const std::string& SequenceName() const { return sequenceName_; }
    const std::vector<Relationship>& PackageRelationships() const { return packageRelationships_; }
    const std::shared_ptr<FailureLog>& Log() const { return log_; }

    bool HasPart(const std::string& canonicalName) const;
    // The canonical names of every part (pieces joined), in key order.
    std::vector<std::string> PartNames() const;
    // Throws PackageError when the part is missing.
    std::shared_ptr<const PartContent> Content(const std::string& canonicalName) const;
    // The declared content type, in the 2005/06 spelling; "" when none.
    std::string ContentType(const std::string& canonicalName) const;
    // The relationships whose source is the part ("/" for the package);
    // none when it has no relationships part.
    std::vector<Relationship> RelationshipsOf(const std::string& sourceName) const;

    // The part's object, made once per job and shared by every page that
    // refers to it (resources, tickets, thumbnails).
    ComPtr<IUnknown> SharedPart(const std::string& canonicalName, PartRole role);
    // New data for a part read from the package (pages, documents, the
    // sequence: one object per appearance).
    std::shared_ptr<PartData> ReadPartData(const std::string& canonicalName, PartRole role) const;

private:
    struct StoredPart {
        std::string name;
        std::vector<ZipEntryInfo> pieces;
    };
    Package() = default;
    const StoredPart* Find(const std::string& canonicalName) const;
    void LocateSequence();
    void CheckNoNameExtendsAnother() const;

    std::shared_ptr<zip::ZipReader> archive_;
    std::shared_ptr<FailureLog> log_;
    std::map<std::string, StoredPart> parts_;  // by part name key
    ContentTypes contentTypes_;
    std::vector<Relationship> packageRelationships_;
    std::string sequenceName_;
    xps::Flavour flavour_ = xps::Flavour::Xps;
    bool lenientMarkup_ = false;

    std::mutex sharedLock_;
    std::map<std::string, ComPtr<IUnknown>> shared_;
};

}  // namespace tav::host
