// Registers the DOM document and the SAX reader in the platform's class
// table when the library is loaded.
#include "dom_node.h"
#include "platform/com.h"
#include "sax_reader.h"
#include "xml_parser.h"

namespace tav::xml {

namespace {

struct XmlClassRegistration {
    XmlClassRegistration()
    {
        InitializeLibxml();
        CoRegisterPlatformClass(CLSID_DOMDocument60, &DomNode::CreateDocument);
        CoRegisterPlatformClass(CLSID_SAXXMLReader60, &CreateSaxReader);
    }
};

const XmlClassRegistration registration;

}  // namespace

}  // namespace tav::xml
