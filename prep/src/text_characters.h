// The characters of a UTF-16 text as the text decorations measure and draw
// them: a surrogate pair is one character, anything else one unit.
#pragma once

#include <string_view>
#include <vector>

struct TextCharacter {
    size_t first;        // index of its first unit
    size_t units;        // 1, or 2 for a surrogate pair
    char32_t codePoint;  // an unpaired surrogate stands for itself
};

std::vector<TextCharacter> SplitCharacters(std::u16string_view text);

// The number of characters: the units less one for each surrogate pair.
size_t CountCharacters(std::u16string_view text);
