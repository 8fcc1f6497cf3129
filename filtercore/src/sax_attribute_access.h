// Names, values and attributes as the SAX reader reports them, and the
// namespaces a FixedPage is written in: shared by the page writers and the
// reading of a page's frame.
#pragma once

#include <string_view>

#include "platform/xml.h"

// The namespaces a FixedPage is written in: XPS and OpenXPS. A page in no
// namespace at all is taken as well, as the filters always have.
inline bool IsPageNamespace(std::u16string_view uri)
{
    return uri.empty() || uri == u"http://schemas.microsoft.com/xps/2005/06" ||
           uri == u"http://schemas.openxps.org/oxps/v1.0";
}

// A name or value the reader reports as pointer and length; false for a
// pair that cannot describe a text.
inline bool ViewOf(const WCHAR* text, int length, std::u16string_view* view)
{
    if (length < 0 || (text == nullptr && length > 0)) return false;
    *view = length == 0 ? std::u16string_view() : std::u16string_view(text, static_cast<size_t>(length));
    return true;
}

inline int AttributeCount(ISAXAttributes* attributes)
{
    int count = 0;
    if (attributes == nullptr || FAILED(attributes->getLength(&count)) || count < 0) return 0;
    return count;
}

// The qualified name and value of one attribute; false when either cannot
// be obtained.
inline bool AttributeAt(ISAXAttributes* attributes, int index, std::u16string_view* name, std::u16string_view* value)
{
    const WCHAR* text = nullptr;
    int length = 0;
    if (FAILED(attributes->getQName(index, &text, &length)) || !ViewOf(text, length, name) || name->empty())
        return false;
    return SUCCEEDED(attributes->getValue(index, &text, &length)) && ViewOf(text, length, value);
}
