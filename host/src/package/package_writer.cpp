#include "package/package_writer.h"

#include <optional>
#include <stdexcept>

#include "opc/content_types.h"
#include "opc/package_error.h"
#include "opc/part_name.h"
#include "opc/xps_names.h"
#include "package/font_obfuscation.h"
#include "package/spilled_directory.h"
#include "package/zip_content.h"
#include "parts/part_identity.h"
#include "platform/wformat.h"
#include "tavzip/stored_entry_check.h"

namespace tav::host {
namespace {

// A ByteReader over a part's read stream, for parts the host did not make.
class ReadStreamReader : public ByteReader {
public:
    ReadStreamReader(ComPtr<IPrintReadStream> stream, std::string name)
        : stream_(std::move(stream)), name_(std::move(name))
    {
    }
    size_t Read(void* buffer, size_t count) override
    {
        ULONG got = 0;
        BOOL end = FALSE;
        ULONG ask = static_cast<ULONG>(std::min<size_t>(count, 1u << 30));
        HRESULT result = stream_->ReadBytes(buffer, ask, &got, &end);
        if (FAILED(result)) throw std::runtime_error("cannot read the part " + name_);
        return got;
    }

private:
    ComPtr<IPrintReadStream> stream_;
    std::string name_;
};

std::string TakeBstr(BSTR text)
{
    std::string result = WideToUtf8(text);
    SysFreeString(text);
    return result;
}

std::unique_ptr<ByteReader> ContentOf(IUnknown* part, const std::string& name)
{
    if (std::shared_ptr<PartData> data = HostDataOf(part)) return data->Content()->Open();
    ComPtr<IPartBase> base;
    ComPtr<IPrintReadStream> stream;
    if (FAILED(part->QueryInterface(IID_IPartBase, base.OutVoid())) || FAILED(base->GetStream(stream.Out()))) {
        throw std::runtime_error("cannot read the part " + name);
    }
    return std::make_unique<ReadStreamReader>(stream, name);
}

std::string ContentTypeOf(IUnknown* part)
{
    if (std::shared_ptr<PartData> data = HostDataOf(part)) return data->ContentType();
    BSTR type = nullptr;
    EXpsFontOptions options;
    ComPtr<IPartFont> font;
    ComPtr<IPartImage> image;
    ComPtr<IPartThumbnail> thumbnail;
    if (SUCCEEDED(part->QueryInterface(IID_IPartFont, font.OutVoid())) &&
        SUCCEEDED(font->GetFontProperties(&type, &options))) {
        return TakeBstr(type);
    }
    if (SUCCEEDED(part->QueryInterface(IID_IPartImage, image.OutVoid())) &&
        SUCCEEDED(image->GetImageProperties(&type))) {
        return TakeBstr(type);
    }
    if (SUCCEEDED(part->QueryInterface(IID_IPartThumbnail, thumbnail.OutVoid())) &&
        SUCCEEDED(thumbnail->GetThumbnailProperties(&type))) {
        return TakeBstr(type);
    }
    auto is = [part](REFIID riid) {
        ComPtr<IUnknown> probe;
        return SUCCEEDED(part->QueryInterface(riid, probe.OutVoid()));
    };
    if (is(IID_IFixedPage)) return std::string(xps::kPageContentType);
    if (is(IID_IPartPrintTicket)) return std::string(xps::kPrintTicketContentType);
    if (is(IID_IPartColorProfile)) return std::string(xps::kColorProfileContentType);
    if (is(IID_IPartResourceDictionary)) return std::string(xps::kResourceDictionaryContentType);
    return "application/octet-stream";
}

// Whether a filter asked for a font it wrote to be stored obfuscated. Fonts
// read from the input are stored as they came, obfuscated or not.
bool ObfuscationWanted(IUnknown* part)
{
    ComPtr<IPartFont> font;
    if (FAILED(part->QueryInterface(IID_IPartFont, font.OutVoid()))) return false;
    BSTR type = nullptr;
    EXpsFontOptions options = Font_Normal;
    HRESULT result = font->GetFontProperties(&type, &options);
    SysFreeString(type);
    if (FAILED(result) || options != Font_Obfusticate) return false;
    std::shared_ptr<PartData> data = HostDataOf(part);
    return !data || data->Changed();
}

EXpsCompressionOptions CompressionOf(IUnknown* part)
{
    ComPtr<IPartBase> base;
    EXpsCompressionOptions compression = Compression_Normal;
    if (SUCCEEDED(part->QueryInterface(IID_IPartBase, base.OutVoid()))) base->GetPartCompression(&compression);
    return compression;
}

// The level of parts written anew (rewritten pages, new tickets, and the
// markup the writer makes itself). On rewritten page markup level 1 takes
// under half the time of level 6 for about 8% more bytes (bench/); parts
// that nobody changed are copied as they are stored and never deflated.
constexpr int kWrittenLevel = 1;
constexpr int kMarkupLevel = kWrittenLevel;

int ZipLevel(EXpsCompressionOptions compression, const std::string& contentType)
{
    // PNG and JPEG data are compressed already.
    if (contentType == "image/png" || contentType == "image/jpeg") return zip::ZipWriter::kStored;
    switch (compression) {
    case Compression_NotCompressed: return zip::ZipWriter::kStored;
    case Compression_Small: return 9;
    default: return kWrittenLevel;
    }
}

std::string Namespace(xps::Flavour flavour)
{
    return std::string(flavour == xps::Flavour::OpenXps ? xps::kOpenXpsNamespace : xps::kXpsNamespace);
}

HRESULT PageTicket(IUnknown* part, IPartPrintTicket** ticket)
{
    return static_cast<IFixedPage*>(part)->GetPrintTicket(ticket);
}
HRESULT DocumentTicket(IUnknown* part, IPartPrintTicket** ticket)
{
    return static_cast<IFixedDocument*>(part)->GetPrintTicket(ticket);
}
HRESULT SequenceTicket(IUnknown* part, IPartPrintTicket** ticket)
{
    return static_cast<IFixedDocumentSequence*>(part)->GetPrintTicket(ticket);
}

}  // namespace

// Content types are written last; Defaults are taken from the first part of
// each extension, every later part of that extension with another type gets
// an Override (collected in a spill buffer, as they may be one per page).
class PackageWriter::ContentTypeTable {
public:
    explicit ContentTypeTable(xps::Flavour flavour) : flavour_(flavour)
    {
        defaults_["rels"] = std::string(xps::kRelationshipsContentType);
    }
    void Register(const std::string& name, const std::string& contentType)
    {
        std::string type = xps::ToFlavourContentType(contentType, flavour_);
        std::string extension = PartExtension(name);
        if (!extension.empty()) {
            auto [found, added] = defaults_.emplace(extension, type);
            if (added || found->second == type) return;
        }
        overrides_.Append("<Override PartName=\"" + EscapeAttribute(name) + "\" ContentType=\"" +
                          EscapeAttribute(type) + "\"/>\n");
    }
    void WriteTo(zip::ZipWriter& zip)
    {
        std::string head = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Types xmlns=\"" +
                           std::string(xps::kContentTypesNamespace) + "\">\n";
        for (const auto& [extension, type] : defaults_) {
            head += "<Default Extension=\"" + EscapeAttribute(extension) + "\" ContentType=\"" + EscapeAttribute(type) +
                    "\"/>\n";
        }
        zip.Write(head.data(), head.size());
        std::unique_ptr<ByteReader> overrides = overrides_.Finish()->Open();
        char block[65536];
        while (size_t got = overrides->Read(block, sizeof block)) zip.Write(block, got);
        zip.Write("</Types>\n", 9);
    }

private:
    xps::Flavour flavour_;
    std::map<std::string, std::string> defaults_;
    SpillBuffer overrides_;
};

struct PackageWriter::DocumentInProgress {
    std::string name;
    ComPtr<IUnknown> object;
    std::shared_ptr<PartData> data;
    std::vector<Relationship> relationships;
    SpillBuffer markup;
    uint32_t pages = 0;
    PageListDigest received;
    bool pagesChanged = false;
};

PackageWriter::PackageWriter(int fd, xps::Flavour flavour)
    : flavour_(flavour),
      zip_(fd, zip::DosTimeNow(), SpilledDirectory()),
      contentTypes_(std::make_unique<ContentTypeTable>(flavour))
{
}

PackageWriter::~PackageWriter() = default;

std::string PackageWriter::ClaimName(const std::string& wanted, bool renameOnClash)
{
    // The writer makes those parts itself; a part taking one of their names
    // would put two entries of one name into the output.
    if (IsPackageBookkeepingName(wanted)) {
        throw PackageError(wanted,
                           "a part named as the package's own relationships or content types reached the output");
    }
    if (usedNames_.insert(PartNameKey(wanted)).second) return wanted;
    if (!renameOnClash) {
        throw PackageError(wanted, "two different parts of this name reached the output");
    }
    // Same folder, so that relative references in the part stay valid.
    size_t slash = wanted.rfind('/');
    size_t dot = wanted.rfind('.');
    if (dot == std::string::npos || dot < slash) dot = wanted.size();
    // Counting on from the last copy of this name: a page sent thousands of
    // times would otherwise try every earlier copy's name each time.
    int& copy = nextCopy_.try_emplace(PartNameKey(wanted), 2).first->second;
    for (;; ++copy) {
        std::string candidate = wanted.substr(0, dot) + "_" + std::to_string(copy) + wanted.substr(dot);
        if (usedNames_.insert(PartNameKey(candidate)).second) return candidate;
    }
}

void PackageWriter::WritePart(const std::string& name, const std::string& contentType, IUnknown* part,
                              const std::string& readName, int level, const std::optional<FontKey>& fontKey)
{
    std::shared_ptr<PartData> data = HostDataOf(part);
    std::shared_ptr<const PartContent> content = data ? data->Content() : nullptr;
    const auto* stored = dynamic_cast<const ZipContent*>(content.get());
    bool translated = flavour_ == xps::Flavour::OpenXps && xps::IsTranslatedMarkup(contentType);
    if (stored != nullptr && stored->SingleEntry() != nullptr && !translated && !fontKey) {
        CopyStoredEntry(name, contentType, *stored);
        return;
    }
    std::unique_ptr<ByteReader> bytes = content ? content->Open() : ContentOf(part, readName);
    if (fontKey) bytes = ObfuscatingReader(std::move(bytes), *fontKey);
    WriteEntry(name, contentType, std::move(bytes), level);
}

void PackageWriter::CopyStoredEntry(const std::string& name, const std::string& contentType, const ZipContent& content)
{
    contentTypes_->Register(name, contentType);
    const ZipEntryInfo& entry = *content.SingleEntry();
    try {
        // Content read whole before had its CRC-32 checked then; other
        // content is checked on the way, inflated but not deflated again.
        std::optional<zip::StoredEntryCheck> check;
        if (!content.Checked()) check.emplace(entry, content.PartName());
        std::unique_ptr<ByteReader> bytes = content.OpenStoredBytes();
        zip_.BeginStoredEntry(ZipItemName(name), {entry.method, entry.crc, entry.size, entry.compressedSize});
        char block[65536];
        while (size_t got = bytes->Read(block, sizeof block)) {
            if (check) check->Feed(block, got);
            zip_.Write(block, got);
        }
        if (check) check->Finish();
    } catch (const PackageError& error) {
        throw InputReadError(error.Part(), error.Reason());
    } catch (const zip::ZipError& error) {
        throw InputReadError(error.Name(), error.Reason());
    }
    zip_.EndEntry();
}

void PackageWriter::WriteEntry(const std::string& name, const std::string& contentType,
                               std::unique_ptr<ByteReader> content, int level)
{
    contentTypes_->Register(name, contentType);
    if (flavour_ == xps::Flavour::OpenXps && xps::IsTranslatedMarkup(contentType)) {
        content =
            TranslatingReader(std::move(content), std::string(xps::kXpsNamespace), std::string(xps::kOpenXpsNamespace));
    }
    zip_.BeginEntry(ZipItemName(name), level);
    char block[65536];
    for (;;) {
        size_t got = 0;
        try {
            got = content->Read(block, sizeof block);
        } catch (const PackageError& error) {
            throw InputReadError(error.Part(), error.Reason());
        }
        if (got == 0) break;
        zip_.Write(block, got);
    }
    zip_.EndEntry();
}

void PackageWriter::WriteMarkupEntry(const std::string& name, const std::string& contentType,
                                     std::shared_ptr<const PartContent> markup)
{
    WriteEntry(name, contentType, markup->Open(), kMarkupLevel);
}

void PackageWriter::WriteRelationships(const std::string& sourceName, const std::vector<Relationship>& relationships)
{
    if (relationships.empty()) return;
    std::string name = RelationshipsPartName(sourceName);
    usedNames_.insert(PartNameKey(name));
    WriteMarkupEntry(name, std::string(xps::kRelationshipsContentType),
                     MemoryContent(RelationshipsMarkup(relationships, flavour_)));
}

std::string PackageWriter::WriteShared(IUnknown* part, bool renameOnClash)
{
    ComPtr<IUnknown> identity;
    if (FAILED(part->QueryInterface(IID_IUnknown, identity.OutVoid()))) {
        throw std::runtime_error("a part that reached the output answers no IUnknown");
    }
    std::shared_ptr<PartData> data = HostDataOf(part);
    const void* key = data ? static_cast<const void*>(data.get()) : identity.Get();
    auto found = shared_.find(key);
    if (found != shared_.end()) {
        // Host data at the address of data written before but since freed
        // is another part.
        if (!data || found->second.data.lock() == data) return found->second.name;
        shared_.erase(found);
    }
    std::string wanted = PartNameOf(part);
    std::string name = ClaimName(wanted, renameOnClash);
    std::string type = ContentTypeOf(part);
    std::optional<FontKey> fontKey;
    if (ObfuscationWanted(part)) {
        // Readers find the key in the part's name and know the font is
        // obfuscated by its content type.
        fontKey = FontObfuscationKey(name);
        if (!fontKey) throw PackageError(name, "a font to be stored obfuscated is not named by a GUID");
        type = std::string(xps::kObfuscatedFontContentType);
    }
    WritePart(name, type, part, wanted, ZipLevel(CompressionOf(part), type), fontKey);
    WrittenShared written{data, nullptr, name};
    if (!data) written.foreign = identity;
    shared_.emplace(key, std::move(written));
    return name;
}

std::string PackageWriter::WriteTicket(IUnknown* owner, HRESULT (*getTicket)(IUnknown*, IPartPrintTicket**))
{
    ComPtr<IPartPrintTicket> ticket;
    HRESULT result = getTicket(owner, ticket.Out());
    if (result == HRESULT_FROM_WIN32(ERROR_NOT_FOUND) || (SUCCEEDED(result) && !ticket)) return "";
    if (FAILED(result)) throw std::runtime_error("cannot get a print ticket of " + PartNameOf(owner));
    return WriteShared(ticket.Get(), true);
}

void PackageWriter::AddXpsDocument(IXpsDocument* document)
{
    ComPtr<IPartThumbnail> thumbnail;
    if (FAILED(document->GetThumbnail(thumbnail.Out())) || !thumbnail) return;
    std::string name = WriteShared(thumbnail.Get(), false);
    packageRelationships_.push_back(
        {"R" + std::to_string(packageRelationships_.size() + 1), std::string(xps::kThumbnail), name, false});
}

void PackageWriter::AddSequence(IFixedDocumentSequence* sequence)
{
    if (sequenceSeen_) throw std::runtime_error("a second FixedDocumentSequence reached the output");
    sequenceSeen_ = true;
    sequenceName_ = ClaimName(PartNameOf(sequence), true);
    sequenceTicket_ = WriteTicket(sequence, &SequenceTicket);
}

void PackageWriter::AddDocument(IFixedDocument* document)
{
    FinishDocument();
    auto next = std::make_unique<DocumentInProgress>();
    next->name = ClaimName(PartNameOf(document), true);
    document->QueryInterface(IID_IUnknown, next->object.OutVoid());
    next->data = HostDataOf(document);
    std::string ticket = WriteTicket(document, &DocumentTicket);
    if (!ticket.empty()) {
        next->relationships.push_back({"R1", std::string(xps::kPrintTicketRelationship), ticket, false});
    }
    next->markup.Append("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<FixedDocument xmlns=\"" + Namespace(flavour_) +
                        "\">\n");
    document_ = std::move(next);
}

void PackageWriter::AddPage(IFixedPage* page)
{
    if (!document_) throw std::runtime_error("a FixedPage reached the output before any FixedDocument");
    std::shared_ptr<PartData> data = HostDataOf(page);
    std::string originalName = PartNameOf(page);
    std::string name = ClaimName(originalName, true);
    bool unchanged = data && !data->Changed();

    WritePart(name, std::string(xps::kPageContentType), page, name,
              ZipLevel(CompressionOf(page), std::string(xps::kPageContentType)));

    std::vector<Relationship> relationships;
    auto relate = [&relationships](std::string_view type, const std::string& target) {
        relationships.push_back({"R" + std::to_string(relationships.size() + 1), std::string(type), target, false});
    };
    ComPtr<IXpsPartIterator> resources;
    if (FAILED(page->GetXpsPartIterator(resources.Out())) || !resources) {
        throw PackageError(originalName, "the page gives no resource iterator");
    }
    for (resources->Reset(); !resources->IsDone(); resources->Next()) {
        BSTR uri = nullptr;
        ComPtr<IUnknown> resource;
        if (FAILED(resources->Current(&uri, resource.Out())) || !resource) {
            SysFreeString(uri);
            throw PackageError(originalName, "a resource of the page cannot be had");
        }
        SysFreeString(uri);
        relate(xps::kRequiredResource, WriteShared(resource.Get(), false));
    }
    std::string ticket = WriteTicket(page, &PageTicket);
    if (!ticket.empty()) relate(xps::kPrintTicketRelationship, ticket);
    // Story fragments and page thumbnails describe the page's markup; they
    // only still apply to a page whose markup nobody rewrote.
    if (unchanged) {
        for (const KeptRelationship& kept : data->KeptRelationships()) {
            relate(kept.type, WriteShared(kept.part.Get(), false));
        }
    }
    WriteRelationships(name, relationships);

    std::string entry = "<PageContent Source=\"" + EscapeAttribute(name) + "\"";
    std::vector<std::string> targets = unchanged ? data->LinkTargets() : std::vector<std::string>{};
    if (targets.empty()) {
        entry += "/>\n";
    } else {
        entry += "><PageContent.LinkTargets>";
        for (const std::string& target : targets) entry += "<LinkTarget Name=\"" + EscapeAttribute(target) + "\"/>";
        entry += "</PageContent.LinkTargets></PageContent>\n";
    }
    document_->markup.Append(entry);
    ++document_->pages;
    document_->received.Add(originalName);
    if (!unchanged || name != originalName) document_->pagesChanged = true;
}

void PackageWriter::AddOther(IUnknown* part)
{
    std::shared_ptr<PartData> data = HostDataOf(part);
    std::string name = WriteShared(part, false);
    if (data && data->Role() == PartRole::CoreProperties) {
        packageRelationships_.push_back(
            {"R" + std::to_string(packageRelationships_.size() + 1), std::string(xps::kCoreProperties), name, false});
    }
}

void PackageWriter::FinishDocument()
{
    if (!document_) return;
    std::unique_ptr<DocumentInProgress> document = std::move(document_);
    // A document whose pages were all taken out is left out: XPS requires
    // a page in every FixedDocument.
    if (document->pages == 0) return;
    document->markup.Append(std::string("</FixedDocument>\n"));
    WriteMarkupEntry(document->name, std::string(xps::kDocumentContentType), document->markup.Finish());
    // The document structure and signature definitions refer to the
    // document's pages and their named elements: they are kept only when
    // the document arrived with exactly the pages it was read with, none of
    // them rewritten.
    bool unchanged = document->data && !document->pagesChanged && document->received == document->data->OriginalPages();
    if (unchanged) {
        for (const KeptRelationship& kept : document->data->KeptRelationships()) {
            document->relationships.push_back({"R" + std::to_string(document->relationships.size() + 1), kept.type,
                                               WriteShared(kept.part.Get(), false), false});
        }
    }
    WriteRelationships(document->name, document->relationships);
    documents_.push_back(document->name);
}

void PackageWriter::Finish()
{
    FinishDocument();
    if (documents_.empty()) throw std::runtime_error("no page reached the output");
    if (!sequenceSeen_) sequenceName_ = ClaimName("/FixedDocumentSequence.fdseq", true);
    std::string markup =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<FixedDocumentSequence xmlns=\"" + Namespace(flavour_) + "\">\n";
    for (const std::string& document : documents_) {
        markup += "<DocumentReference Source=\"" + EscapeAttribute(document) + "\"/>\n";
    }
    markup += "</FixedDocumentSequence>\n";
    WriteMarkupEntry(sequenceName_, std::string(xps::kSequenceContentType), MemoryContent(markup));
    if (!sequenceTicket_.empty()) {
        WriteRelationships(sequenceName_, {{"R1", std::string(xps::kPrintTicketRelationship), sequenceTicket_, false}});
    }
    packageRelationships_.insert(packageRelationships_.begin(),
                                 {"R0", std::string(xps::kFixedRepresentation), sequenceName_, false});
    WriteRelationships("/", packageRelationships_);
    zip_.BeginEntry(ZipItemName(ContentTypes::kPartName), kMarkupLevel);
    contentTypes_->WriteTo(zip_);
    zip_.EndEntry();
    zip_.Finish();
}

}  // namespace tav::host
