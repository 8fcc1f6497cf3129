// Open Packaging Conventions: part names in the zip, relationships parts,
// interleaved pieces and the content types part.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace jobgen {

// The zip entry of a part: its name without the leading '/'.
std::string ZipEntryName(std::string_view partName);

// "/a/b/c.ext" -> "/a/b/_rels/c.ext.rels"; "/" -> "/_rels/.rels".
std::string RelationshipsPartName(std::string_view partName);

// The zip entry of piece `index` of an interleaved part:
// "a/b.ext/[0].piece", ..., the last one "a/b.ext/[N].last.piece".
std::string PieceEntryName(std::string_view partName, int index, bool last);

struct Relationship {
    std::string type;
    std::string target;  // an absolute part name
};

// A relationships part with ids "R1", "R2", ... in the given order.
std::string RelationshipsMarkup(const std::vector<Relationship>& relationships);

struct ContentTypeDefault {
    const char* extension;
    const char* contentType;
};

std::string ContentTypesMarkup(const std::vector<ContentTypeDefault>& defaults);

}  // namespace jobgen
