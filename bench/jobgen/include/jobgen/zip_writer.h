// A streaming zip writer: each entry is compressed and written as it is
// added, so memory holds one entry and the central directory, never the
// archive. The archive is written to a temporary file beside the target and
// renamed into place by Finish(); an archive that is not finished leaves no
// file behind.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <zlib.h>

namespace jobgen {

enum class ZipMethod { Stored, Deflated };

class ZipWriter {
public:
    // Throws std::runtime_error when the file cannot be created.
    explicit ZipWriter(std::string path);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Throws std::runtime_error on a write failure or when the archive would
    // exceed what a zip without Zip64 records can hold (65535 entries, 4 GiB).
    void Add(std::string_view name, std::span<const uint8_t> data, ZipMethod method);
    void Add(std::string_view name, std::string_view text, ZipMethod method = ZipMethod::Deflated);

    // Writes the central directory and moves the archive into place.
    void Finish();

    size_t EntryCount() const { return entries_.size(); }
    uint64_t BytesWritten() const { return offset_; }

private:
    struct Entry {
        std::string name;
        uint32_t crc;
        uint32_t compressedSize;
        uint32_t size;
        uint32_t localHeaderOffset;
        uint16_t method;
    };

    std::span<const uint8_t> Compress(std::span<const uint8_t> data);
    void Write(const void* data, size_t size);
    void Abandon();

    std::string path_;
    std::string temporaryPath_;
    FILE* file_ = nullptr;
    z_stream deflater_{};
    bool deflaterReady_ = false;
    std::vector<uint8_t> compressed_;
    std::vector<uint8_t> header_;
    std::vector<Entry> entries_;
    uint64_t offset_ = 0;
};

}  // namespace jobgen
