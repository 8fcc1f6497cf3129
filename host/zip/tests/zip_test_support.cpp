#include "zip_test_support.h"

#include <zip.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace tav::zip::testing {

TemporaryFolder::TemporaryFolder()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tavzip-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TemporaryFolder::Names() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

using Archive = std::unique_ptr<zip_t, decltype(&zip_discard)>;

Archive OpenArchive(const std::string& path, int flags)
{
    int error = 0;
    Archive archive(zip_open(path.c_str(), ZIP_RDONLY | flags, &error), &zip_discard);
    if (!archive) throw std::runtime_error("libzip refuses " + path + ": error " + std::to_string(error));
    return archive;
}

}  // namespace

std::vector<ArchiveEntry> ReadArchive(const std::string& path)
{
    Archive archive = OpenArchive(path, ZIP_CHECKCONS);
    std::vector<ArchiveEntry> entries;
    zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive.get(), i, 0, &stat) != 0) throw std::runtime_error("no entry " + std::to_string(i));
        ArchiveEntry entry{stat.name, stat.comp_method, std::string(stat.size, '\0')};
        zip_file_t* file = zip_fopen_index(archive.get(), i, 0);
        if (file == nullptr) throw std::runtime_error("cannot open the entry " + entry.name);
        zip_int64_t got = zip_fread(file, entry.data.data(), entry.data.size());
        // A read past the end reports a CRC mismatch when there is one.
        char extra;
        zip_int64_t beyond = zip_fread(file, &extra, 1);
        zip_fclose(file);
        if (got != static_cast<zip_int64_t>(entry.data.size()) || beyond != 0) {
            throw std::runtime_error("the entry " + entry.name + " does not read back whole");
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::string> ArchiveNames(const std::string& path)
{
    Archive archive = OpenArchive(path, 0);
    std::vector<std::string> names;
    zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) names.push_back(zip_get_name(archive.get(), i, 0));
    return names;
}

uint32_t Le16At(const std::string& bytes, size_t offset)
{
    return static_cast<unsigned char>(bytes.at(offset)) | static_cast<unsigned char>(bytes.at(offset + 1)) << 8;
}

uint32_t Le32At(const std::string& bytes, size_t offset)
{
    return Le16At(bytes, offset) | Le16At(bytes, offset + 2) << 16;
}

uint64_t Le64At(const std::string& bytes, size_t offset)
{
    return Le32At(bytes, offset) | uint64_t{Le32At(bytes, offset + 4)} << 32;
}

}  // namespace tav::zip::testing
