#include "zip_entries.h"

#include <sys/mman.h>
#include <unistd.h>

#include <stdexcept>

#include <zip.h>

#include "tavzip/zip_writer.h"

namespace tav::fuzz {

std::optional<std::vector<ZipEntry>> ReadZipEntries(const uint8_t* data, size_t size, size_t maxEntryBytes)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(data, size, 0, &error);
    if (!source) return std::nullopt;
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(source);
        return std::nullopt;
    }
    std::vector<ZipEntry> entries;
    bool ok = true;
    zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; ok && i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive, i, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME) ||
            !(stat.valid & ZIP_STAT_SIZE) || stat.size > maxEntryBytes) {
            ok = false;
            break;
        }
        zip_file_t* file = zip_fopen_index(archive, i, 0);
        if (!file) {
            ok = false;
            break;
        }
        ZipEntry entry{stat.name, std::string(stat.size, '\0')};
        zip_int64_t got = stat.size ? zip_fread(file, entry.bytes.data(), stat.size) : 0;
        zip_fclose(file);
        ok = got == static_cast<zip_int64_t>(stat.size);
        if (ok) entries.push_back(std::move(entry));
    }
    zip_discard(archive);
    if (!ok) return std::nullopt;
    return entries;
}

std::optional<std::string> WriteZipEntries(const std::vector<ZipEntry>& entries, bool deflate)
{
    int fd = memfd_create("tav-fuzz-zip", 0);
    if (fd < 0) return std::nullopt;
    int kept = dup(fd);
    if (kept < 0) {
        close(fd);
        return std::nullopt;
    }
    std::optional<std::string> archive;
    try {
        zip::ZipWriter writer(fd, zip::DosTime{});
        for (const ZipEntry& entry : entries) {
            writer.BeginEntry(entry.name, deflate ? 1 : zip::ZipWriter::kStored);
            writer.Write(entry.bytes.data(), entry.bytes.size());
            writer.EndEntry();
        }
        writer.Finish();
        std::string bytes(writer.BytesWritten(), '\0');
        if (pread(kept, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()))
            archive = std::move(bytes);
    } catch (const std::runtime_error&) {
        archive.reset();
    }
    close(kept);
    return archive;
}

}  // namespace tav::fuzz
