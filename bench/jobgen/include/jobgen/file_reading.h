// Reading a whole file of bounded size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace jobgen {

// Throws std::runtime_error naming the file when it cannot be read or is
// larger than `maxSize` bytes.
std::vector<uint8_t> ReadFileBytes(const std::string& path, uintmax_t maxSize);

}  // namespace jobgen
