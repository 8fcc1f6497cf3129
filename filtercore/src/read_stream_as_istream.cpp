#include "filtercore/read_stream_as_istream.h"

#include <cstring>
#include <new>

#include "filtercore/errors.h"
#include "filtercore/raised_result.h"
#include "platform/com.h"

namespace {

constexpr WCHAR kStreamName[] = u"PrintReadStream";

}  // namespace

ReadStreamAsIStream::ReadStreamAsIStream(IPrintReadStream* stream)
    : ComObjectBase(IID_IStream), stream_(ComPtr<IPrintReadStream>::Share(stream))
{
    if (stream == nullptr) throw CXDException(E_POINTER);
    HRESULT hr = CoFileTimeNow(&created_);
    if (FAILED(hr)) throw CXDException(hr);
    modified_ = created_;
    accessed_ = created_;
}

HRESULT ReadStreamAsIStream::Create(IPrintReadStream* stream, IStream** wrapper)
{
    if (wrapper == nullptr) return E_POINTER;
    *wrapper = nullptr;
    return CatchRaised([&] {
        auto* created = new (std::nothrow) ReadStreamAsIStream(stream);
        if (created == nullptr) return E_OUTOFMEMORY;
        *wrapper = created;
        return S_OK;
    });
}

HRESULT ReadStreamAsIStream::QueryInterface(REFIID riid, void** object)
{
    if (object != nullptr && IsEqualIID(riid, IID_ISequentialStream)) {
        *object = static_cast<ISequentialStream*>(this);
        AddRef();
        return S_OK;
    }
    return ComObjectBase::QueryInterface(riid, object);
}

HRESULT ReadStreamAsIStream::Read(void* buffer, ULONG count, ULONG* read)
{
    if (buffer == nullptr || read == nullptr) return E_POINTER;
    *read = 0;
    // The access time is worth no failure of the read itself.
    CoFileTimeNow(&accessed_);
    if (count == 0) return S_OK;
    BOOL endOfFile = FALSE;
    return stream_->ReadBytes(buffer, count, read, &endOfFile);
}

HRESULT ReadStreamAsIStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition)
{
    ULONGLONG position = 0;
    HRESULT hr = stream_->Seek(move.QuadPart, origin, &position);
    if (SUCCEEDED(hr) && newPosition != nullptr) newPosition->QuadPart = position;
    return hr;
}

HRESULT ReadStreamAsIStream::FindSize(ULONGLONG* size)
{
    if (size_ == 0) {
        ULONGLONG current = 0;
        ULONGLONG end = 0;
        ULONGLONG restored = 0;
        HRESULT hr = stream_->Seek(0, STREAM_SEEK_CUR, &current);
        if (SUCCEEDED(hr)) hr = stream_->Seek(0, STREAM_SEEK_END, &end);
        if (FAILED(hr)) return hr;
        hr = stream_->Seek(static_cast<LONGLONG>(current), STREAM_SEEK_SET, &restored);
        if (FAILED(hr)) return hr;
        size_ = end;
    }
    *size = size_;
    return S_OK;
}

HRESULT ReadStreamAsIStream::Stat(STATSTG* stat, DWORD flags)
{
    if (stat == nullptr) return E_POINTER;
    std::memset(stat, 0, sizeof *stat);
    ULONGLONG size = 0;
    HRESULT hr = FindSize(&size);
    if (FAILED(hr)) return hr;
    if ((flags & STATFLAG_NONAME) == 0) {
        auto* name = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof kStreamName));
        if (name == nullptr) return E_OUTOFMEMORY;
        std::memcpy(name, kStreamName, sizeof kStreamName);
        stat->pwcsName = name;
    }
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = size;
    stat->mtime = modified_;
    stat->ctime = created_;
    stat->atime = accessed_;
    stat->grfMode = STGM_SHARE_DENY_WRITE;
    stat->grfLocksSupported = LOCK_WRITE;
    return S_OK;
}

HRESULT ReadStreamAsIStream::Write(const void*, ULONG, ULONG*) { return E_NOTIMPL; }
HRESULT ReadStreamAsIStream::SetSize(ULARGE_INTEGER) { return E_NOTIMPL; }
HRESULT ReadStreamAsIStream::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) { return E_NOTIMPL; }
HRESULT ReadStreamAsIStream::Commit(DWORD) { return E_NOTIMPL; }
HRESULT ReadStreamAsIStream::Revert() { return E_NOTIMPL; }
HRESULT ReadStreamAsIStream::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }
HRESULT ReadStreamAsIStream::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }
HRESULT ReadStreamAsIStream::Clone(IStream**) { return E_NOTIMPL; }
