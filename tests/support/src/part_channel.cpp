#include "testsupport/part_channel.h"

#include "testsupport/parts.h"

namespace testsupport {

PartChannel::PartChannel(size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

HRESULT PartChannel::Push(IUnknown* part)
{
    if (part == nullptr) return E_POINTER;
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait(guard, [&] { return cancelled_ || closed_ || parts_.size() < capacity_; });
    if (cancelled_) return E_ABORT;
    if (closed_) return E_UNEXPECTED;
    parts_.push_back(ComPtr<IUnknown>::Share(part));
    changed_.notify_all();
    return S_OK;
}

void PartChannel::Close()
{
    std::lock_guard<std::mutex> guard(lock_);
    closed_ = true;
    changed_.notify_all();
}

void PartChannel::Cancel()
{
    std::lock_guard<std::mutex> guard(lock_);
    cancelled_ = true;
    parts_.clear();
    changed_.notify_all();
}

HRESULT PartChannel::Pop(IUnknown** part)
{
    if (part == nullptr) return E_POINTER;
    *part = nullptr;
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait(guard, [&] { return cancelled_ || closed_ || !parts_.empty(); });
    if (cancelled_) return E_ABORT;
    if (parts_.empty()) return S_OK;
    *part = parts_.front().Detach();
    parts_.pop_front();
    changed_.notify_all();
    return S_OK;
}

void* ChannelProvider::InterfaceFor(REFIID riid)
{
    return riid == IID_IXpsDocumentProvider ? static_cast<IXpsDocumentProvider*>(this) : nullptr;
}

void* ChannelConsumer::InterfaceFor(REFIID riid)
{
    return riid == IID_IXpsDocumentConsumer ? static_cast<IXpsDocumentConsumer*>(this) : nullptr;
}

HRESULT ChannelConsumer::Send(IUnknown* part) { return channel_->Push(part); }

HRESULT ChannelConsumer::CloseSender()
{
    channel_->Close();
    return S_OK;
}

HRESULT ChannelConsumer::GetNewEmptyPart(const WCHAR* uri, REFIID riid, void** part, IPrintWriteStream** stream)
{
    return CreateUniquePart(*partNames_, uri, riid, part, stream);
}

}  // namespace testsupport
