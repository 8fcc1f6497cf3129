// A generated job's zip archive: the shared streaming writer, written to a
// temporary file beside the target and renamed into place by Finish(); an
// archive that is not finished leaves no file behind. Every entry carries
// the same fixed time, so that the same job gives the same bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "tavzip/output_file.h"
#include "tavzip/zip_writer.h"

namespace jobgen {

enum class ZipMethod { Stored, Deflated };

class ZipWriter {
public:
    // Throws std::runtime_error when the file cannot be created.
    explicit ZipWriter(std::string path);

    // Throws std::runtime_error on a bad name, an entry of 4 GiB or more, or
    // a write failure; the message names the archive.
    void Add(std::string_view name, std::span<const uint8_t> data, ZipMethod method);
    void Add(std::string_view name, std::string_view text, ZipMethod method = ZipMethod::Deflated);

    // Writes the central directory and moves the archive into place.
    void Finish();

    size_t EntryCount() const { return static_cast<size_t>(zip_.EntryCount()); }
    uint64_t BytesWritten() const { return zip_.BytesWritten(); }

private:
    std::string path_;
    tav::zip::OutputFile file_;
    tav::zip::ZipWriter zip_;
};

}  // namespace jobgen
