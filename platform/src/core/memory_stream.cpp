// The in-memory IStream of CreateStreamOnHGlobal and CreateStreamOnBytes.
#include <cstring>
#include <memory>
#include <vector>

#include "platform/com.h"
#include "platform/comobject.h"
#include "platform/stream.h"

namespace {

class MemoryStream final : public ComObject<IStream> {
public:
    MemoryStream(std::shared_ptr<std::vector<BYTE>> bytes, bool readOnly, ULONGLONG position = 0)
        : bytes_(std::move(bytes)), readOnly_(readOnly), position_(position)
    {
        CoFileTimeNow(&created_);
    }

    const std::vector<BYTE>& Bytes() const { return *bytes_; }

    HRESULT Read(void* buffer, ULONG count, ULONG* read) override
    {
        if (read != nullptr) *read = 0;
        if (buffer == nullptr && count != 0) return STG_E_INVALIDPOINTER;
        ULONGLONG size = bytes_->size();
        ULONG available = position_ >= size ? 0 : static_cast<ULONG>(std::min<ULONGLONG>(count, size - position_));
        if (available != 0) std::memcpy(buffer, bytes_->data() + position_, available);
        position_ += available;
        if (read != nullptr) *read = available;
        return S_OK;
    }

    HRESULT Write(const void* buffer, ULONG count, ULONG* written) override
    {
        if (written != nullptr) *written = 0;
        if (readOnly_) return STG_E_ACCESSDENIED;
        if (buffer == nullptr && count != 0) return STG_E_INVALIDPOINTER;
        ULONGLONG end = position_ + count;
        if (end > kMaximumSize) return STG_E_MEDIUMFULL;
        try {
            if (end > bytes_->size()) bytes_->resize(static_cast<size_t>(end));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        if (count != 0) std::memcpy(bytes_->data() + position_, buffer, count);
        position_ = end;
        if (written != nullptr) *written = count;
        return S_OK;
    }

    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override
    {
        LONGLONG base;
        switch (origin) {
        case STREAM_SEEK_SET: base = 0; break;
        case STREAM_SEEK_CUR: base = static_cast<LONGLONG>(position_); break;
        case STREAM_SEEK_END: base = static_cast<LONGLONG>(bytes_->size()); break;
        default: return STG_E_INVALIDFUNCTION;
        }
        LONGLONG target = base + move.QuadPart;
        if (target < 0) return STG_E_INVALIDFUNCTION;
        position_ = static_cast<ULONGLONG>(target);
        if (newPosition != nullptr) newPosition->QuadPart = position_;
        return S_OK;
    }

    HRESULT SetSize(ULARGE_INTEGER size) override
    {
        if (readOnly_) return STG_E_ACCESSDENIED;
        if (size.QuadPart > kMaximumSize) return STG_E_MEDIUMFULL;
        try {
            bytes_->resize(static_cast<size_t>(size.QuadPart));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    HRESULT CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read, ULARGE_INTEGER* written) override
    {
        if (read != nullptr) read->QuadPart = 0;
        if (written != nullptr) written->QuadPart = 0;
        if (target == nullptr) return STG_E_INVALIDPOINTER;
        ULONGLONG size = bytes_->size();
        ULONGLONG available = position_ >= size ? 0 : std::min<ULONGLONG>(count.QuadPart, size - position_);
        ULONGLONG done = 0;
        HRESULT result = S_OK;
        while (done < available) {
            ULONG chunk = static_cast<ULONG>(std::min<ULONGLONG>(available - done, 1u << 20));
            ULONG chunkWritten = 0;
            result = target->Write(bytes_->data() + position_ + done, chunk, &chunkWritten);
            done += chunkWritten;
            if (FAILED(result) || chunkWritten != chunk) break;
        }
        position_ += available;
        if (read != nullptr) read->QuadPart = available;
        if (written != nullptr) written->QuadPart = done;
        return FAILED(result) ? result : S_OK;
    }

    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT Revert() override { return S_OK; }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }

    HRESULT Stat(STATSTG* stat, DWORD) override
    {
        if (stat == nullptr) return STG_E_INVALIDPOINTER;
        std::memset(stat, 0, sizeof *stat);
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = bytes_->size();
        stat->mtime = stat->ctime = stat->atime = created_;
        stat->grfMode = readOnly_ ? STGM_READ : STGM_READWRITE;
        return S_OK;
    }

    HRESULT Clone(IStream** clone) override
    {
        if (clone == nullptr) return STG_E_INVALIDPOINTER;
        *clone = new (std::nothrow) MemoryStream(bytes_, readOnly_, position_);
        return *clone == nullptr ? E_OUTOFMEMORY : S_OK;
    }

    // Private identifier by which GetMemoryStreamBytes recognises these streams.
    static constexpr IID kMemoryStreamMarker = {
        0x7A11B0E3, 0x51C2, 0x4C0B, {0x9E, 0x3D, 0x21, 0x6E, 0x10, 0x55, 0xA4, 0x02}};

private:
    // Streams stay addressable with 32-bit counts per call but may grow large.
    static constexpr ULONGLONG kMaximumSize = 1ull << 40;

    void* InterfaceFor(REFIID riid) override
    {
        if (riid == IID_IStream || riid == IID_ISequentialStream || riid == kMemoryStreamMarker)
            return static_cast<IStream*>(this);
        return nullptr;
    }

    std::shared_ptr<std::vector<BYTE>> bytes_;
    bool readOnly_;
    ULONGLONG position_;
    FILETIME created_{};
};

}  // namespace

HRESULT CreateStreamOnHGlobal(HGLOBAL memory, BOOL, IStream** stream)
{
    if (stream == nullptr) return E_INVALIDARG;
    *stream = nullptr;
    if (memory != nullptr) return E_INVALIDARG;
    try {
        *stream = new MemoryStream(std::make_shared<std::vector<BYTE>>(), false);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT CreateStreamOnBytes(const void* bytes, size_t count, IStream** stream)
{
    if (stream == nullptr || (bytes == nullptr && count != 0)) return E_INVALIDARG;
    *stream = nullptr;
    try {
        auto content = std::make_shared<std::vector<BYTE>>(static_cast<const BYTE*>(bytes),
                                                           static_cast<const BYTE*>(bytes) + count);
        *stream = new MemoryStream(std::move(content), true);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT GetMemoryStreamBytes(IStream* stream, const BYTE** bytes, size_t* count)
{
    if (stream == nullptr || bytes == nullptr || count == nullptr) return E_INVALIDARG;
    void* marker = nullptr;
    if (FAILED(stream->QueryInterface(MemoryStream::kMemoryStreamMarker, &marker))) return E_INVALIDARG;
    auto* memory = static_cast<MemoryStream*>(static_cast<IStream*>(marker));
    *bytes = memory->Bytes().data();
    *count = memory->Bytes().size();
    memory->Release();
    return S_OK;
}
