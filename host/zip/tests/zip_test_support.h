// Helpers of the zip writer's tests: a temporary folder, and archives read
// back with libzip, independently of the writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tav::zip::testing {

// A new empty folder, removed with what it holds.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // The names in the folder, sorted.
    std::vector<std::string> Names() const;

private:
    std::string path_;
};

std::string ReadFile(const std::string& path);

struct ArchiveEntry {
    std::string name;
    int method = -1;  // ZIP_CM_STORE or ZIP_CM_DEFLATE
    std::string data;
};
// Every entry in directory order, each inflated and checked by libzip
// against its CRC and size. Throws std::runtime_error when libzip refuses
// the archive or an entry.
std::vector<ArchiveEntry> ReadArchive(const std::string& path);
// The entry names as libzip reads them from the central directory alone
// (cheap for archives of very many entries).
std::vector<std::string> ArchiveNames(const std::string& path);

// Little-endian fields of a byte string.
uint32_t Le16At(const std::string& bytes, size_t offset);
uint32_t Le32At(const std::string& bytes, size_t offset);
uint64_t Le64At(const std::string& bytes, size_t offset);

}  // namespace tav::zip::testing
