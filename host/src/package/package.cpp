#include "package/package.h"

#include <algorithm>

#include "opc/package_error.h"
#include "opc/part_name.h"
#include "opc/xml_pull_reader.h"
#include "package/zip_content.h"
#include "parts/part_objects.h"

namespace tav::host {
namespace {

struct PieceName {
    std::string partName;
    uint64_t number = 0;
    bool last = false;
};

// "/a/b.fpage/[3].piece" and "/a/b.fpage/[4].last.piece" are pieces of
// "/a/b.fpage".
std::optional<PieceName> ParsePieceName(const std::string& canonicalName)
{
    size_t slash = canonicalName.rfind('/');
    if (slash == 0 || slash == std::string::npos) return std::nullopt;
    std::string segment = PartNameKey(canonicalName.substr(slash + 1));
    if (segment.size() < 3 || segment[0] != '[') return std::nullopt;
    size_t close = segment.find(']');
    if (close == std::string::npos || close == 1 || close > 10) return std::nullopt;
    PieceName piece;
    for (size_t i = 1; i < close; ++i) {
        if (segment[i] < '0' || segment[i] > '9') return std::nullopt;
        piece.number = piece.number * 10 + static_cast<uint64_t>(segment[i] - '0');
    }
    std::string suffix = segment.substr(close + 1);
    if (suffix == ".last.piece") {
        piece.last = true;
    } else if (suffix != ".piece") {
        return std::nullopt;
    }
    piece.partName = canonicalName.substr(0, slash);
    // Piece numbers are written without leading zeros, so that one number
    // has one name.
    if (segment[1] == '0' && close > 2) {
        throw PackageError(piece.partName,
                           "the piece " + canonicalName.substr(slash + 1) + " has a number with a leading zero");
    }
    return piece;
}

struct PieceSet {
    std::string name;
    std::vector<std::pair<PieceName, ZipEntryInfo>> pieces;
};

std::vector<ZipEntryInfo> OrderedPieces(PieceSet& set)
{
    std::sort(set.pieces.begin(), set.pieces.end(),
              [](const auto& a, const auto& b) { return a.first.number < b.first.number; });
    std::vector<ZipEntryInfo> ordered;
    for (size_t i = 0; i < set.pieces.size(); ++i) {
        const PieceName& piece = set.pieces[i].first;
        if (i > 0 && piece.number == set.pieces[i - 1].first.number) {
            throw PackageError(set.name, "the interleaved part has piece " + std::to_string(piece.number) + " twice");
        }
        if (piece.number != i) {
            throw PackageError(set.name,
                               "the interleaved part lacks piece " + std::to_string(i) + " (or has it twice)");
        }
        bool shouldBeLast = i + 1 == set.pieces.size();
        if (piece.last != shouldBeLast) {
            throw PackageError(set.name, shouldBeLast ? "the interleaved part has no last piece"
                                                      : "the interleaved part has pieces after its last piece");
        }
        ordered.push_back(set.pieces[i].second);
    }
    return ordered;
}

}  // namespace

std::shared_ptr<Package> Package::Open(const std::string& path, const ZipLimits& limits,
                                       std::shared_ptr<FailureLog> log)
{
    std::shared_ptr<Package> package(new Package());
    package->log_ = std::move(log);
    // Whole parts go straight into the index; pieces are gathered by the
    // part they belong to and joined once the directory is read.
    std::map<std::string, PieceSet> pieceSets;
    auto index = [&package, &pieceSets](const std::string& item, const ZipEntryInfo& entry) {
        if (!item.empty() && item.back() == '/') return;  // a folder entry
        std::string name = CanonicalPartName("/" + item);
        if (std::optional<PieceName> piece = ParsePieceName(name)) {
            PieceSet& set = pieceSets[PartNameKey(piece->partName)];
            set.name = piece->partName;
            set.pieces.emplace_back(*piece, entry);
            return;
        }
        if (!package->parts_.emplace(PartNameKey(name), StoredPart{name, {entry}}).second) {
            throw PackageError(name, "the package holds two parts of this name");
        }
    };
    try {
        package->archive_ = zip::ZipReader::Open(path, limits, index);
    } catch (const zip::ZipError& error) {
        // Entries are named by their item names; parts by their part names.
        throw PackageError(error.Name().empty() ? "" : "/" + error.Name(), error.Reason());
    }
    for (auto& [key, set] : pieceSets) {
        if (!package->parts_.emplace(key, StoredPart{set.name, OrderedPieces(set)}).second) {
            throw PackageError(set.name, "the package holds this part both whole and in pieces");
        }
    }
    package->CheckNoNameExtendsAnother();
    if (!package->HasPart(ContentTypes::kPartName)) {
        throw PackageError(ContentTypes::kPartName, "the package has no content types part");
    }
    package->contentTypes_ = ContentTypes::Parse(package->Content(ContentTypes::kPartName)->Open());
    // Every part has a content type; none is guessed for it.
    for (const auto& [key, part] : package->parts_) {
        if (SamePartName(part.name, ContentTypes::kPartName)) continue;
        if (package->contentTypes_.Lookup(part.name).empty()) {
            throw PackageError(part.name, "the part has no content type (no Default for its extension, no Override)");
        }
    }
    if (!package->HasPart(RelationshipsPartName("/"))) {
        throw PackageError(RelationshipsPartName("/"), "the package has no relationships part");
    }
    package->packageRelationships_ = package->RelationshipsOf("/");
    package->LocateSequence();
    return package;
}

const Package::StoredPart* Package::Find(const std::string& canonicalName) const
{
    auto found = parts_.find(PartNameKey(canonicalName));
    return found == parts_.end() ? nullptr : &found->second;
}

std::vector<std::string> Package::PartNames() const
{
    std::vector<std::string> names;
    names.reserve(parts_.size());
    for (const auto& [key, part] : parts_) names.push_back(part.name);
    return names;
}

bool Package::HasPart(const std::string& canonicalName) const { return Find(canonicalName) != nullptr; }

std::shared_ptr<const PartContent> Package::Content(const std::string& canonicalName) const
{
    const StoredPart* part = Find(canonicalName);
    if (part == nullptr) throw PackageError(canonicalName, "the part is missing from the package");
    std::shared_ptr<const PartContent> content = std::make_shared<ZipContent>(archive_, part->pieces, part->name);
    if (flavour_ == xps::Flavour::OpenXps && xps::IsTranslatedMarkup(ContentType(canonicalName))) {
        // The 2005/06 namespace as an attribute value in the original is
        // markup of the other flavour, which the translation would hide.
        std::string other(xps::kXpsNamespace);
        content = std::make_shared<TranslatedContent>(std::move(content), std::string(xps::kOpenXpsNamespace),
                                                      std::string(xps::kXpsNamespace),
                                                      std::vector<std::string>{"\"" + other, "'" + other});
    }
    return content;
}

std::string Package::ContentType(const std::string& canonicalName) const { return contentTypes_.Lookup(canonicalName); }

std::vector<Relationship> Package::RelationshipsOf(const std::string& sourceName) const
{
    std::string relationshipsName = RelationshipsPartName(sourceName);
    if (!HasPart(relationshipsName)) return {};
    return ParseRelationships(Content(relationshipsName)->Open(), sourceName, relationshipsName);
}

// No part's name is another's with segments appended ("/a" and "/a/b"):
// the shorter would be a folder of the longer. The names are sorted, so
// the first one at or after "/a/" tells.
void Package::CheckNoNameExtendsAnother() const
{
    std::string folder;
    for (const auto& [key, part] : parts_) {
        folder.assign(key).push_back('/');
        auto longer = parts_.lower_bound(folder);
        if (longer != parts_.end() && longer->first.compare(0, folder.size(), folder) == 0) {
            throw PackageError(longer->second.name, "the part's name extends the name of the part " + part.name);
        }
    }
}

void Package::LocateSequence()
{
    const Relationship* representation = nullptr;
    for (const Relationship& relationship : packageRelationships_) {
        if (relationship.type != xps::kFixedRepresentation || relationship.external) continue;
        if (representation != nullptr) {
            throw PackageError(RelationshipsPartName("/"), "the package has more than one fixed representation");
        }
        representation = &relationship;
    }
    if (representation == nullptr) {
        throw PackageError(RelationshipsPartName("/"),
                           "the package has no fixed-representation relationship (not an XPS package)");
    }
    sequenceName_ = representation->target;
    std::string type = ContentType(sequenceName_);
    if (!type.empty() && type != xps::kSequenceContentType) {
        throw PackageError(sequenceName_,
                           "the fixed representation is not a FixedDocumentSequence (content type " + type + ")");
    }
    // The sequence's own namespace tells OpenXPS from XPS; read it
    // untranslated (flavour_ is still Xps here).
    XmlPullReader reader(Content(sequenceName_)->Open(), sequenceName_);
    if (!reader.NextElement() || reader.LocalName() != "FixedDocumentSequence") {
        reader.Fail("the root element is not FixedDocumentSequence");
    }
    std::string ns = reader.NamespaceUri();
    if (ns == xps::kOpenXpsNamespace) {
        flavour_ = xps::Flavour::OpenXps;
    } else if (ns != xps::kXpsNamespace) {
        reader.Fail("FixedDocumentSequence is in the unknown namespace \"" + ns + "\"");
    }
}

ComPtr<IUnknown> Package::SharedPart(const std::string& canonicalName, PartRole role)
{
    std::string key = PartNameKey(canonicalName);
    {
        std::lock_guard<std::mutex> hold(sharedLock_);
        auto found = shared_.find(key);
        if (found != shared_.end()) return found->second;
    }
    ComPtr<IUnknown> object = MakePartObject(ReadPartData(canonicalName, role));
    std::lock_guard<std::mutex> hold(sharedLock_);
    return shared_.emplace(key, object).first->second;
}

std::shared_ptr<PartData> Package::ReadPartData(const std::string& canonicalName, PartRole role) const
{
    const StoredPart* part = Find(canonicalName);
    if (part == nullptr) throw PackageError(canonicalName, "the part is missing from the package");
    std::string type = ContentType(part->name);
    return std::make_shared<PartData>(part->name, role, type, Content(part->name), log_);
}

}  // namespace tav::host
