#include "filtercore/utf8_converter.h"

#include <limits>

#include "platform/base.h"

void Utf8Converter::Release()
{
    if (bytes_ != nullptr) HeapFree(GetProcessHeap(), 0, bytes_);
    bytes_ = nullptr;
    capacity_ = 0;
}

HRESULT Utf8Converter::Convert(const BYTE** bytes, ULONG* byteCount)
{
    return Convert(source_ != nullptr ? source_->Length() : 0, bytes, byteCount);
}

HRESULT Utf8Converter::Convert(size_t length, const BYTE** bytes, ULONG* byteCount)
{
    if (bytes == nullptr || byteCount == nullptr) return E_POINTER;
    *bytes = nullptr;
    *byteCount = 0;
    if (source_ == nullptr || length == 0 || length > static_cast<size_t>(std::numeric_limits<int>::max())) {
        return E_FAIL;
    }
    const WCHAR* text = source_->Data();
    int wideCount = static_cast<int>(length);
    // One conversion into a buffer of the largest possible size (three
    // bytes per UTF-16 unit) rather than one to count and one to convert:
    // the pending markup of a page writer is long.
    if (length > static_cast<size_t>(std::numeric_limits<int>::max()) / 3) return E_OUTOFMEMORY;
    size_t capacity = length * 3;
    if (capacity > capacity_) {
        Release();
        bytes_ = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, capacity));
        if (bytes_ == nullptr) return E_OUTOFMEMORY;
        capacity_ = capacity;
    }
    int converted = WideCharToMultiByte(CP_UTF8, 0, text, wideCount, reinterpret_cast<char*>(bytes_),
                                        static_cast<int>(capacity), nullptr, nullptr);
    if (converted <= 0) return E_FAIL;
    *bytes = bytes_;
    *byteCount = static_cast<ULONG>(converted);
    return S_OK;
}
