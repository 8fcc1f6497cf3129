// ReadStreamAsIStream: a read-only IStream over an IPrintReadStream, so that
// the DOM can load the pipeline's per-user ticket. It reports a size (found
// once by seeking) and the times it was made and last read; everything that
// would change the stream is E_NOTIMPL.
#pragma once

#include "filtercore/com_object_base.h"
#include "platform/comobject.h"
#include "platform/pipeline.h"

class ReadStreamAsIStream : public ComObjectBase<IStream> {
public:
    // A new wrapper with one reference: E_POINTER for null pointers, the
    // failure of reading the clock, E_OUTOFMEMORY.
    static HRESULT Create(IPrintReadStream* stream, IStream** wrapper);

    // IStream, IUnknown and, as every IStream does, ISequentialStream (the
    // DOM loads from that one).
    HRESULT QueryInterface(REFIID riid, void** object) override;

    // ReadBytes; E_POINTER for a null buffer or a null count of bytes read.
    HRESULT Read(void* buffer, ULONG count, ULONG* read) override;
    HRESULT Write(const void* buffer, ULONG count, ULONG* written) override;
    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override;
    HRESULT SetSize(ULARGE_INTEGER size) override;
    HRESULT CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read, ULARGE_INTEGER* written) override;
    HRESULT Commit(DWORD flags) override;
    HRESULT Revert() override;
    HRESULT LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD lockType) override;
    HRESULT UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD lockType) override;
    // Name "PrintReadStream" (CoTaskMemAlloc, unless STATFLAG_NONAME), the
    // size, the three times, STGM_SHARE_DENY_WRITE and LOCK_WRITE.
    HRESULT Stat(STATSTG* stat, DWORD flags) override;
    HRESULT Clone(IStream** clone) override;

private:
    // Raises CXDException: E_POINTER for a null stream, the clock's failure.
    explicit ReadStreamAsIStream(IPrintReadStream* stream);

    // The size of the content, from seeking to its end and back; cached.
    HRESULT FindSize(ULONGLONG* size);

    ComPtr<IPrintReadStream> stream_;
    // 0 until the size is first asked for.
    ULONGLONG size_ = 0;
    FILETIME modified_{};
    FILETIME created_{};
    FILETIME accessed_{};
};
