#include "jobgen/opc_parts.h"

#include <stdexcept>

#include "jobgen/markup_text.h"
#include "jobgen/xps_vocabulary.h"

namespace jobgen {

namespace {

constexpr const char* kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

void RequireAbsolute(std::string_view partName)
{
    if (!partName.starts_with('/'))
        throw std::invalid_argument("part name without leading '/': " + std::string(partName));
}

}  // namespace

std::string ZipEntryName(std::string_view partName)
{
    RequireAbsolute(partName);
    return std::string(partName.substr(1));
}

std::string RelationshipsPartName(std::string_view partName)
{
    RequireAbsolute(partName);
    size_t slash = partName.rfind('/');
    return std::string(partName.substr(0, slash + 1)) + "_rels/" + std::string(partName.substr(slash + 1)) + ".rels";
}

std::string PieceEntryName(std::string_view partName, int index, bool last)
{
    return ZipEntryName(partName) + "/[" + std::to_string(index) + (last ? "].last.piece" : "].piece");
}

std::string RelationshipsMarkup(const std::vector<Relationship>& relationships)
{
    std::string out = kXmlDeclaration;
    out += "<Relationships xmlns=\"";
    out += kRelationshipsNamespace;
    out += "\">\n";
    int id = 0;
    for (const Relationship& relationship : relationships) {
        out += "<Relationship Id=\"R" + std::to_string(++id) + "\" Type=\"";
        AppendEscaped(out, relationship.type);
        out += "\" Target=\"";
        AppendEscaped(out, relationship.target);
        out += "\"/>\n";
    }
    out += "</Relationships>\n";
    return out;
}

std::string ContentTypesMarkup(const std::vector<ContentTypeDefault>& defaults)
{
    std::string out = kXmlDeclaration;
    out += "<Types xmlns=\"";
    out += kContentTypesNamespace;
    out += "\">\n";
    for (const ContentTypeDefault& entry : defaults) {
        out += "<Default Extension=\"";
        AppendEscaped(out, entry.extension);
        out += "\" ContentType=\"";
        AppendEscaped(out, entry.contentType);
        out += "\"/>\n";
    }
    out += "</Types>\n";
    return out;
}

}  // namespace jobgen
