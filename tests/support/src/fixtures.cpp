#include "testsupport/fixtures.h"

#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace testsupport {

namespace {

constexpr zip_uint64_t kMaxEntrySize = 16u << 20;

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct FileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

}  // namespace

std::string FixturesFolder()
{
    const char* variable = std::getenv("TAV_FIXTURES");
    std::filesystem::path folder = variable != nullptr ? variable : "../shared/fixtures";
    std::error_code error;
    return std::filesystem::is_directory(folder, error) ? folder.string() : std::string();
}

bool ReadPackageEntry(const std::string& packagePath, const std::string& entry, std::string* content)
{
    int error = 0;
    std::unique_ptr<zip_t, ArchiveCloser> archive(zip_open(packagePath.c_str(), ZIP_RDONLY, &error));
    if (!archive) return false;
    zip_stat_t stat;
    if (zip_stat(archive.get(), entry.c_str(), 0, &stat) != 0 || (stat.valid & ZIP_STAT_SIZE) == 0 ||
        stat.size > kMaxEntrySize)
        return false;
    std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen(archive.get(), entry.c_str(), 0));
    if (!file) return false;
    content->resize(stat.size);
    return zip_fread(file.get(), content->data(), stat.size) == static_cast<zip_int64_t>(stat.size);
}

bool ReadFixtureEntry(const std::string& package, const std::string& entry, std::string* content)
{
    std::string folder = FixturesFolder();
    return !folder.empty() && ReadPackageEntry(folder + "/" + package, entry, content);
}

}  // namespace testsupport
