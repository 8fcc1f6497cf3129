#include "fuzz_support.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/com.h"

namespace tav::fuzz {

void EnsureComApartment()
{
    thread_local bool initialised = false;
    if (initialised) return;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        std::fprintf(stderr, "fuzz: COM could not be initialised\n");
        std::abort();
    }
    initialised = true;
}

std::pair<std::string_view, std::string_view> SplitAtNul(const uint8_t* data, size_t size)
{
    std::string_view all(reinterpret_cast<const char*>(data), size);
    size_t nul = all.find('\0');
    if (nul == std::string_view::npos) return {all, {}};
    return {all.substr(0, nul), all.substr(nul + 1)};
}

InputFile::InputFile(const char* suffix)
{
    const char* folder = std::getenv("TMPDIR");
    path_ = std::string(folder && *folder ? folder : "/tmp") + "/tav-fuzz-" + std::to_string(getpid()) + suffix;
}

InputFile::~InputFile() { unlink(path_.c_str()); }

void InputFile::Write(const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(path_.c_str(), "wb");
    if (!file || (size > 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) {
        std::fprintf(stderr, "fuzz: cannot write %s: %s\n", path_.c_str(), std::strerror(errno));
        std::abort();
    }
}

}  // namespace tav::fuzz
