// A zip archive as a list of named entries, for the package fuzzer's
// mutator: read from bytes with libzip, written back with the host's own
// zip writer, so that mutations land inside entries (markup, tickets,
// relationships) instead of breaking the archive on the first byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tav::fuzz {

struct ZipEntry {
    std::string name;
    std::string bytes;
};

// The entries of the archive, in directory order; nothing when libzip cannot
// read it or an entry is larger than maxEntryBytes.
std::optional<std::vector<ZipEntry>> ReadZipEntries(const uint8_t* data, size_t size, size_t maxEntryBytes);

// The archive of the entries, stored or deflated; nothing when an entry
// name is one the writer refuses.
std::optional<std::string> WriteZipEntries(const std::vector<ZipEntry>& entries, bool deflate);

}  // namespace tav::fuzz
