// Creation of the SAX reader object (CLSID_SAXXMLReader60).
#pragma once

#include "platform/xml.h"

namespace tav::xml {

HRESULT CreateSaxReader(REFIID riid, void** object);

}  // namespace tav::xml
