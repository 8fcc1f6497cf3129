// Text conversions between the UTF-8 of libxml2 and the UTF-16 of the COM
// interfaces, and small helpers for the BSTR out arguments of the DOM.
#pragma once

#include <string>
#include <string_view>

#include "platform/bstr.h"
#include "platform/variant.h"

namespace tav::xml {

// Converts UTF-8 into out, which must have room for text.size() units (a
// UTF-8 text never needs more UTF-16 units than it has bytes). Invalid
// sequences become U+FFFD. Returns the number of units written.
size_t Utf8ToUtf16(std::string_view text, char16_t* out);

// Appends the UTF-16 form of text to out.
void AppendUtf16(std::u16string& out, std::string_view text);

std::string ToUtf8(const WCHAR* text, size_t length);
std::string ToUtf8(BSTR text);  // a null BSTR is the empty string

// Markup handed over as UTF-16 text, in UTF-8 without a leading byte-order mark.
std::string MarkupFromText(const WCHAR* text, size_t length);

// A new BSTR holding text; null only when memory ran out.
BSTR AllocBstr(std::string_view utf8);

// Stores a new BSTR in *out: S_OK, E_POINTER for a null out, E_OUTOFMEMORY.
HRESULT ReturnBstr(std::string_view utf8, BSTR* out);
// Stores a VT_BSTR VARIANT in *out.
HRESULT ReturnBstrVariant(std::string_view utf8, VARIANT* out);

// The text of a VT_BSTR VARIANT (by value or by reference); false for other
// types.
bool VariantText(const VARIANT& value, std::string* text);

}  // namespace tav::xml
