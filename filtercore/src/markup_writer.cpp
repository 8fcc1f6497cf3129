#include "filtercore/markup_writer.h"

#include <new>
#include <string>

#include "filtercore/markup_escape.h"
#include "filtercore/raised_result.h"

MarkupWriter::MarkupWriter(IPrintWriteStream* stream)
    : ComObjectBase(IID_ISAXContentHandler), writeStream_(ComPtr<IPrintWriteStream>::Share(stream))
{
    if (stream == nullptr) throw CXDException(E_POINTER);
}

MarkupWriter::MarkupWriter(ISequentialStream* stream)
    : ComObjectBase(IID_ISAXContentHandler), sequentialStream_(ComPtr<ISequentialStream>::Share(stream))
{
    if (stream == nullptr) throw CXDException(E_POINTER);
}

MarkupWriter::~MarkupWriter() { Flush(); }

HRESULT MarkupWriter::startDocument()
{
    return CatchRaised([&] { return Append(kXmlDeclaration, S_OK); });
}

HRESULT MarkupWriter::Append(const WCHAR* text, HRESULT carried)
{
    if (pendingLength_ > kFlushThreshold) carried = Flush();
    pendingLength_ = pending_.AppendAfter(pendingLength_, text);
    return carried;
}

HRESULT MarkupWriter::Append(std::u16string_view text, HRESULT carried)
{
    if (pendingLength_ > kFlushThreshold) carried = Flush();
    pendingLength_ = pending_.AppendAfter(pendingLength_, text.data(), text.size());
    return carried;
}

HRESULT MarkupWriter::Flush()
{
    if (pendingLength_ == 0) return S_OK;
    HRESULT hr = S_OK;
    {
        const BYTE* bytes = nullptr;
        ULONG count = 0;
        hr = converter_.Convert(pendingLength_, &bytes, &count);
        if (SUCCEEDED(hr)) hr = WriteOut(bytes, count);
    }
    // The buffer exists and keeps its capacity: emptying it allocates nothing.
    pending_.Assign(u"");
    pendingLength_ = 0;
    return hr;
}

HRESULT MarkupWriter::WriteOut(const BYTE* bytes, ULONG count)
{
    ULONG written = 0;
    HRESULT hr = S_OK;
    if (writeStream_) {
        hr = writeStream_->WriteBytes(bytes, count, &written);
    } else if (sequentialStream_) {
        hr = sequentialStream_->Write(bytes, count, &written);
    } else {
        return S_OK;
    }
    if (SUCCEEDED(hr) && written != count) return STG_E_WRITEFAULT;
    return hr;
}

HRESULT MarkupWriter::Escape(BSTR* value)
{
    if (value == nullptr) return E_POINTER;
    UINT length = SysStringLen(*value);
    if (length == 0) return S_OK;
    return CatchRaised([&] {
        std::u16string escaped;
        AppendEscaped(escaped, std::u16string_view(*value, length));
        if (escaped.size() > 0x7FFFFFFFu) return E_OUTOFMEMORY;
        if (!SysReAllocStringLen(value, escaped.data(), static_cast<UINT>(escaped.size()))) return E_OUTOFMEMORY;
        return S_OK;
    });
}
