#include "opc/relationships.h"

#include <set>

#include "opc/package_error.h"
#include "opc/package_markup_rules.h"
#include "opc/part_name.h"
#include "opc/xml_pull_reader.h"

namespace tav::host {

std::vector<Relationship> ParseRelationships(std::unique_ptr<ByteReader> source, const std::string& sourceName,
                                             const std::string& relationshipsPartName)
{
    XmlPullReader reader(std::move(source), relationshipsPartName);
    if (!reader.NextElement() || reader.LocalName() != "Relationships" ||
        reader.NamespaceUri() != xps::kRelationshipsNamespace) {
        reader.Fail("the root element is not Relationships of the OPC relationships namespace");
    }
    CheckPackageElement(reader, xps::kRelationshipsNamespace, {});
    std::vector<Relationship> relationships;
    std::set<std::string> ids;
    while (reader.NextElement()) {
        if (reader.Depth() != 1 || reader.LocalName() != "Relationship") {
            reader.Fail("the element " + reader.LocalName() + " has no place in relationships");
        }
        CheckPackageElement(reader, xps::kRelationshipsNamespace, {"Id", "Type", "Target", "TargetMode"});
        std::optional<std::string> id = reader.Attribute("Id");
        std::optional<std::string> type = reader.Attribute("Type");
        std::optional<std::string> target = reader.Attribute("Target");
        if (!id || !type || !target) reader.Fail("a Relationship lacks Id, Type or Target");
        if (!IsXmlId(*id)) reader.Fail("the relationship Id \"" + *id + "\" is no XML ID");
        if (!ids.insert(*id).second) reader.Fail("the relationship Id \"" + *id + "\" is used twice");
        Relationship relationship;
        relationship.id = *id;
        relationship.type = xps::ToXpsVocabulary(*type);
        std::optional<std::string> mode = reader.Attribute("TargetMode");
        if (mode && *mode != "External" && *mode != "Internal") {
            reader.Fail("relationship " + *id + " has the TargetMode \"" + *mode + "\"");
        }
        relationship.external = mode && *mode == "External";
        if (relationship.external) {
            relationship.target = *target;
        } else {
            try {
                relationship.target = ResolvePartReference(sourceName, *target);
            } catch (const PackageError& error) {
                reader.Fail("relationship " + *id + " targets \"" + *target + "\": " + error.Reason());
            }
            if (IsPackageBookkeepingName(relationship.target)) {
                reader.Fail("relationship " + *id + " targets " + relationship.target +
                            ", which holds the package's own relationships or content types");
            }
        }
        relationships.push_back(std::move(relationship));
    }
    return relationships;
}

std::string EscapeAttribute(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out.push_back(c);
        }
    }
    return out;
}

std::string RelationshipsMarkup(const std::vector<Relationship>& relationships, xps::Flavour flavour)
{
    std::string markup = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Relationships xmlns=\"";
    markup += xps::kRelationshipsNamespace;
    markup += "\">\n";
    for (const Relationship& relationship : relationships) {
        markup += "<Relationship Id=\"" + EscapeAttribute(relationship.id) + "\" Type=\"" +
                  EscapeAttribute(xps::ToFlavourVocabulary(relationship.type, flavour)) + "\" Target=\"" +
                  EscapeAttribute(relationship.target) + "\"";
        if (relationship.external) markup += " TargetMode=\"External\"";
        markup += "/>\n";
    }
    markup += "</Relationships>\n";
    return markup;
}

}  // namespace tav::host
