#include "filtercore/utf8_converter.h"

#include <limits>

#include "platform/base.h"

void Utf8Converter::Release()
{
    if (bytes_ != nullptr) HeapFree(GetProcessHeap(), 0, bytes_);
    bytes_ = nullptr;
}

HRESULT Utf8Converter::Convert(const BYTE** bytes, ULONG* byteCount)
{
    if (bytes == nullptr || byteCount == nullptr) return E_POINTER;
    *bytes = nullptr;
    *byteCount = 0;
    Release();
    size_t length = source_ != nullptr ? source_->Length() : 0;
    if (length == 0 || length > static_cast<size_t>(std::numeric_limits<int>::max())) return E_FAIL;
    const WCHAR* text = source_->Data();
    int wideCount = static_cast<int>(length);
    int needed = WideCharToMultiByte(CP_UTF8, 0, text, wideCount, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return E_FAIL;
    bytes_ = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, static_cast<size_t>(needed)));
    if (bytes_ == nullptr) return E_OUTOFMEMORY;
    int converted =
        WideCharToMultiByte(CP_UTF8, 0, text, wideCount, reinterpret_cast<char*>(bytes_), needed, nullptr, nullptr);
    if (converted != needed) {
        Release();
        return E_FAIL;
    }
    *bytes = bytes_;
    *byteCount = static_cast<ULONG>(converted);
    return S_OK;
}
