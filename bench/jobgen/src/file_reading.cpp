#include "jobgen/file_reading.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace jobgen {

std::vector<uint8_t> ReadFileBytes(const std::string& path, uintmax_t maxSize)
{
    std::error_code error;
    uintmax_t size = std::filesystem::file_size(path, error);
    if (error) throw std::runtime_error(path + ": cannot open: " + error.message());
    if (size > maxSize)
        throw std::runtime_error(path + ": larger than " + std::to_string(maxSize >> 20) + " MiB, not read");
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
        throw std::runtime_error(path + ": cannot read");
    return bytes;
}

}  // namespace jobgen
