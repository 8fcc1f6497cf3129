#include "jobgen/font_resource.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <stdexcept>

#include "jobgen/file_reading.h"
#include "jobgen/program_runner.h"

namespace jobgen {

namespace {

constexpr const char* kDejaVuSansPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr uintmax_t kMaxFontSize = 64u << 20;

bool IsTrueTypePath(std::string_view path)
{
    return path.ends_with(".ttf") || path.ends_with(".TTF") || path.ends_with(".otf");
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The key bytes in the order the GUID's text shows them.
std::array<uint8_t, 16> GuidTextBytes(std::string_view guid)
{
    std::array<uint8_t, 16> bytes{};
    size_t digits = 0;
    for (char c : guid) {
        if (c == '-' || c == '{' || c == '}') continue;
        int value = HexValue(c);
        if (value < 0 || digits == 32) throw std::invalid_argument("malformed GUID: " + std::string(guid));
        bytes[digits / 2] = static_cast<uint8_t>(bytes[digits / 2] << 4 | value);
        ++digits;
    }
    if (digits != 32) throw std::invalid_argument("malformed GUID: " + std::string(guid));
    return bytes;
}

}  // namespace

std::string FindDefaultFont()
{
    if (std::filesystem::is_regular_file(kDejaVuSansPath)) return kDejaVuSansPath;
    if (FindProgram("fc-match").empty())
        throw std::runtime_error(std::string("no font: ") + kDejaVuSansPath +
                                 " is missing and fc-match is not installed");
    ProgramResult match = RunProgram({"fc-match", "-f", "%{file}", "DejaVu Sans:style=Book"});
    if (match.exitStatus != 0 || !IsTrueTypePath(match.output) || !std::filesystem::is_regular_file(match.output))
        throw std::runtime_error(std::string("no font: ") + kDejaVuSansPath +
                                 " is missing and fc-match found no TrueType font for DejaVu Sans");
    return match.output;
}

std::vector<uint8_t> LoadFontFile(const std::string& path)
{
    std::vector<uint8_t> font = ReadFileBytes(path, kMaxFontSize);
    // sfnt version 1.0 (TrueType outlines) or 'OTTO' (CFF outlines).
    static constexpr uint8_t kTrueType[4] = {0, 1, 0, 0};
    static constexpr uint8_t kOpenType[4] = {'O', 'T', 'T', 'O'};
    bool recognised = font.size() >= 32 && (std::equal(kTrueType, kTrueType + 4, font.begin()) ||
                                            std::equal(kOpenType, kOpenType + 4, font.begin()));
    if (!recognised) throw std::runtime_error(path + ": not a TrueType or OpenType font");
    return font;
}

void ObfuscateFont(std::vector<uint8_t>& font, std::string_view guid)
{
    std::array<uint8_t, 16> key = GuidTextBytes(guid);
    if (font.size() < 32) throw std::invalid_argument("font shorter than the 32 bytes obfuscation covers");
    // Byte i of each 16-byte block is combined with the key's bytes taken
    // from the end of the GUID's text backwards.
    for (size_t i = 0; i < 32; ++i) font[i] ^= key[15 - i % 16];
}

}  // namespace jobgen
