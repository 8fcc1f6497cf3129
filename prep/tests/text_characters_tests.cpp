// Characters of UTF-16 text: surrogate pairs are one character.
#include <gtest/gtest.h>

#include "text_characters.h"

namespace {

TEST(TextCharacters, ASupplementaryCharacterIsOneCharacterOfTwoUnits)
{
    std::u16string text = u"a\U0001D400b";  // MATHEMATICAL BOLD CAPITAL A: D835 DC00
    ASSERT_EQ(text.size(), 4u);
    std::vector<TextCharacter> characters = SplitCharacters(text);
    ASSERT_EQ(characters.size(), 3u);
    EXPECT_EQ(characters[1].first, 1u);
    EXPECT_EQ(characters[1].units, 2u);
    EXPECT_EQ(characters[1].codePoint, 0x1D400u);  // 0x10000 + (0x35 << 10) + 0
    EXPECT_EQ(characters[2].first, 3u);
    EXPECT_EQ(characters[2].codePoint, U'b');
    EXPECT_EQ(CountCharacters(u"\U0010FFFF\U00010000"), 2u);
}

TEST(TextCharacters, UnpairedSurrogatesStandAlone)
{
    // A high surrogate at the end pairs with nothing past the text.
    std::u16string endsHigh = u"x";
    endsHigh.push_back(0xD835);
    std::vector<TextCharacter> characters = SplitCharacters(endsHigh);
    ASSERT_EQ(characters.size(), 2u);
    EXPECT_EQ(characters[1].units, 1u);
    EXPECT_EQ(characters[1].codePoint, 0xD835u);
    // A high surrogate before a letter, and a low one before a high one.
    std::u16string mixed = {0xD835, u'x', 0xDC00, 0xD835};
    EXPECT_EQ(CountCharacters(mixed), 4u);
    EXPECT_EQ(CountCharacters(u""), 0u);
}

}  // namespace
