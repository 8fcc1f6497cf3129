// Where a face lives and its file's bytes: face names are matched by
// fontconfig, files are read once and shared while any font uses them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace tav::text {

struct FontLocation {
    std::string path;
    int index = 0;  // the face in a collection (and, above bit 16, a named instance)
};

// The installed scalable TrueType or OpenType face that fontconfig finds
// closest to family (UTF-8; empty for the default face), weight (100-900)
// and italic, or nothing when no such face is installed. Results are kept,
// so asking again for one face costs a lookup.
std::optional<FontLocation> FindFontFile(const std::string& family, LONG weight, bool italic);

using FontBytes = std::shared_ptr<const std::vector<BYTE>>;

// The bytes of a font file, or null when it cannot be read, is not a
// regular file, or is larger than any font this layer takes (256 MiB).
FontBytes ReadFontFile(const std::string& path);

}  // namespace tav::text
