// Reading a zip archive with libzip, with the bounds that keep a hostile
// archive harmless: the number of entries, each entry's and the total
// uncompressed size, the compression ratio, and inflated sizes checked
// against the declared ones while reading. Failures throw ZipError.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "tavzip/archive_limits.h"
#include "tavzip/zip_error.h"

namespace tav::zip {

struct ZipLimits {
    uint64_t maxEntries = kMaxReadEntries;
    uint64_t maxEntrySize = uint64_t{1} << 30;  // 1 GiB uncompressed
    uint64_t maxTotalSize = uint64_t{8} << 30;  // 8 GiB uncompressed in all
    uint64_t maxRatio = 1000;                   // uncompressed : compressed
    uint64_t ratioFloor = uint64_t{1} << 20;    // entries smaller than this are not ratio-checked
};

// Where an entry is, how big it says it is, and how its bytes are stored;
// 32 bytes, as a package holds one per zip entry for the whole job.
struct ZipEntryInfo {
    static constexpr uint16_t kStored = 0;
    static constexpr uint16_t kDeflated = 8;

    uint64_t index = 0;
    uint64_t size = 0;  // declared uncompressed size
    uint64_t compressedSize = 0;
    uint32_t crc = 0;  // declared CRC-32 of the uncompressed bytes
    uint16_t method = kStored;
};

class ZipReader;

// Reads one entry's bytes, forward, in blocks.
class EntryReader {
public:
    ~EntryReader();
    EntryReader(const EntryReader&) = delete;
    EntryReader& operator=(const EntryReader&) = delete;

    // Up to count bytes; fewer only at the end (0 once the end is reached).
    // Throws ZipError under the name the reader was opened with.
    size_t Read(void* buffer, size_t count);

private:
    friend class ZipReader;
    // declaredSize: the uncompressed size, or the compressed one for a
    // reader of the stored bytes.
    EntryReader(std::shared_ptr<const ZipReader> archive, void* file, uint64_t declaredSize, std::string name);

    std::shared_ptr<const ZipReader> archive_;
    void* file_;  // zip_file_t*
    uint64_t declaredSize_;
    uint64_t position_ = 0;
    bool done_ = false;
    std::string name_;
};

class ZipReader : public std::enable_shared_from_this<ZipReader> {
public:
    // Calls onEntry with each entry's raw item name, in directory order.
    // Throws ZipError when the file is no readable zip archive or breaks a
    // limit (naming the entry that breaks it, if one does).
    using EntryVisitor = std::function<void(const std::string& itemName, const ZipEntryInfo& entry)>;
    static std::shared_ptr<ZipReader> Open(const std::string& path, const ZipLimits& limits,
                                           const EntryVisitor& onEntry);
    ~ZipReader();

    // A reader of the entry's uncompressed bytes; name names the entry in
    // its failures. Readers of one archive may be used on different threads.
    std::unique_ptr<EntryReader> OpenEntry(const ZipEntryInfo& entry, const std::string& name) const;
    // A reader of the entry's bytes as the archive stores them (deflated or
    // stored), for copying them unchanged; nothing is checked on the way,
    // StoredEntryCheck does that.
    std::unique_ptr<EntryReader> OpenStoredBytes(const ZipEntryInfo& entry, const std::string& name) const;

private:
    friend class EntryReader;
    ZipReader() = default;

    void* archive_ = nullptr;  // zip_t*
    // libzip shares one file source between the entries of an archive, so
    // every call into it is made under this lock.
    mutable std::mutex lock_;
};

}  // namespace tav::zip
