// Relationship parts ("_rels/NAME.rels"): reading them, with targets resolved
// to canonical part names and OpenXPS types translated, and writing them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "content/byte_reader.h"
#include "opc/xps_names.h"

namespace tav::host {

struct Relationship {
    std::string id;
    std::string type;    // 2005/06 spelling
    std::string target;  // canonical part name, or the raw URI when external
    bool external = false;
};

// Parses the relationships of sourceName. Throws PackageError for malformed
// markup, missing attributes, duplicate Ids or internal targets that are no
// part names.
std::vector<Relationship> ParseRelationships(std::unique_ptr<ByteReader> source, const std::string& sourceName,
                                             const std::string& relationshipsPartName);

// Markup of a relationships part; targets are written as absolute part
// names, types in the spelling of flavour.
std::string RelationshipsMarkup(const std::vector<Relationship>& relationships, xps::Flavour flavour);

// Escapes text for an XML attribute value in double quotes.
std::string EscapeAttribute(const std::string& text);

}  // namespace tav::host
