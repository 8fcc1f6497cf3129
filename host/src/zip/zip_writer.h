// Writing a zip archive entry by entry, streaming: each entry's bytes are
// deflated through a fixed buffer and written as they come, and its CRC and
// sizes are patched into its local header when it ends, so memory never
// holds an entry. The central directory is collected in a spill buffer and
// written at the end (with zip64 records when the archive needs them).
//
// Written on zlib rather than libzip because libzip keeps every entry's data
// until zip_close; the archive is a regular file (a temporary one beside the
// final output), so local headers can be patched in place and no data
// descriptors are needed, which every reader understands.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "package/spill_buffer.h"

namespace tav::host {

class ZipWriter {
public:
    static constexpr int kStored = -1;
    // An entry's compressed and uncompressed sizes must stay below this
    // (entries use 32-bit local headers; parts are far smaller anyway).
    static constexpr uint64_t kMaxEntrySize = 0xFFFFFFFEu;

    // Takes ownership of fd, a new regular file open for writing.
    explicit ZipWriter(int fd);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // level: kStored, or a zlib level 1 to 9. Throws std::runtime_error on
    // write failures, here and below.
    void BeginEntry(const std::string& itemName, int level);
    void Write(const void* bytes, size_t count);
    void EndEntry();
    // Writes the central directory and closes the file.
    void Finish();

private:
    void Put(const void* bytes, size_t count);
    void Flush();
    void Deflate(const void* bytes, size_t count, int flush);

    int fd_;
    uint64_t offset_ = 0;  // bytes written or buffered so far
    std::vector<unsigned char> buffer_;
    SpillBuffer directory_;
    uint64_t entryCount_ = 0;

    struct OpenEntry;
    std::unique_ptr<OpenEntry> entry_;
    uint16_t dosTime_ = 0;
    uint16_t dosDate_ = 0;
};

}  // namespace tav::host
