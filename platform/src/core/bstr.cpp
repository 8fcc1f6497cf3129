#include "platform/bstr.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/wformat.h"

namespace {

// The block holds the 32-bit byte length, then the characters, then a
// two-byte terminator. The BSTR points at the characters.
BSTR AllocateBytes(const void* source, UINT byteLength)
{
    if (byteLength > std::numeric_limits<UINT>::max() - 8) return nullptr;
    auto* block = static_cast<BYTE*>(std::malloc(sizeof(UINT) + byteLength + sizeof(WCHAR) + 1));
    if (block == nullptr) return nullptr;
    std::memcpy(block, &byteLength, sizeof(UINT));
    BYTE* text = block + sizeof(UINT);
    if (source != nullptr)
        std::memcpy(text, source, byteLength);
    else
        std::memset(text, 0, byteLength);
    // Terminate both a byte string and a character string.
    text[byteLength] = 0;
    text[byteLength + 1] = 0;
    text[byteLength + 2] = 0;
    return reinterpret_cast<BSTR>(text);
}

UINT StoredByteLength(BSTR text)
{
    UINT length;
    std::memcpy(&length, reinterpret_cast<BYTE*>(text) - sizeof(UINT), sizeof(UINT));
    return length;
}

// Collation key of a character: letters compare alphabetically first,
// case only breaks ties, so "apple" < "Banana" < "banana2".
char16_t FoldCase(char16_t c)
{
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c - u'A' + u'a');
    return c;
}

}  // namespace

BSTR SysAllocString(const WCHAR* text)
{
    if (text == nullptr) return nullptr;
    return SysAllocStringLen(text, static_cast<UINT>(WideLength(text)));
}

BSTR SysAllocStringLen(const WCHAR* text, UINT length)
{
    if (length > (std::numeric_limits<UINT>::max() - 8) / sizeof(WCHAR)) return nullptr;
    return AllocateBytes(text, length * static_cast<UINT>(sizeof(WCHAR)));
}

INT SysReAllocStringLen(BSTR* target, const WCHAR* text, UINT length)
{
    if (target == nullptr) return FALSE;
    BSTR replacement = SysAllocStringLen(text, length);
    if (replacement == nullptr) return FALSE;
    SysFreeString(*target);
    *target = replacement;
    return TRUE;
}

void SysFreeString(BSTR text)
{
    if (text != nullptr) std::free(reinterpret_cast<BYTE*>(text) - sizeof(UINT));
}

UINT SysStringLen(BSTR text) { return text == nullptr ? 0 : StoredByteLength(text) / sizeof(WCHAR); }

UINT SysStringByteLen(BSTR text) { return text == nullptr ? 0 : StoredByteLength(text); }

HRESULT VarBstrCmp(BSTR left, BSTR right, LCID, ULONG flags)
{
    UINT leftLength = SysStringLen(left);
    UINT rightLength = SysStringLen(right);
    UINT common = leftLength < rightLength ? leftLength : rightLength;
    bool ignoreCase = (flags & NORM_IGNORECASE) != 0;
    // First pass: alphabetical order without case.
    for (UINT i = 0; i < common; ++i) {
        char16_t a = FoldCase(left[i]);
        char16_t b = FoldCase(right[i]);
        if (a != b) return a < b ? VARCMP_LT : VARCMP_GT;
    }
    if (leftLength != rightLength) return leftLength < rightLength ? VARCMP_LT : VARCMP_GT;
    if (ignoreCase) return VARCMP_EQ;
    // Same letters: upper case sorts after lower case, as in the user locale.
    for (UINT i = 0; i < common; ++i) {
        if (left[i] != right[i]) return left[i] > right[i] ? VARCMP_LT : VARCMP_GT;
    }
    return VARCMP_EQ;
}

HRESULT VarBstrCat(BSTR left, BSTR right, BSTR* result)
{
    if (result == nullptr) return E_INVALIDARG;
    *result = nullptr;
    UINT leftLength = SysStringLen(left);
    UINT rightLength = SysStringLen(right);
    if (rightLength > std::numeric_limits<UINT>::max() / 4 - leftLength) return E_OUTOFMEMORY;
    BSTR joined = SysAllocStringLen(nullptr, leftLength + rightLength);
    if (joined == nullptr) return E_OUTOFMEMORY;
    if (leftLength) std::memcpy(joined, left, leftLength * sizeof(WCHAR));
    if (rightLength) std::memcpy(joined + leftLength, right, rightLength * sizeof(WCHAR));
    *result = joined;
    return S_OK;
}
