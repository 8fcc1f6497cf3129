#include "testsupport/content.h"

#include <cstring>
#include <limits>

namespace testsupport {

PartContent::PartContent(std::string bytes) : bytes_(std::make_shared<const std::string>(std::move(bytes))) {}

std::shared_ptr<const std::string> PartContent::Snapshot() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return bytes_;
}

std::string PartContent::Bytes() const { return *Snapshot(); }

void PartContent::Replace(std::string bytes)
{
    auto replacement = std::make_shared<const std::string>(std::move(bytes));
    std::lock_guard<std::mutex> guard(lock_);
    bytes_ = std::move(replacement);
}

void PartContent::SetReadBlockSize(ULONG size)
{
    std::lock_guard<std::mutex> guard(lock_);
    readBlockSize_ = size;
}

ULONG PartContent::ReadBlockSize() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return readBlockSize_;
}

void PartContent::RecordWrite(ULONG size)
{
    std::lock_guard<std::mutex> guard(lock_);
    writeSizes_.push_back(size);
}

void PartContent::RecordClose()
{
    std::lock_guard<std::mutex> guard(lock_);
    ++closeCount_;
}

std::vector<ULONG> PartContent::WriteSizes() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return writeSizes_;
}

int PartContent::CloseCount() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return closeCount_;
}

ContentReadStream::ContentReadStream(std::shared_ptr<const std::string> bytes, ULONG blockSize)
    : bytes_(std::move(bytes)), blockSize_(blockSize)
{
}

void* ContentReadStream::InterfaceFor(REFIID riid)
{
    return riid == IID_IPrintReadStream ? static_cast<IPrintReadStream*>(this) : nullptr;
}

HRESULT ContentReadStream::Seek(LONGLONG offset, DWORD origin, ULONGLONG* newPosition)
{
    LONGLONG base;
    switch (origin) {
    case STREAM_SEEK_SET: base = 0; break;
    case STREAM_SEEK_CUR: base = static_cast<LONGLONG>(position_); break;
    case STREAM_SEEK_END: base = static_cast<LONGLONG>(bytes_->size()); break;
    default: return STG_E_INVALIDFUNCTION;
    }
    if ((offset > 0 && base > std::numeric_limits<LONGLONG>::max() - offset) || base + offset < 0)
        return STG_E_INVALIDFUNCTION;
    position_ = static_cast<ULONGLONG>(base + offset);
    if (newPosition != nullptr) *newPosition = position_;
    return S_OK;
}

HRESULT ContentReadStream::ReadBytes(void* buffer, ULONG count, ULONG* read, BOOL* endOfFile)
{
    if (read == nullptr || (buffer == nullptr && count > 0)) return E_POINTER;
    ULONGLONG size = bytes_->size();
    ULONGLONG available = position_ < size ? size - position_ : 0;
    ULONG take = count;
    if (blockSize_ != 0 && take > blockSize_) take = blockSize_;
    if (take > available) take = static_cast<ULONG>(available);
    if (take > 0) std::memcpy(buffer, bytes_->data() + position_, take);
    position_ += take;
    *read = take;
    if (endOfFile != nullptr) *endOfFile = position_ >= size ? TRUE : FALSE;
    return S_OK;
}

ContentWriteStream::ContentWriteStream(std::shared_ptr<PartContent> target) : target_(std::move(target)) {}

void* ContentWriteStream::InterfaceFor(REFIID riid)
{
    return riid == IID_IPrintWriteStream ? static_cast<IPrintWriteStream*>(this) : nullptr;
}

HRESULT ContentWriteStream::WriteBytes(const void* buffer, ULONG count, ULONG* written)
{
    if (buffer == nullptr && count > 0) return E_POINTER;
    std::lock_guard<std::mutex> guard(lock_);
    if (closed_) return E_UNEXPECTED;
    target_->RecordWrite(count);
    pending_.append(static_cast<const char*>(buffer), count);
    if (written != nullptr) *written = count;
    return S_OK;
}

void ContentWriteStream::Close()
{
    std::lock_guard<std::mutex> guard(lock_);
    target_->RecordClose();
    if (closed_) return;
    closed_ = true;
    target_->Replace(std::move(pending_));
}

HRESULT OpenReadStream(const PartContent& content, IPrintReadStream** stream)
{
    if (stream == nullptr) return E_POINTER;
    *stream = new ContentReadStream(content.Snapshot(), content.ReadBlockSize());
    return S_OK;
}

HRESULT OpenWriteStream(const std::shared_ptr<PartContent>& content, IPrintWriteStream** stream)
{
    if (stream == nullptr) return E_POINTER;
    *stream = new ContentWriteStream(content);
    return S_OK;
}

HRESULT ReadAll(IPrintReadStream* stream, std::string* bytes)
{
    if (stream == nullptr || bytes == nullptr) return E_POINTER;
    bytes->clear();
    char block[4096];
    for (;;) {
        ULONG read = 0;
        BOOL endOfFile = FALSE;
        HRESULT hr = stream->ReadBytes(block, sizeof block, &read, &endOfFile);
        if (FAILED(hr)) return hr;
        bytes->append(block, read);
        if (endOfFile || read == 0) return S_OK;
    }
}

}  // namespace testsupport
