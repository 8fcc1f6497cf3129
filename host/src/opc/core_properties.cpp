#include "opc/core_properties.h"

#include "opc/package_markup_rules.h"
#include "opc/xml_pull_reader.h"

namespace tav::host {
namespace {

constexpr std::string_view kCoreNamespace = "http://schemas.openxmlformats.org/package/2006/metadata/core-properties";
constexpr std::string_view kDublinCore = "http://purl.org/dc/elements/1.1/";
constexpr std::string_view kDublinCoreTerms = "http://purl.org/dc/terms/";
constexpr std::string_view kSchemaInstance = "http://www.w3.org/2001/XMLSchema-instance";
constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";

// The value of an xsi:type naming W3CDTF in the Dublin Core terms namespace,
// whatever prefix the part binds to it.
bool IsW3cdtf(const XmlPullReader& reader, const std::string& value)
{
    size_t colon = value.find(':');
    if (colon == std::string::npos || value.substr(colon + 1) != "W3CDTF") return false;
    std::optional<std::string> uri = reader.LookupNamespace(value.substr(0, colon));
    return uri && *uri == kDublinCoreTerms;
}

}  // namespace

void CheckCoreProperties(std::unique_ptr<ByteReader> source, const std::string& partName)
{
    XmlPullReader reader(std::move(source), partName);
    if (!reader.NextElement() || reader.LocalName() != "coreProperties" || reader.NamespaceUri() != kCoreNamespace) {
        reader.Fail("the root element is not coreProperties of the OPC core properties namespace");
    }
    do {
        std::string ns = reader.NamespaceUri();
        std::string local = reader.LocalName();
        bool dated = ns == kDublinCoreTerms && (local == "created" || local == "modified");
        if (ns != kCoreNamespace && ns != kDublinCore && !dated) {
            if (ns == kDublinCoreTerms) reader.Fail("the core properties refine Dublin Core with dcterms:" + local);
            reader.Fail("the core properties hold the element " + local + " of the namespace \"" + ns + "\"");
        }
        bool typed = false;
        for (const XmlPullReader::NamedAttribute& attribute : reader.Attributes()) {
            if (attribute.namespaceUri == kSchemaInstance && attribute.localName == "type" && dated) {
                if (!IsW3cdtf(reader, attribute.value)) {
                    reader.Fail("dcterms:" + local + " has the xsi:type \"" + attribute.value +
                                "\", not dcterms:W3CDTF");
                }
                typed = true;
                continue;
            }
            if (attribute.namespaceUri == kXmlNamespace && attribute.localName == "lang") {
                reader.Fail("the element " + local + " of the core properties carries xml:lang");
            }
            reader.Fail("the element " + local + " of the core properties carries the attribute " +
                        AttributeForMessage(attribute));
        }
        if (dated && !typed) reader.Fail("dcterms:" + local + " has no xsi:type \"dcterms:W3CDTF\"");
    } while (reader.NextElement());
}

}  // namespace tav::host
