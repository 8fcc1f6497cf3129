// [Content_Types].xml: Default entries by extension and Override entries by
// part name, read from a package and built for a package being written.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "content/byte_reader.h"

namespace tav::host {

class ContentTypes {
public:
    static constexpr const char* kPartName = "/[Content_Types].xml";

    // Throws PackageError for malformed markup or entries.
    static ContentTypes Parse(std::unique_ptr<ByteReader> source);

    // The content type of a part: its Override, else the Default of its
    // extension, else "" (none).
    std::string Lookup(const std::string& canonicalName) const;

private:
    std::map<std::string, std::string> defaults_;   // by lower-case extension
    std::map<std::string, std::string> overrides_;  // by part name key
};

}  // namespace tav::host
