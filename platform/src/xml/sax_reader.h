// Creation of the SAX reader object (CLSID_SAXXMLReader60).
#pragma once

#include "platform/xml.h"

namespace tavxml {

HRESULT CreateSaxReader(REFIID riid, void** object);

}  // namespace tavxml
