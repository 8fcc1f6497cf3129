#include "font_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <deque>
#include <map>
#include <mutex>
#include <string_view>
#include <tuple>

namespace tav::text {
namespace {

constexpr off_t kLargestFontFile = off_t{256} << 20;

bool IsSfntFormat(const FcChar8* format)
{
    std::string_view name = format ? reinterpret_cast<const char*>(format) : "";
    return name == "TrueType" || name == "CFF";
}

// Asks fontconfig; the caller holds the lookup lock.
std::optional<FontLocation> MatchFont(const std::string& family, LONG weight, bool italic)
{
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return std::nullopt;
    if (!family.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    // The whole sorted list: the closest face may be one whose data cannot
    // be read as TrueType or OpenType (a Type 1 or bitmap font).
    FcFontSet* sorted = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
    std::optional<FontLocation> found;
    for (int i = 0; sorted != nullptr && i < sorted->nfont && !found; ++i) {
        FcPattern* candidate = sorted->fonts[i];
        FcChar8* file = nullptr;
        FcChar8* format = nullptr;
        FcBool scalable = FcFalse;
        int index = 0;
        if (FcPatternGetString(candidate, FC_FILE, 0, &file) != FcResultMatch) continue;
        if (FcPatternGetString(candidate, FC_FONTFORMAT, 0, &format) != FcResultMatch || !IsSfntFormat(format))
            continue;
        if (FcPatternGetBool(candidate, FC_SCALABLE, 0, &scalable) == FcResultMatch && !scalable) continue;
        FcPatternGetInteger(candidate, FC_INDEX, 0, &index);
        found = FontLocation{reinterpret_cast<const char*>(file), index};
    }
    if (sorted != nullptr) FcFontSetDestroy(sorted);
    FcPatternDestroy(pattern);
    return found;
}

struct Lookups {
    std::mutex lock;
    bool initialised = false;
    std::map<std::tuple<std::string, LONG, bool>, std::optional<FontLocation>> matches;
    std::map<std::string, std::weak_ptr<const std::vector<BYTE>>> files;
    // The files used last stay loaded although no font holds them: a
    // decoration makes its font anew for every page, and reading a face's
    // whole file again for each would cost more than the page's rewrite.
    std::deque<FontBytes> recent;
};

constexpr size_t kRecentFiles = 4;

// Never destroyed: fonts may be released after static destructors ran.
Lookups& State()
{
    static Lookups* state = new Lookups;
    return *state;
}

FontBytes ReadWholeFile(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    FontBytes result;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 && info.st_size <= kLargestFontFile) {
        auto bytes = std::make_shared<std::vector<BYTE>>(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (done < bytes->size()) {
            ssize_t got = read(fd, bytes->data() + done, bytes->size() - done);
            if (got <= 0) break;
            done += static_cast<size_t>(got);
        }
        if (done == bytes->size()) result = std::move(bytes);
    }
    close(fd);
    return result;
}

}  // namespace

std::optional<FontLocation> FindFontFile(const std::string& family, LONG weight, bool italic)
{
    Lookups& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!state.initialised) {
        if (!FcInit()) return std::nullopt;
        state.initialised = true;
    }
    auto key = std::make_tuple(family, weight, italic);
    auto known = state.matches.find(key);
    if (known != state.matches.end()) return known->second;
    std::optional<FontLocation> found = MatchFont(family, weight, italic);
    state.matches.emplace(std::move(key), found);
    return found;
}

FontBytes ReadFontFile(const std::string& path)
{
    Lookups& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    FontBytes bytes = state.files[path].lock();
    if (!bytes) {
        bytes = ReadWholeFile(path);
        if (!bytes) return nullptr;
        state.files[path] = bytes;
    }
    if (std::find(state.recent.begin(), state.recent.end(), bytes) == state.recent.end()) {
        state.recent.push_front(bytes);
        if (state.recent.size() > kRecentFiles) state.recent.pop_back();
    }
    return bytes;
}

}  // namespace tav::text
