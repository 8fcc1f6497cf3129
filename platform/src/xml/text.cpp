#include "text.h"

#include <cstring>

#include "../core/utf8.h"
#include "platform/wformat.h"

namespace tav::xml {

namespace {

// Eight bytes and eight UTF-16 units, converted into each other at once.
using ByteBlock = uint8_t __attribute__((vector_size(8)));
using WideBlock = uint16_t __attribute__((vector_size(16)));

}  // namespace

size_t Utf8ToUtf16(std::string_view text, char16_t* out)
{
    auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* end = p + text.size();
    char16_t* o = out;
    while (p < end) {
        // Markup is mostly ASCII: copy runs of eight ASCII bytes at a time,
        // widened all at once.
        while (end - p >= 8) {
            ByteBlock bytes;
            std::memcpy(&bytes, p, sizeof bytes);
            uint64_t word;
            std::memcpy(&word, p, sizeof word);
            if ((word & 0x8080808080808080ull) != 0) break;
            WideBlock units = __builtin_convertvector(bytes, WideBlock);
            std::memcpy(o, &units, sizeof units);
            o += 8;
            p += 8;
        }
        if (p == end) break;
        if (*p < 0x80) {
            *o++ = *p++;
            continue;
        }
        char32_t c = utf8::Decode(p, end);
        if (c == utf8::kInvalid) c = 0xFFFD;
        if (c >= 0x10000) {
            c -= 0x10000;
            *o++ = static_cast<char16_t>(0xD800 + (c >> 10));
            *o++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            *o++ = static_cast<char16_t>(c);
        }
    }
    return static_cast<size_t>(o - out);
}

void AppendUtf16(std::u16string& out, std::string_view text)
{
    size_t start = out.size();
    out.resize(start + text.size());
    out.resize(start + Utf8ToUtf16(text, out.data() + start));
}

std::string ToUtf8(const WCHAR* text, size_t length) { return WideToUtf8(text, length); }

// Up to the terminator, not the stored length: callers may pass plain literals
// for arguments that are only read, and XML text never holds a NUL.
std::string ToUtf8(BSTR text) { return WideToUtf8(text, WideLength(text)); }

std::string MarkupFromText(const WCHAR* text, size_t length)
{
    if (length > 0 && text[0] == 0xFEFF) {
        ++text;
        --length;
    }
    return ToUtf8(text, length);
}

BSTR AllocBstr(std::string_view utf8)
{
    if (utf8.size() > 0x3FFFFFF0u) return nullptr;
    BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(utf8.size()));
    if (text == nullptr) return nullptr;
    size_t length = Utf8ToUtf16(utf8, text);
    if (length == utf8.size()) return text;
    // Non-ASCII text is shorter in UTF-16: store the exact length.
    BSTR exact = SysAllocStringLen(text, static_cast<UINT>(length));
    SysFreeString(text);
    return exact;
}

HRESULT ReturnBstr(std::string_view utf8, BSTR* out)
{
    if (out == nullptr) return E_POINTER;
    *out = AllocBstr(utf8);
    return *out == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT ReturnBstrVariant(std::string_view utf8, VARIANT* out)
{
    if (out == nullptr) return E_POINTER;
    VariantInit(out);
    BSTR text = AllocBstr(utf8);
    if (text == nullptr) return E_OUTOFMEMORY;
    out->vt = VT_BSTR;
    out->bstrVal = text;
    return S_OK;
}

bool VariantText(const VARIANT& value, std::string* text)
{
    if (value.vt == VT_BSTR) {
        *text = ToUtf8(value.bstrVal);
        return true;
    }
    if (value.vt == (VT_BSTR | VT_BYREF) && value.byref != nullptr) {
        *text = ToUtf8(*static_cast<BSTR*>(value.byref));
        return true;
    }
    return false;
}

}  // namespace tav::xml
