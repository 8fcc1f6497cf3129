// Setting an attribute of a decoration's fragment element.
#pragma once

#include <string_view>

#include "platform/xml.h"

// The value as it stands: the DOM escapes it when the fragment is written
// out, so it must not be escaped here as well.
HRESULT SetFragmentAttribute(IXMLDOMElement* element, const char16_t* name, std::u16string_view value);
