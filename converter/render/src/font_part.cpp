#include "font_part.h"

#include <cctype>
#include <charconv>

namespace tav::render {

namespace {

int Hex(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view FileStem(std::string_view partName)
{
    size_t slash = partName.find_last_of('/');
    if (slash != std::string_view::npos) partName.remove_prefix(slash + 1);
    size_t dot = partName.find_last_of('.');
    if (dot != std::string_view::npos) partName = partName.substr(0, dot);
    if (partName.starts_with("{") && partName.ends_with("}")) partName = partName.substr(1, partName.size() - 2);
    return partName;
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix)
{
    if (text.size() < suffix.size()) return false;
    for (size_t i = 0; i < suffix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - suffix.size() + i])) != suffix[i]) return false;
    return true;
}

}  // namespace

Parsed<FontReference> ParseFontUri(std::string_view uri)
{
    Parsed<FontReference> result;
    size_t hash = uri.find('#');
    result.value.part = std::string(uri.substr(0, hash));
    if (result.value.part.empty()) return Parsed<FontReference>::Fail("FontUri names no part");
    if (hash != std::string_view::npos) {
        std::string_view fragment = uri.substr(hash + 1);
        auto [end, error] = std::from_chars(fragment.data(), fragment.data() + fragment.size(), result.value.face);
        if (fragment.empty() || error != std::errc() || end != fragment.data() + fragment.size() ||
            result.value.face > 65535)
            return Parsed<FontReference>::Fail("FontUri fragment '" + std::string(fragment) + "' is not a face number");
    }
    return result;
}

bool ObfuscationKey(std::string_view partName, uint8_t key[16])
{
    std::string_view stem = FileStem(partName);
    uint8_t pairs[16];
    size_t count = 0;
    for (size_t i = 0; i < stem.size();) {
        if (stem[i] == '-') {
            ++i;
            continue;
        }
        if (count == 16 || i + 1 >= stem.size()) return false;
        int high = Hex(stem[i]), low = Hex(stem[i + 1]);
        if (high < 0 || low < 0) return false;
        pairs[count++] = static_cast<uint8_t>(high * 16 + low);
        i += 2;
    }
    if (count != 16) return false;
    for (size_t i = 0; i < 16; ++i) key[i] = pairs[15 - i];
    return true;
}

bool LooksObfuscated(std::string_view partName, const std::vector<uint8_t>& data)
{
    uint8_t key[16];
    bool named = EndsWithIgnoringCase(partName, ".odttf") || ObfuscationKey(partName, key);
    if (!named || data.size() < 4) return named;
    // Some writers name plain fonts like obfuscated ones: a part that starts
    // like a font file is one.
    uint32_t tag = static_cast<uint32_t>(data[0]) << 24 | data[1] << 16 | data[2] << 8 | data[3];
    return tag != 0x00010000 && tag != 0x74727565 /* true */ && tag != 0x4F54544F /* OTTO */ &&
           tag != 0x74746366 /* ttcf */;
}

Parsed<bool> Deobfuscate(std::string_view partName, std::vector<uint8_t>* data)
{
    uint8_t key[16];
    if (!ObfuscationKey(partName, key)) return Parsed<bool>::Fail("the obfuscated font's part name holds no GUID");
    if (data->size() < 32) return Parsed<bool>::Fail("the obfuscated font is shorter than 32 bytes");
    for (size_t i = 0; i < 32; ++i) (*data)[i] ^= key[i % 16];
    return {true, {}};
}

}  // namespace tav::render
