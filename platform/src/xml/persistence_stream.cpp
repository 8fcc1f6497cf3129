// The persistence stream of a DOM document. Reads give the document's markup
// as save writes it (taken at the first read); writes collect markup that
// replaces the document's content at the next Seek, Commit or DOM call, or
// when the stream is released. A load failure is reported by the Seek or
// Commit that made it, or by the next one.
#include <algorithm>
#include <cstring>

#include "dom_builder.h"
#include "dom_node.h"
#include "dom_serializer.h"

namespace tav::xml {

namespace {

class PersistenceStream final : public ComObject<IStream>, public PendingMarkup {
public:
    explicit PersistenceStream(DocumentState* state) : state_(state) {}

    HRESULT Read(void* buffer, ULONG count, ULONG* read) override
    {
        if (read != nullptr) *read = 0;
        if (buffer == nullptr && count != 0) return STG_E_INVALIDPOINTER;
        const std::string& markup = Snapshot();
        ULONG available =
            position_ >= markup.size() ? 0 : static_cast<ULONG>(std::min<ULONGLONG>(count, markup.size() - position_));
        if (available != 0) std::memcpy(buffer, markup.data() + position_, available);
        position_ += available;
        if (read != nullptr) *read = available;
        return S_OK;
    }

    HRESULT Write(const void* buffer, ULONG count, ULONG* written) override
    {
        if (written != nullptr) *written = 0;
        if (buffer == nullptr && count != 0) return STG_E_INVALIDPOINTER;
        if (!writing_) {
            // New markup starts at the beginning, whatever was read before.
            hasSnapshot_ = false;
            snapshot_.clear();
            written_.clear();
            position_ = 0;
            writing_ = true;
            state_->SetPendingMarkup(this);
        }
        ULONGLONG end = position_ + count;
        if (end > kMaximumSize) return STG_E_MEDIUMFULL;
        try {
            if (end > written_.size()) written_.resize(static_cast<size_t>(end));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        if (count != 0) std::memcpy(written_.data() + position_, buffer, count);
        position_ = end;
        if (written != nullptr) *written = count;
        return S_OK;
    }

    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override
    {
        state_->Synchronize();
        LONGLONG base = 0;
        switch (origin) {
        case STREAM_SEEK_SET: break;
        case STREAM_SEEK_CUR: base = static_cast<LONGLONG>(position_); break;
        case STREAM_SEEK_END: base = static_cast<LONGLONG>(Snapshot().size()); break;
        default: return STG_E_INVALIDFUNCTION;
        }
        LONGLONG target = base + move.QuadPart;
        if (target < 0) return STG_E_INVALIDFUNCTION;
        position_ = static_cast<ULONGLONG>(target);
        if (newPosition != nullptr) newPosition->QuadPart = position_;
        return TakeLoadResult();
    }

    HRESULT SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }

    HRESULT CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read, ULARGE_INTEGER* written) override
    {
        if (read != nullptr) read->QuadPart = 0;
        if (written != nullptr) written->QuadPart = 0;
        if (target == nullptr) return STG_E_INVALIDPOINTER;
        const std::string& markup = Snapshot();
        ULONGLONG available =
            position_ >= markup.size() ? 0 : std::min<ULONGLONG>(count.QuadPart, markup.size() - position_);
        ULONGLONG done = 0;
        HRESULT hr = S_OK;
        while (done < available) {
            ULONG chunk = static_cast<ULONG>(std::min<ULONGLONG>(available - done, 1u << 20));
            ULONG chunkWritten = 0;
            hr = target->Write(markup.data() + position_ + done, chunk, &chunkWritten);
            done += std::min(chunkWritten, chunk);
            if (FAILED(hr) || chunkWritten != chunk) break;
        }
        position_ += available;
        if (read != nullptr) read->QuadPart = available;
        if (written != nullptr) written->QuadPart = done;
        return FAILED(hr) ? hr : S_OK;
    }

    HRESULT Commit(DWORD) override
    {
        state_->Synchronize();
        return TakeLoadResult();
    }

    HRESULT Revert() override
    {
        if (writing_) {
            writing_ = false;
            written_.clear();
            state_->ClearPendingMarkup(this);
        }
        return S_OK;
    }

    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }

    HRESULT Stat(STATSTG* stat, DWORD) override
    {
        if (stat == nullptr) return STG_E_INVALIDPOINTER;
        std::memset(stat, 0, sizeof *stat);
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = Snapshot().size();
        stat->grfMode = STGM_READWRITE;
        return S_OK;
    }

    HRESULT Clone(IStream**) override { return E_NOTIMPL; }

    void LoadPendingMarkup() override
    {
        writing_ = false;
        state_->ClearPendingMarkup(this);
        MemorySource source(written_.data(), written_.size(), false);
        HRESULT hr = state_->Load(source);
        if (FAILED(hr)) loadResult_ = hr;
        written_.clear();
        written_.shrink_to_fit();
    }

private:
    // Markup beyond what a DOM loads is refused as it is written.
    static constexpr ULONGLONG kMaximumSize = kMaxDomInputBytes;

    ~PersistenceStream() override
    {
        if (writing_) LoadPendingMarkup();
    }

    void* InterfaceFor(REFIID riid) override
    {
        if (riid == IID_IStream || riid == IID_ISequentialStream) return static_cast<IStream*>(this);
        return nullptr;
    }

    // The markup the reads see; written markup is loaded first.
    const std::string& Snapshot()
    {
        state_->Synchronize();
        if (!hasSnapshot_) {
            snapshot_.clear();
            SerializeDocument(state_->Doc(), snapshot_);
            hasSnapshot_ = true;
        }
        return snapshot_;
    }

    HRESULT TakeLoadResult()
    {
        HRESULT hr = loadResult_;
        loadResult_ = S_OK;
        return hr;
    }

    StateRef state_;
    std::string snapshot_;
    bool hasSnapshot_ = false;
    std::string written_;
    bool writing_ = false;
    ULONGLONG position_ = 0;
    HRESULT loadResult_ = S_OK;
};

}  // namespace

HRESULT CreatePersistenceStream(DocumentState* state, REFIID riid, void** object)
{
    *object = nullptr;
    auto stream = ComPtr<PersistenceStream>::Adopt(new (std::nothrow) PersistenceStream(state));
    if (!stream) return E_OUTOFMEMORY;
    return stream->QueryInterface(riid, object);
}

}  // namespace tav::xml
