#include "opc/content_types.h"

#include "opc/package_error.h"
#include "opc/package_markup_rules.h"
#include "opc/part_name.h"
#include "opc/xml_pull_reader.h"
#include "opc/xps_names.h"

namespace tav::host {

ContentTypes ContentTypes::Parse(std::unique_ptr<ByteReader> source)
{
    ContentTypes types;
    XmlPullReader reader(std::move(source), kPartName);
    if (!reader.NextElement() || reader.LocalName() != "Types" ||
        reader.NamespaceUri() != xps::kContentTypesNamespace) {
        reader.Fail("the root element is not Types of the OPC content types namespace");
    }
    CheckPackageElement(reader, xps::kContentTypesNamespace, {});
    while (reader.NextElement()) {
        std::string element = reader.LocalName();
        CheckPackageElement(reader, xps::kContentTypesNamespace, {"Extension", "PartName", "ContentType"});
        if (reader.Depth() != 1 || (element != "Default" && element != "Override")) {
            reader.Fail("the element " + element + " has no place in the content types");
        }
        if (element == "Default") {
            CheckPackageElement(reader, xps::kContentTypesNamespace, {"Extension", "ContentType"});
        } else {
            CheckPackageElement(reader, xps::kContentTypesNamespace, {"PartName", "ContentType"});
        }
        std::optional<std::string> contentType = reader.Attribute("ContentType");
        if (contentType && !IsMediaType(*contentType)) {
            reader.Fail("the content type \"" + *contentType + "\" is no media type");
        }
        if (element == "Default") {
            std::optional<std::string> extension = reader.Attribute("Extension");
            if (!extension || !contentType) reader.Fail("a Default entry lacks Extension or ContentType");
            if (extension->empty()) reader.Fail("a Default entry has an empty Extension");
            std::string key = PartNameKey(*extension);
            std::string type = xps::ToXpsContentType(*contentType);
            auto [found, added] = types.defaults_.emplace(key, type);
            if (!added && found->second != type) {
                reader.Fail("the extension \"" + *extension + "\" has two Default content types, " + found->second +
                            " and " + type);
            }
        } else {
            std::optional<std::string> name = reader.Attribute("PartName");
            if (!name || !contentType) reader.Fail("an Override entry lacks PartName or ContentType");
            std::string canonical;
            try {
                canonical = CanonicalPartName(*name);
            } catch (const PackageError& error) {
                reader.Fail("the Override PartName \"" + *name + "\": " + error.Reason());
            }
            std::string type = xps::ToXpsContentType(*contentType);
            auto [found, added] = types.overrides_.emplace(PartNameKey(canonical), type);
            if (!added && found->second != type) {
                reader.Fail("the part " + canonical + " has two Override content types, " + found->second + " and " +
                            type);
            }
        }
    }
    return types;
}

std::string ContentTypes::Lookup(const std::string& canonicalName) const
{
    auto found = overrides_.find(PartNameKey(canonicalName));
    if (found != overrides_.end()) return found->second;
    auto byExtension = defaults_.find(PartExtension(canonicalName));
    return byExtension == defaults_.end() ? "" : byExtension->second;
}

}  // namespace tav::host
