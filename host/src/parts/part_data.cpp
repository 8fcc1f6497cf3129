#include "parts/part_data.h"

#include "opc/part_name.h"

namespace tav::host {

void PageListDigest::Add(const std::string& pageName)
{
    for (char c : PartNameKey(pageName)) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211u;
    }
    hash ^= 0xFF;  // separates names, so "ab","c" differs from "a","bc"
    hash *= 1099511628211u;
    ++count;
}

PartData::PartData(std::string name, PartRole role, std::string contentType, std::shared_ptr<const PartContent> content,
                   std::shared_ptr<FailureLog> log)
    : name_(std::move(name)),
      role_(role),
      log_(std::move(log)),
      contentType_(std::move(contentType)),
      content_(content ? std::move(content) : EmptyContent())
{
}

std::string PartData::ContentType() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return contentType_;
}

void PartData::SetContentType(std::string contentType)
{
    std::lock_guard<std::mutex> hold(lock_);
    contentType_ = std::move(contentType);
}

std::shared_ptr<const PartContent> PartData::Content() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return content_;
}

void PartData::ReplaceContent(std::shared_ptr<const PartContent> content)
{
    std::lock_guard<std::mutex> hold(lock_);
    content_ = std::move(content);
    changed_ = true;
}

void PartData::KeepContent(std::shared_ptr<const PartContent> content)
{
    std::lock_guard<std::mutex> hold(lock_);
    content_ = std::move(content);
}

bool PartData::Changed() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return changed_;
}

EXpsCompressionOptions PartData::Compression() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return compression_;
}

void PartData::SetCompression(EXpsCompressionOptions compression)
{
    std::lock_guard<std::mutex> hold(lock_);
    compression_ = compression;
}

EXpsFontOptions PartData::FontOptions() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return fontOptions_;
}

void PartData::SetFontOptions(EXpsFontOptions options)
{
    std::lock_guard<std::mutex> hold(lock_);
    fontOptions_ = options;
}

ComPtr<IPartPrintTicket> PartData::Ticket() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return ticket_;
}

void PartData::SetTicket(ComPtr<IPartPrintTicket> ticket)
{
    std::lock_guard<std::mutex> hold(lock_);
    ticket_ = std::move(ticket);
}

std::vector<PageResource> PartData::Resources() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return resources_;
}

void PartData::AttachResource(PageResource resource)
{
    std::lock_guard<std::mutex> hold(lock_);
    for (PageResource& existing : resources_) {
        if (SamePartName(existing.name, resource.name)) {
            existing = std::move(resource);
            return;
        }
    }
    resources_.push_back(std::move(resource));
}

bool PartData::DetachResource(const std::string& canonicalName)
{
    std::lock_guard<std::mutex> hold(lock_);
    for (auto it = resources_.begin(); it != resources_.end(); ++it) {
        if (SamePartName(it->name, canonicalName)) {
            resources_.erase(it);
            return true;
        }
    }
    return false;
}

ComPtr<IUnknown> PartData::FindResource(const std::string& canonicalName) const
{
    std::lock_guard<std::mutex> hold(lock_);
    for (const PageResource& resource : resources_) {
        if (SamePartName(resource.name, canonicalName)) return resource.part;
    }
    return nullptr;
}

std::vector<KeptRelationship> PartData::KeptRelationships() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return kept_;
}

void PartData::AddKeptRelationship(KeptRelationship relationship)
{
    std::lock_guard<std::mutex> hold(lock_);
    kept_.push_back(std::move(relationship));
}

std::vector<std::string> PartData::LinkTargets() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return linkTargets_;
}

void PartData::SetLinkTargets(std::vector<std::string> targets)
{
    std::lock_guard<std::mutex> hold(lock_);
    linkTargets_ = std::move(targets);
}

void PartData::SetPageSize(double width, double height)
{
    std::lock_guard<std::mutex> hold(lock_);
    hasSize_ = true;
    width_ = width;
    height_ = height;
}

bool PartData::PageSize(double* width, double* height) const
{
    std::lock_guard<std::mutex> hold(lock_);
    *width = width_;
    *height = height_;
    return hasSize_;
}

void PartData::NoteOriginalPage(const std::string& pageName)
{
    std::lock_guard<std::mutex> hold(lock_);
    originalPages_.Add(pageName);
}

PageListDigest PartData::OriginalPages() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return originalPages_;
}

std::shared_ptr<PartData> HostDataOf(IUnknown* part)
{
    if (part == nullptr) return nullptr;
    ComPtr<IHostPart> host;
    if (FAILED(part->QueryInterface(IID_IHostPart, host.OutVoid()))) return nullptr;
    return host->Data();
}

}  // namespace tav::host
