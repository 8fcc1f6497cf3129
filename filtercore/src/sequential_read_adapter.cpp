#include "filtercore/sequential_read_adapter.h"

#include <new>

SequentialReadAdapter::SequentialReadAdapter(IPrintReadStream* stream, ULONG largestRead)
    : ComObjectBase(IID_ISequentialStream), stream_(ComPtr<IPrintReadStream>::Share(stream)), largestRead_(largestRead)
{
}

HRESULT SequentialReadAdapter::Create(IPrintReadStream* stream, ISequentialStream** adapter, ULONG largestRead)
{
    if (adapter == nullptr) return E_POINTER;
    *adapter = nullptr;
    if (stream == nullptr) return E_POINTER;
    auto* created = new (std::nothrow) SequentialReadAdapter(stream, largestRead);
    if (created == nullptr) return E_OUTOFMEMORY;
    *adapter = created;
    return S_OK;
}

HRESULT SequentialReadAdapter::Read(void* buffer, ULONG count, ULONG* read)
{
    ULONG done = 0;
    BOOL endOfFile = FALSE;
    if (largestRead_ != 0 && count > largestRead_) count = largestRead_;
    HRESULT hr = stream_->ReadBytes(buffer, count, &done, &endOfFile);
    if (read != nullptr) *read = done;
    return hr;
}

HRESULT SequentialReadAdapter::Write(const void*, ULONG, ULONG*) { return E_NOTIMPL; }
