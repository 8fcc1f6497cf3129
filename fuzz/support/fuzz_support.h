// What the fuzz targets share: COM on the fuzzing thread, an input split in
// two at its first NUL byte (markup never holds one), and inputs that the
// code under test only takes as files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace tav::fuzz {

// Initialises COM as a single-threaded apartment on the calling thread,
// once; it stays initialised for the life of the process.
void EnsureComApartment();

// The bytes before the first NUL and those after it; the second is empty
// when there is no NUL.
std::pair<std::string_view, std::string_view> SplitAtNul(const uint8_t* data, size_t size);

// A file of this process that each Write replaces, for code that opens its
// input by path. Removed when the process ends normally.
class InputFile {
public:
    explicit InputFile(const char* suffix);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Aborts when the file cannot be written: a fuzzer that cannot feed its
    // input must not report inputs as passing.
    void Write(const uint8_t* data, size_t size);
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace tav::fuzz
