// Writing a zip archive entry by entry, streaming: each entry's bytes are
// deflated through a fixed buffer and written as they come, and its CRC and
// sizes are patched into its local header when it ends, so memory never
// holds an entry. The central directory goes to a directory buffer and is
// written at the end, with Zip64 records where the archive needs them
// (65535 entries or more, entries or a directory that start past 4 GiB, a
// directory of 4 GiB or more).
//
// Written on zlib rather than libzip because libzip keeps every entry's data
// until zip_close; the archive is a regular file, so local headers can be
// patched in place and no data descriptors are needed, which every reader
// understands.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tavzip/directory_buffer.h"
#include "tavzip/dos_time.h"

namespace tav::zip {

class ZipWriter {
public:
    static constexpr int kStored = -1;
    // An entry's compressed and uncompressed sizes must stay below this
    // (entries use 32-bit local headers).
    static constexpr uint64_t kMaxEntrySize = 0xFFFFFFFEu;

    // Takes ownership of fd, a new regular file open for writing. Every
    // entry is stamped with modified.
    ZipWriter(int fd, DosTime modified, std::unique_ptr<DirectoryBuffer> directory = MemoryDirectory());
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // level: kStored, or a zlib level 1 to 9. Throws std::runtime_error on
    // a bad name, a too large entry or a write failure, here and below;
    // std::logic_error when called out of order.
    void BeginEntry(const std::string& itemName, int level);
    // An entry copied as another archive stores it: Write then takes the
    // stored bytes, which are put as they are, and EndEntry checks that
    // exactly compressedSize of them came. The caller vouches for the CRC.
    struct StoredEntry {
        uint16_t method = 0;  // 0 stored, 8 deflated
        uint32_t crc = 0;
        uint64_t size = 0;
        uint64_t compressedSize = 0;
    };
    void BeginStoredEntry(const std::string& itemName, const StoredEntry& stored);
    void Write(const void* bytes, size_t count);
    void EndEntry();
    // Writes the central directory and closes the file.
    void Finish();

    uint64_t EntryCount() const { return entryCount_; }
    // Bytes of the archive so far (all of it once finished).
    uint64_t BytesWritten() const { return offset_; }

private:
    void Put(const void* bytes, size_t count);
    void Flush();
    // Overwrites bytes of the archive already put, at offset at.
    void PatchLocalHeader(const std::string& fields, uint64_t at);
    void StartEntry(const std::string& itemName, uint16_t method);
    void Deflate(const void* bytes, size_t count, int flush);
    void CheckOpen() const;

    int fd_;
    DosTime modified_;
    uint64_t offset_ = 0;  // bytes written or buffered so far
    std::vector<unsigned char> buffer_;
    std::unique_ptr<DirectoryBuffer> directory_;
    uint64_t directorySize_ = 0;
    uint64_t entryCount_ = 0;

    struct OpenEntry;
    std::unique_ptr<OpenEntry> entry_;
    struct Deflater;
    std::unique_ptr<Deflater> deflater_;
};

}  // namespace tav::zip
