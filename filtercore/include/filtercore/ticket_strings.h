// Small text helpers of the ticket access code: formatted BSTRs, prefix
// tests and DOM text values.
#pragma once

#include "filtercore/heap_string.h"
#include "filtercore/owned_bstr.h"
#include "platform/xml.h"

// Null stands for the empty text wherever a prefix or name is optional.
inline const WCHAR* OrEmpty(const WCHAR* text) { return text == nullptr ? u"" : text; }
inline bool IsEmptyText(const WCHAR* text) { return text == nullptr || text[0] == 0; }

// The formatted text as a new BSTR; raises CXDException on failure.
template <class... Arguments>
OwnedBstr FormatBstr(const WCHAR* format, Arguments... arguments)
{
    HeapWideString text;
    text.Format(format, arguments...);
    return OwnedBstr::Copy(text.Text());
}

// True when text begins with prefix, compared character by character. An
// empty prefix (an undeclared namespace) begins nothing.
bool BeginsWith(BSTR text, const WCHAR* prefix);

// True when text holds exactly the characters of other (null as empty).
bool SameText(BSTR text, const WCHAR* other);

// The node's typed value as text (the DOM gives it as a VT_BSTR), without
// the white space around it: a Value written over several lines
// ("\n  On\n") means what the provider reads in it ("On").
HRESULT TypedValueText(IXMLDOMNode* node, BSTR* text);

// Drops spaces, tabs and line ends at both ends of *text, as the PrintTicket
// provider does when it reads values and names.
HRESULT TrimWhiteSpace(BSTR* text);

// VARIANTs for DOM calls; the BSTR stays owned by the caller.
VARIANT BorrowedBstrVariant(BSTR text);
VARIANT IntegerVariant(LONG number);
