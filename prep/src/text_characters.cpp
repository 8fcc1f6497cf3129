#include "text_characters.h"

namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::vector<TextCharacter> SplitCharacters(std::u16string_view text)
{
    std::vector<TextCharacter> characters;
    characters.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        // A high surrogate pairs only with a low surrogate after it: one at
        // the end of the text, or before anything else, stands alone.
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            char32_t codePoint = 0x10000 + ((static_cast<char32_t>(text[i]) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            characters.push_back({i, 2, codePoint});
            i += 2;
        } else {
            characters.push_back({i, 1, text[i]});
            ++i;
        }
    }
    return characters;
}

size_t CountCharacters(std::u16string_view text) { return SplitCharacters(text).size(); }
