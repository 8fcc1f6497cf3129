#include "opc/content_types.h"

#include "opc/part_name.h"
#include "opc/xml_pull_reader.h"
#include "opc/xps_names.h"

namespace tav::host {

ContentTypes ContentTypes::Parse(std::unique_ptr<ByteReader> source)
{
    ContentTypes types;
    XmlPullReader reader(std::move(source), kPartName);
    if (!reader.NextElement() || reader.LocalName() != "Types" || reader.NamespaceUri() != xps::kContentTypesNamespace) {
        reader.Fail("the root element is not Types of the OPC content types namespace");
    }
    while (reader.NextElement()) {
        if (reader.Depth() != 1) continue;
        std::string element = reader.LocalName();
        std::optional<std::string> contentType = reader.Attribute("ContentType");
        if (element == "Default") {
            std::optional<std::string> extension = reader.Attribute("Extension");
            if (!extension || !contentType) reader.Fail("a Default entry lacks Extension or ContentType");
            types.AddDefault(PartNameKey(*extension), xps::ToXpsContentType(*contentType));
        } else if (element == "Override") {
            std::optional<std::string> name = reader.Attribute("PartName");
            if (!name || !contentType) reader.Fail("an Override entry lacks PartName or ContentType");
            types.AddOverride(CanonicalPartName(*name), xps::ToXpsContentType(*contentType));
        }
    }
    return types;
}

void ContentTypes::AddDefault(const std::string& extension, const std::string& contentType)
{
    defaults_[PartNameKey(extension)] = contentType;
}

void ContentTypes::AddOverride(const std::string& canonicalName, const std::string& contentType)
{
    overrides_[PartNameKey(canonicalName)] = contentType;
}

std::string ContentTypes::Lookup(const std::string& canonicalName) const
{
    auto found = overrides_.find(PartNameKey(canonicalName));
    if (found != overrides_.end()) return found->second;
    auto byExtension = defaults_.find(PartExtension(canonicalName));
    return byExtension == defaults_.end() ? "" : byExtension->second;
}

}  // namespace tav::host
