// Walks a package in reading order and makes the part objects a pipeline's
// first provider yields: the XPS document, the package's core properties,
// the FixedDocumentSequence, then each FixedDocument followed by its
// FixedPages. Each page comes with its print ticket and resources attached,
// as do documents and the sequence with their tickets. Document and page
// markup is read as the walk goes, so memory does not grow with the page
// count. Every fault of the package is a PackageError naming the part.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>

#include "opc/fixed_markup_pass.h"
#include "opc/page_schema/markup_checker.h"
#include "opc/xml_pull_reader.h"
#include "package/package.h"
#include "package/zip_content.h"

namespace tav::host {

class PackageWalker {
public:
    // jobTicket, when given, replaces the sequence's own print ticket.
    explicit PackageWalker(std::shared_ptr<Package> package, ComPtr<IPartPrintTicket> jobTicket = nullptr);
    virtual ~PackageWalker();

    // The next part, or null at the end of the job. Throws PackageError.
    virtual ComPtr<IUnknown> Next();
    // The name of the part Next gave last ("" before the first).
    virtual const std::string& CurrentPartName() const { return currentName_; }

protected:
    // Whether the job's next page is made and handed on; a page not wanted
    // is passed over unread (its markup, relationships and resources). Asked
    // once for every page, in order.
    virtual bool WantsNextPage() { return true; }

private:
    enum class Stage { XpsDocument, PackageParts, Sequence, Documents, Done };
    struct PageEntry {
        std::string name;
        std::vector<std::string> linkTargets;
    };
    // What the reading pass gives besides the page size.
    struct MarkupFindings {
        std::vector<MarkupReference> references;
        std::vector<page_schema::GlyphFontUse> glyphFonts;
        std::vector<page_schema::DeferredReference> deferred;
        std::vector<page_schema::DefinedResource> defined;  // remote dictionaries
    };

    ComPtr<IUnknown> NextDocumentOrPage();
    ComPtr<IUnknown> MakeSequence();
    ComPtr<IUnknown> MakeDocument(const std::string& name);
    ComPtr<IUnknown> MakePage(const PageEntry& entry);
    std::optional<std::string> NextDocumentReference();
    std::optional<PageEntry> NextPageContent();
    void CheckPayloadType(const std::string& name, std::string_view expected, const char* what) const;
    void CheckRelatedType(const std::string& source, const Relationship& relationship, const char* what,
                          bool (*fits)(const std::string& type)) const;
    void AttachTicket(PartData& part, const std::vector<Relationship>& relationships);
    void CheckTicketMarkup(const std::string& name);
    void AttachResources(PartData& page, const std::vector<Relationship>& relationships);
    void CollectResources(PartData& page, const std::string& source, const std::vector<Relationship>& relationships,
                          std::vector<std::string>* path);
    MarkupFindings ReadPageMarkup(PartData& page) const;
    void AttachMarkupResources(PartData& page, const std::vector<MarkupReference>& pageReferences);
    void AttachReferencedParts(PartData& page, const std::string& source,
                               const std::vector<MarkupReference>& references);
    const MarkupFindings& DictionaryMarkup(const std::string& name);
    void CheckGlyphIndices(const std::string& source, const std::vector<page_schema::GlyphFontUse>& fonts);
    void CheckDeferredReferences(const std::string& page, const std::vector<page_schema::DeferredReference>& deferred);
    // A rule of the page vocabulary broken: refused, or excused in lenient mode.
    void MarkupFault(const std::string& part, const std::string& reason) const;

    // Pages keep their inflated markup from the reading pass until they are
    // written, so that a filter that rewrites one does not inflate it again;
    // at most this much at once, so that a filter that holds back many pages
    // does not hold their markup too.
    static constexpr uint64_t kKeptPageBytes = uint64_t{8} << 20;

    std::shared_ptr<Package> package_;
    ComPtr<IPartPrintTicket> jobTicket_;
    std::shared_ptr<KeptBytesBudget> keptBytes_ = std::make_shared<KeptBytesBudget>(kKeptPageBytes);
    Stage stage_ = Stage::XpsDocument;
    size_t packagePartIndex_ = 0;
    std::vector<std::string> packageParts_;
    std::unique_ptr<XmlPullReader> sequenceReader_;
    std::unique_ptr<XmlPullReader> documentReader_;
    std::shared_ptr<PartData> document_;
    bool pageContentPending_ = false;  // documentReader_ stands on a PageContent not yet taken
    size_t documentCount_ = 0;
    std::string currentName_;
    std::map<std::string, MarkupFindings> dictionaries_;          // by part name key
    std::map<std::string, std::optional<uint32_t>> glyphCounts_;  // fonts, by part name key and face
    // Names (keys) of the documents and pages met: each may be referred to once.
    std::set<std::string> documentsSeen_;
    std::set<std::string> pagesSeen_;
    std::set<std::string> ticketsChecked_;  // keys of the ticket parts read through
};

// Parses a FixedPage's Width or Height; false unless it is a length the
// filters can carry: they hold page sizes as float and write them with two
// decimals, so a length under 0.01 (1/9600 inch) or beyond the largest
// float would come out of them as a page of size 0.
bool ParseXpsLength(const std::string& text, double* value);

}  // namespace tav::host
