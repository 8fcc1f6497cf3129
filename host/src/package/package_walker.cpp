#include "package/package_walker.h"

#include <cfloat>
#include <charconv>

#include "opc/compatible_markup_content.h"
#include "opc/core_properties.h"
#include "opc/package_error.h"
#include "opc/part_name.h"
#include "opc/xps_names.h"
#include "package/font_glyph_count.h"
#include "package/zip_content.h"
#include "parts/part_objects.h"

namespace tav::host {
namespace {

constexpr size_t kMaxResourceDepth = 32;
constexpr double kMinPageLength = 0.01;

PartRole ResourceRole(const std::string& contentType, const std::string& name)
{
    if (xps::IsFontContentType(contentType)) return PartRole::Font;
    if (contentType.rfind("image/", 0) == 0) return PartRole::Image;
    if (contentType == xps::kColorProfileContentType) return PartRole::ColorProfile;
    if (contentType == xps::kResourceDictionaryContentType) return PartRole::ResourceDictionary;
    if (!contentType.empty()) return PartRole::Other;
    std::string extension = PartExtension(name);
    if (extension == "ttf" || extension == "otf" || extension == "odttf") return PartRole::Font;
    if (extension == "png" || extension == "jpg" || extension == "jpeg" || extension == "tif" || extension == "tiff" ||
        extension == "wdp" || extension == "jxr") {
        return PartRole::Image;
    }
    if (extension == "icc" || extension == "icm") return PartRole::ColorProfile;
    if (extension == "dict") return PartRole::ResourceDictionary;
    return PartRole::Other;
}

std::string Trim(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// Thumbnails are JPEG or PNG images, nothing else.
bool IsThumbnailType(const std::string& type) { return type == "image/jpeg" || type == "image/png"; }

constexpr std::string_view kPrintSchemaFramework =
    "http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";

// The content types of XPS parts take no parameters ("image/png;x=1").
void CheckNoParameters(const std::string& name, const std::string& type)
{
    if (type.find(';') != std::string::npos) {
        throw PackageError(name, "the content type \"" + type + "\" carries parameters, which XPS parts do not take");
    }
}

bool IsFixedMarkupType(const std::string& type)
{
    return type == xps::kPageContentType || type == xps::kDocumentContentType || type == xps::kSequenceContentType;
}

}  // namespace

bool ParseXpsLength(const std::string& text, double* value)
{
    std::string trimmed = Trim(text);
    const char* begin = trimmed.data();
    const char* end = begin + trimmed.size();
    if (begin != end && *begin == '+') ++begin;
    auto [stop, error] = std::from_chars(begin, end, *value);
    return error == std::errc() && stop == end && *value >= kMinPageLength && *value <= FLT_MAX;
}

PackageWalker::PackageWalker(std::shared_ptr<Package> package, ComPtr<IPartPrintTicket> jobTicket)
    : package_(std::move(package)), jobTicket_(std::move(jobTicket))
{
}

PackageWalker::~PackageWalker() = default;

ComPtr<IUnknown> PackageWalker::Next()
{
    for (;;) {
        switch (stage_) {
        case Stage::XpsDocument: {
            stage_ = Stage::PackageParts;
            ComPtr<IPartThumbnail> thumbnail;
            for (const Relationship& relationship : package_->PackageRelationships()) {
                if (relationship.external) continue;
                if (relationship.type == xps::kThumbnail && !thumbnail) {
                    CheckRelatedType("/", relationship, "thumbnail", IsThumbnailType);
                    ComPtr<IUnknown> part = package_->SharedPart(relationship.target, PartRole::Thumbnail);
                    part.As(IID_IPartThumbnail, &thumbnail);
                } else if (relationship.type == xps::kCoreProperties) {
                    if (!packageParts_.empty()) {
                        throw PackageError(RelationshipsPartName("/"),
                                           "the package has two core-properties relationships");
                    }
                    CheckRelatedType("/", relationship, "core properties",
                                     [](const std::string& type) { return type == xps::kCorePropertiesContentType; });
                    CheckCoreProperties(package_->Content(relationship.target)->Open(), relationship.target);
                    packageParts_.push_back(relationship.target);
                }
                // Digital signatures are not passed on: the output's
                // FixedDocument and FixedDocumentSequence markup is written
                // anew, so no signature over the original could hold.
            }
            currentName_.assign(1, '/');  // the package itself
            return ComPtr<IUnknown>::Adopt(MakeXpsDocument(thumbnail).Detach());
        }
        case Stage::PackageParts:
            if (packagePartIndex_ < packageParts_.size()) {
                currentName_ = packageParts_[packagePartIndex_++];
                return package_->SharedPart(currentName_, PartRole::CoreProperties);
            }
            stage_ = Stage::Sequence;
            break;
        case Stage::Sequence: stage_ = Stage::Documents; return MakeSequence();
        case Stage::Documents: {
            ComPtr<IUnknown> part = NextDocumentOrPage();
            if (part) return part;
            stage_ = Stage::Done;
            break;
        }
        case Stage::Done: return nullptr;
        }
    }
}

ComPtr<IUnknown> PackageWalker::MakeSequence()
{
    const std::string& name = package_->SequenceName();
    currentName_ = name;
    std::shared_ptr<PartData> sequence = package_->ReadPartData(name, PartRole::Sequence);
    AttachTicket(*sequence, package_->RelationshipsOf(name));
    if (jobTicket_) sequence->SetTicket(jobTicket_);
    sequenceReader_ = std::make_unique<XmlPullReader>(sequence->Content()->Open(), name);
    if (!sequenceReader_->NextElement() || sequenceReader_->LocalName() != "FixedDocumentSequence" ||
        sequenceReader_->NamespaceUri() != xps::kXpsNamespace) {
        sequenceReader_->Fail("the root element is not an XPS FixedDocumentSequence");
    }
    return MakePartObject(sequence);
}

ComPtr<IUnknown> PackageWalker::NextDocumentOrPage()
{
    for (;;) {
        if (documentReader_) {
            while (std::optional<PageEntry> page = NextPageContent()) {
                if (WantsNextPage()) return MakePage(*page);
                document_->NoteOriginalPage(page->name);
            }
            if (document_->OriginalPages().count == 0) {
                throw PackageError(document_->Name(), "the FixedDocument has no pages");
            }
            documentReader_.reset();
            document_.reset();
        }
        std::optional<std::string> documentName = NextDocumentReference();
        if (!documentName) {
            if (documentCount_ == 0) {
                throw PackageError(package_->SequenceName(), "the FixedDocumentSequence refers to no FixedDocument");
            }
            return nullptr;
        }
        ++documentCount_;
        return MakeDocument(*documentName);
    }
}

std::optional<std::string> PackageWalker::NextDocumentReference()
{
    while (sequenceReader_->NextElement()) {
        if (sequenceReader_->Depth() != 1 || sequenceReader_->LocalName() != "DocumentReference") continue;
        std::optional<std::string> source = sequenceReader_->Attribute("Source");
        if (!source) sequenceReader_->Fail("a DocumentReference has no Source");
        std::string name;
        try {
            name = ResolvePartReference(package_->SequenceName(), *source);
        } catch (const PackageError& error) {
            sequenceReader_->Fail("DocumentReference \"" + *source + "\": " + error.Reason());
        }
        if (!documentsSeen_.insert(PartNameKey(name)).second) {
            sequenceReader_->Fail("the FixedDocument " + name + " is referred to more than once");
        }
        return name;
    }
    return std::nullopt;
}

std::optional<PackageWalker::PageEntry> PackageWalker::NextPageContent()
{
    XmlPullReader& reader = *documentReader_;
    if (!pageContentPending_) {
        for (;;) {
            if (!reader.NextElement()) return std::nullopt;
            if (reader.Depth() == 1 && reader.LocalName() == "PageContent") break;
        }
    }
    pageContentPending_ = false;
    std::optional<std::string> source = reader.Attribute("Source");
    if (!source) reader.Fail("a PageContent has no Source");
    PageEntry entry;
    try {
        entry.name = ResolvePartReference(document_->Name(), *source);
    } catch (const PackageError& error) {
        reader.Fail("PageContent \"" + *source + "\": " + error.Reason());
    }
    if (!pagesSeen_.insert(PartNameKey(entry.name)).second) {
        reader.Fail("the FixedPage " + entry.name + " is referred to more than once");
    }
    // The page's link targets follow as children; reading them runs on to
    // the next PageContent, which the next call takes.
    while (reader.NextElement()) {
        if (reader.Depth() == 1) {
            pageContentPending_ = reader.LocalName() == "PageContent";
            if (pageContentPending_) break;
            continue;
        }
        if (reader.LocalName() == "LinkTarget") {
            if (std::optional<std::string> target = reader.Attribute("Name")) entry.linkTargets.push_back(*target);
        }
    }
    return entry;
}

void PackageWalker::CheckPayloadType(const std::string& name, std::string_view expected, const char* what) const
{
    if (!package_->HasPart(name)) throw PackageError(name, std::string("the ") + what + " is missing from the package");
    std::string type = package_->ContentType(name);
    if (!type.empty() && type != expected) {
        throw PackageError(name,
                           std::string("the part is referred to as a ") + what + " but its content type is " + type);
    }
}

ComPtr<IUnknown> PackageWalker::MakeDocument(const std::string& name)
{
    currentName_ = name;
    CheckPayloadType(name, xps::kDocumentContentType, "FixedDocument");
    document_ = package_->ReadPartData(name, PartRole::Document);
    std::vector<Relationship> relationships = package_->RelationshipsOf(name);
    AttachTicket(*document_, relationships);
    for (const Relationship& relationship : relationships) {
        if (relationship.external) continue;
        PartRole role;
        if (relationship.type == xps::kDocumentStructure) {
            role = PartRole::DocumentStructure;
            CheckRelatedType(name, relationship, "DocumentStructure",
                             [](const std::string& type) { return type == xps::kDocumentStructureContentType; });
        } else if (relationship.type == xps::kSignatureDefinitions) {
            role = PartRole::SignatureDefinitions;
            CheckRelatedType(name, relationship, "SignatureDefinitions",
                             [](const std::string& type) { return !IsFixedMarkupType(type); });
        } else {
            continue;
        }
        document_->AddKeptRelationship({relationship.type, package_->SharedPart(relationship.target, role)});
    }
    documentReader_ = std::make_unique<XmlPullReader>(document_->Content()->Open(), name);
    if (!documentReader_->NextElement() || documentReader_->LocalName() != "FixedDocument" ||
        documentReader_->NamespaceUri() != xps::kXpsNamespace) {
        documentReader_->Fail("the root element is not an XPS FixedDocument");
    }
    pageContentPending_ = false;
    return MakePartObject(document_);
}

ComPtr<IUnknown> PackageWalker::MakePage(const PageEntry& entry)
{
    currentName_ = entry.name;
    CheckPayloadType(entry.name, xps::kPageContentType, "FixedPage");
    std::shared_ptr<PartData> page = package_->ReadPartData(entry.name, PartRole::Page);
    MarkupFindings markup = ReadPageMarkup(*page);
    page->SetLinkTargets(entry.linkTargets);
    std::vector<Relationship> relationships = package_->RelationshipsOf(entry.name);
    AttachTicket(*page, relationships);
    AttachResources(*page, relationships);
    AttachMarkupResources(*page, markup.references);
    CheckGlyphIndices(entry.name, markup.glyphFonts);
    CheckDeferredReferences(entry.name, markup.deferred);
    for (const Relationship& relationship : relationships) {
        if (relationship.external) continue;
        PartRole role;
        if (relationship.type == xps::kStoryFragments) {
            role = PartRole::StoryFragments;
            CheckRelatedType(entry.name, relationship, "StoryFragments",
                             [](const std::string& type) { return type == xps::kStoryFragmentsContentType; });
        } else if (relationship.type == xps::kThumbnail) {
            role = PartRole::Thumbnail;
            CheckRelatedType(entry.name, relationship, "thumbnail", IsThumbnailType);
        } else {
            continue;
        }
        page->AddKeptRelationship({relationship.type, package_->SharedPart(relationship.target, role)});
    }
    document_->NoteOriginalPage(entry.name);
    return MakePartObject(page);
}

namespace {

// The page's stored content with its bytes kept, or null for a page that
// is interleaved, not stored as it is read, or larger than the budget has
// left.
std::shared_ptr<const ZipContent> KeptPageContent(const std::shared_ptr<const PartContent>& content,
                                                  const std::shared_ptr<KeptBytesBudget>& budget)
{
    const auto* stored = dynamic_cast<const ZipContent*>(content.get());
    std::optional<uint64_t> size = stored != nullptr ? stored->KnownSize() : std::nullopt;
    if (!size || stored->SingleEntry() == nullptr || !budget->Take(*size)) return nullptr;
    std::string bytes;
    size_t got = 0;
    char beyond;
    try {
        bytes.resize(static_cast<size_t>(*size));
        std::unique_ptr<ByteReader> reader = content->Open();
        got = ReadFully(*reader, bytes.data(), bytes.size());
        // Reading on to the end has the reader check the entry's size and CRC-32.
        if (got == bytes.size() && reader->Read(&beyond, 1) != 0) got = 0;
    } catch (...) {
        budget->Give(*size);
        throw;
    }
    if (got != bytes.size()) {
        budget->Give(*size);
        return nullptr;
    }
    return stored->KeepingBytes(std::move(bytes), budget);
}

// Whether the markup read from content is of the other flavour: an
// OpenXPS package's markup in the 2005/06 namespace, which the translation
// that presents OpenXPS markup to the reader noticed.
bool OfTheOtherFlavour(const PartContent& content)
{
    const auto* translated = dynamic_cast<const TranslatedContent*>(&content);
    return translated != nullptr && translated->TelltaleSeen();
}

constexpr const char* kOtherFlavour =
    "the markup uses the XPS 1.0 namespace http://schemas.microsoft.com/xps/2005/06, which an OpenXPS package "
    "does not use";

}  // namespace

// The page's markup is read whole here, once, in the reader's thread: a
// page that is not well-formed is refused before any filter sees it, and
// the same pass gives the page size and the parts the markup refers to.
PackageWalker::MarkupFindings PackageWalker::ReadPageMarkup(PartData& page) const
{
    std::shared_ptr<const ZipContent> kept = KeptPageContent(page.Content(), keptBytes_);
    if (kept) page.KeepContent(kept);
    page_schema::MarkupChecker checker(page_schema::MarkupRoot::FixedPage, package_->LenientMarkup());
    FixedMarkupSummary summary = kept ? ScanFixedMarkup(*kept->KeptBytes(), page.Name(), "FixedPage", &checker)
                                      : ScanFixedMarkup(*page.Content()->Open(), page.Name(), "FixedPage", &checker);
    if (checker.Excused()) {
        package_->Log()->Excuse(page.Name(), *checker.Excused());
    } else if (OfTheOtherFlavour(*page.Content())) {
        MarkupFault(page.Name(), kOtherFlavour);
    }
    double width = 0;
    double height = 0;
    if (!summary.width || !summary.height || !ParseXpsLength(*summary.width, &width) ||
        !ParseXpsLength(*summary.height, &height)) {
        throw PackageError(page.Name(), "the FixedPage has no valid Width and Height");
    }
    page.SetPageSize(width, height);
    // Filters see the page as a consumer of the XPS vocabulary does, with
    // the alternative content chosen and ignorable content left out.
    if (summary.usesCompatibility) page.ReplaceContent(CompatibleMarkupContent(page.Content(), page.Name()));
    // A page already excused is not checked further: one warning a page.
    if (checker.Excused()) return {std::move(summary.references), {}, {}, {}};
    return {std::move(summary.references), checker.GlyphFonts(), checker.DeferredReferences(), {}};
}

// A relationship of source that must reach a part of one kind: the part
// must be there with a fitting content type. A thumbnail or core
// properties pointing at the sequence, or a structure pointing at its own
// document, is a fault of the input, not a second part of that kind.
void PackageWalker::CheckRelatedType(const std::string& source, const Relationship& relationship, const char* what,
                                     bool (*fits)(const std::string& type)) const
{
    if (!package_->HasPart(relationship.target)) {
        throw PackageError(relationship.target, "the part " + source + " refers to is missing from the package");
    }
    std::string type = package_->ContentType(relationship.target);
    if (!fits(type)) {
        throw PackageError(RelationshipsPartName(source), std::string("the ") + what + " relationship " +
                                                              relationship.id + " targets " + relationship.target +
                                                              ", whose content type is " + type);
    }
}

void PackageWalker::AttachTicket(PartData& part, const std::vector<Relationship>& relationships)
{
    const Relationship* found = nullptr;
    for (const Relationship& relationship : relationships) {
        if (relationship.external || relationship.type != xps::kPrintTicketRelationship) continue;
        if (found != nullptr) {
            throw PackageError(RelationshipsPartName(part.Name()), "the part has two PrintTicket relationships (" +
                                                                       found->id + " and " + relationship.id + ")");
        }
        found = &relationship;
    }
    if (found == nullptr) return;
    const std::string& target = found->target;
    if (SamePartName(target, part.Name())) {
        throw PackageError(part.Name(), "the part's print ticket relationship loops back to the part itself");
    }
    CheckPayloadType(target, xps::kPrintTicketContentType, "PrintTicket");
    CheckTicketMarkup(target);
    ComPtr<IPartPrintTicket> ticket;
    package_->SharedPart(target, PartRole::PrintTicket).As(IID_IPartPrintTicket, &ticket);
    if (!ticket) throw PackageError(target, "the part is used both as a PrintTicket and as another kind of part");
    part.SetTicket(ticket);
}

// A ticket the filters cannot read is a fault of the input, found here
// rather than in the filter that would read it first: each ticket part is
// read once, through to its end, and must be a PrintTicket.
void PackageWalker::CheckTicketMarkup(const std::string& name)
{
    if (!ticketsChecked_.insert(PartNameKey(name)).second) return;
    XmlPullReader reader(package_->Content(name)->Open(), name);
    if (!reader.NextElement() || reader.LocalName() != "PrintTicket" ||
        reader.NamespaceUri() != kPrintSchemaFramework) {
        reader.Fail("the part is no PrintTicket (its root element is not psf:PrintTicket)");
    }
    while (reader.NextElement()) {
    }
}

void PackageWalker::AttachResources(PartData& page, const std::vector<Relationship>& relationships)
{
    std::vector<std::string> path{page.Name()};
    CollectResources(page, page.Name(), relationships, &path);
}

// Required resources of the page and, when a remote resource dictionary
// has relationships of its own, of the dictionary. path holds the parts
// from the page to the current source, to report a loop instead of
// following it.
void PackageWalker::CollectResources(PartData& page, const std::string& source,
                                     const std::vector<Relationship>& relationships, std::vector<std::string>* path)
{
    for (const Relationship& relationship : relationships) {
        if (relationship.external) continue;
        if (relationship.type != xps::kRequiredResource && relationship.type != xps::kRestrictedFont) continue;
        const std::string& target = relationship.target;
        for (const std::string& visited : *path) {
            if (SamePartName(visited, target)) {
                std::string chain;
                for (const std::string& step : *path) chain += step + " -> ";
                throw PackageError(source, "the resource relationships loop: " + chain + target);
            }
        }
        if (!package_->HasPart(target)) {
            throw PackageError(target, "the resource " + source + " requires is missing from the package");
        }
        std::string type = package_->ContentType(target);
        CheckNoParameters(target, type);
        if (type == xps::kPageContentType || type == xps::kDocumentContentType || type == xps::kSequenceContentType) {
            throw PackageError(source, "a required resource relationship targets " + target +
                                           ", which is no resource (content type " + type + ")");
        }
        // A part the page has already is not walked again: its own
        // resources were collected when it was attached, and walking every
        // path to a dictionary shared by several others would take time
        // exponential in their number.
        if (page.FindResource(target)) continue;
        PartRole role = ResourceRole(type, target);
        page.AttachResource({target, package_->SharedPart(target, role)});
        if (role != PartRole::ResourceDictionary) continue;
        if (path->size() > kMaxResourceDepth) throw PackageError(target, "resource dictionaries nest too deeply");
        path->push_back(target);
        CollectResources(page, target, package_->RelationshipsOf(target), path);
        path->pop_back();
    }
}

// Parts the markup refers to that no relationship declares are carried
// too: viewers render such pages, so the output must hold every part the
// page uses, and the writer gives the page the relationships it lacked.
// Remote resource dictionaries are read for the parts they refer to.
void PackageWalker::AttachMarkupResources(PartData& page, const std::vector<MarkupReference>& pageReferences)
{
    AttachReferencedParts(page, page.Name(), pageReferences);
    std::set<std::string> read;
    for (bool more = true; more;) {
        more = false;
        for (const PageResource& resource : page.Resources()) {
            std::shared_ptr<PartData> data = HostDataOf(resource.part.Get());
            if (!data || data->Role() != PartRole::ResourceDictionary) continue;
            if (!read.insert(PartNameKey(resource.name)).second) continue;
            const MarkupFindings& dictionary = DictionaryMarkup(resource.name);
            AttachReferencedParts(page, resource.name, dictionary.references);
            CheckGlyphIndices(resource.name, dictionary.glyphFonts);
            more = true;
        }
    }
}

void PackageWalker::AttachReferencedParts(PartData& page, const std::string& source,
                                          const std::vector<MarkupReference>& references)
{
    for (const MarkupReference& reference : references) {
        if (IsAbsoluteUri(reference.uri)) continue;  // outside the package: nothing to carry
        std::string target;
        try {
            target = ResolvePartReference(source, reference.uri);
        } catch (const PackageError& error) {
            throw PackageError(source, reference.attribute + " \"" + reference.uri + "\": " + error.Reason());
        }
        if (page.FindResource(target)) continue;
        if (!package_->HasPart(target)) {
            throw PackageError(source, "the markup refers to " + target + " (" + reference.attribute +
                                           "), which is missing from the package");
        }
        std::string type = package_->ContentType(target);
        CheckNoParameters(target, type);
        PartRole expected = reference.attribute == "FontUri"       ? PartRole::Font
                            : reference.attribute == "Source"      ? PartRole::ResourceDictionary
                            : reference.attribute == "ImageSource" ? PartRole::Image
                                                                   : PartRole::ColorProfile;
        PartRole role = ResourceRole(type, target);
        // A colour-converted bitmap names its profile in ImageSource too.
        if (role == PartRole::ColorProfile && expected == PartRole::Image) expected = role;
        bool markup = type == xps::kPageContentType || type == xps::kDocumentContentType ||
                      type == xps::kSequenceContentType || IsPackageBookkeepingName(target);
        if (markup || (role != PartRole::Other && role != expected)) {
            throw PackageError(source, "the markup's " + reference.attribute + " refers to " + target +
                                           ", which is no such resource (content type " + type + ")");
        }
        role = expected;
        page.AttachResource({target, package_->SharedPart(target, role)});
        if (role == PartRole::ResourceDictionary) {
            std::vector<std::string> path{page.Name(), target};
            CollectResources(page, target, package_->RelationshipsOf(target), &path);
        }
    }
}

const PackageWalker::MarkupFindings& PackageWalker::DictionaryMarkup(const std::string& name)
{
    std::string key = PartNameKey(name);
    auto found = dictionaries_.find(key);
    if (found != dictionaries_.end()) return found->second;
    page_schema::MarkupChecker checker(page_schema::MarkupRoot::RemoteDictionary, package_->LenientMarkup());
    std::shared_ptr<const PartContent> content = package_->Content(name);
    FixedMarkupSummary summary = ScanFixedMarkup(*content->Open(), name, "ResourceDictionary", &checker);
    if (checker.Excused()) {
        package_->Log()->Excuse(name, *checker.Excused());
    } else if (OfTheOtherFlavour(*content)) {
        MarkupFault(name, kOtherFlavour);
    }
    MarkupFindings findings{std::move(summary.references), checker.GlyphFonts(), {}, checker.DefinedResources()};
    return dictionaries_.emplace(key, std::move(findings)).first->second;
}

void PackageWalker::MarkupFault(const std::string& part, const std::string& reason) const
{
    if (!package_->LenientMarkup()) throw PackageError(part, reason);
    package_->Log()->Excuse(part, reason);
}

// The glyph indices a part's Glyphs use must lie within each font's own
// glyph count.
void PackageWalker::CheckGlyphIndices(const std::string& source, const std::vector<page_schema::GlyphFontUse>& fonts)
{
    for (const page_schema::GlyphFontUse& use : fonts) {
        if (IsAbsoluteUri(use.fontUri)) continue;  // outside the package
        std::string name = ResolvePartReference(source, use.fontUri);
        // A collection's face is named by the fragment ("font.ttc#2").
        uint32_t face = 0;
        size_t hash = use.fontUri.find('#');
        if (hash != std::string::npos) {
            std::string_view fragment = std::string_view(use.fontUri).substr(hash + 1);
            auto [stop, error] = std::from_chars(fragment.data(), fragment.data() + fragment.size(), face);
            if (error != std::errc() || stop != fragment.data() + fragment.size()) {
                MarkupFault(source, "Glyphs FontUri \"" + use.fontUri + "\" names no face of a font collection");
                continue;
            }
        }
        std::string key = PartNameKey(name) + "#" + std::to_string(face);
        auto found = glyphCounts_.find(key);
        if (found == glyphCounts_.end()) {
            std::optional<FontKey> obfuscation;
            if (package_->ContentType(name) == xps::kObfuscatedFontContentType) {
                obfuscation = FontObfuscationKey(name);
                if (!obfuscation) throw PackageError(name, "the obfuscated font's part name holds no GUID");
            }
            std::string fault;
            std::optional<uint32_t> count = FontGlyphCount(*package_->Content(name), obfuscation, face, &fault);
            if (!count) throw PackageError(name, fault);
            found = glyphCounts_.emplace(key, count).first;
        }
        if (use.maxGlyphIndex >= *found->second) {
            MarkupFault(source, "Glyphs Indices use glyph " + std::to_string(use.maxGlyphIndex) + " of " + name +
                                    ", which has " + std::to_string(*found->second) + " glyphs");
        }
    }
}

// Resource references that only a remote dictionary in scope can define
// are looked up there, innermost first.
void PackageWalker::CheckDeferredReferences(const std::string& page,
                                            const std::vector<page_schema::DeferredReference>& deferred)
{
    for (const page_schema::DeferredReference& reference : deferred) {
        std::optional<page_schema::ResourceKind> kind;
        for (const std::string& source : reference.dictionaries) {
            if (IsAbsoluteUri(source)) continue;
            for (const page_schema::DefinedResource& resource :
                 DictionaryMarkup(ResolvePartReference(page, source)).defined) {
                if (resource.key == reference.key) kind = resource.kind;
            }
            if (kind) break;
        }
        std::string named = reference.where + ": {StaticResource " + reference.key + "}";
        if (!kind) {
            MarkupFault(page, named + " names no resource defined before it in scope");
        } else if (*kind != reference.kind) {
            MarkupFault(page, named + " names " + page_schema::ResourceKindName(*kind) + ", not " +
                                  page_schema::ResourceKindName(reference.kind));
        }
    }
}

}  // namespace tav::host
