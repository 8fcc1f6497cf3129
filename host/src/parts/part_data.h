// What the host knows about one part of a job, shared by the COM object that
// filters see, its streams and the package writer: name, kind, content type,
// content, and the relationships the part is the source of (print ticket,
// page resources, structure and thumbnail parts).
//
// Everything that can change while the job runs is guarded by one lock, so
// filters on different threads may use a part at once. Content is immutable:
// a writer replaces it as a whole, and readers opened before keep the
// content they started with.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "content/byte_reader.h"
#include "content/failure_log.h"
#include "platform/comobject.h"
#include "platform/pipeline.h"

namespace tav::host {

enum class PartRole {
    Sequence,
    Document,
    Page,
    PrintTicket,
    Font,
    Image,
    ColorProfile,
    ResourceDictionary,
    Thumbnail,
    CoreProperties,
    DocumentStructure,
    StoryFragments,
    SignatureDefinitions,
    Other,
};

struct PageResource {
    std::string name;       // canonical part name
    ComPtr<IUnknown> part;  // the part's own interface (IPartFont, IPartImage, ...)
};

// A relationship that holds only while its source is unchanged: document
// structure and signature definitions of a document, story fragments and
// thumbnails of a page.
struct KeptRelationship {
    std::string type;
    ComPtr<IUnknown> part;
};

// Names of a document's pages in order, folded into a count and a hash, to
// tell whether a document reached the output with the pages it had.
struct PageListDigest {
    uint64_t hash = 14695981039346656037u;
    uint32_t count = 0;
    void Add(const std::string& pageName);
    bool operator==(const PageListDigest&) const = default;
};

class PartData {
public:
    PartData(std::string name, PartRole role, std::string contentType, std::shared_ptr<const PartContent> content,
             std::shared_ptr<FailureLog> log);

    const std::string& Name() const { return name_; }
    PartRole Role() const { return role_; }
    FailureLog& Log() const { return *log_; }
    const std::shared_ptr<FailureLog>& SharedLog() const { return log_; }

    std::string ContentType() const;
    void SetContentType(std::string contentType);
    std::shared_ptr<const PartContent> Content() const;
    // New content from a closed write stream; marks the part changed.
    void ReplaceContent(std::shared_ptr<const PartContent> content);
    // The same bytes in another form (kept in memory, say): the part stays
    // as changed or unchanged as it was.
    void KeepContent(std::shared_ptr<const PartContent> content);
    bool Changed() const;
    EXpsCompressionOptions Compression() const;
    void SetCompression(EXpsCompressionOptions compression);
    EXpsFontOptions FontOptions() const;
    void SetFontOptions(EXpsFontOptions options);

    ComPtr<IPartPrintTicket> Ticket() const;
    void SetTicket(ComPtr<IPartPrintTicket> ticket);

    std::vector<PageResource> Resources() const;
    // Adds or replaces the resource of that name.
    void AttachResource(PageResource resource);
    bool DetachResource(const std::string& canonicalName);
    ComPtr<IUnknown> FindResource(const std::string& canonicalName) const;

    std::vector<KeptRelationship> KeptRelationships() const;
    void AddKeptRelationship(KeptRelationship relationship);

    // For pages read from a package: the link targets of the page's
    // PageContent entry and the Width and Height of its root element.
    std::vector<std::string> LinkTargets() const;
    void SetLinkTargets(std::vector<std::string> targets);
    void SetPageSize(double width, double height);
    bool PageSize(double* width, double* height) const;

    // For documents read from a package: the pages the reader found.
    void NoteOriginalPage(const std::string& pageName);
    PageListDigest OriginalPages() const;

private:
    const std::string name_;
    const PartRole role_;
    const std::shared_ptr<FailureLog> log_;
    mutable std::mutex lock_;
    std::string contentType_;
    std::shared_ptr<const PartContent> content_;
    bool changed_ = false;
    EXpsCompressionOptions compression_ = Compression_Normal;
    EXpsFontOptions fontOptions_ = Font_Normal;
    ComPtr<IPartPrintTicket> ticket_;
    std::vector<PageResource> resources_;
    std::vector<KeptRelationship> kept_;
    std::vector<std::string> linkTargets_;
    bool hasSize_ = false;
    double width_ = 0;
    double height_ = 0;
    PageListDigest originalPages_;
};

// The host's own interface on every part object it makes, giving the
// writer and the host's consumers the part's data.
constexpr IID IID_IHostPart = {0x6B1F3C52, 0x9D0E, 0x4A7C, {0x8E, 0x21, 0x5A, 0x93, 0x0C, 0x4D, 0x77, 0xE1}};
struct IHostPart : IUnknown {
    virtual const std::shared_ptr<PartData>& Data() = 0;

protected:
    ~IHostPart() = default;
};

// The host data of a part object, or null for objects the host did not make.
std::shared_ptr<PartData> HostDataOf(IUnknown* part);

}  // namespace tav::host
