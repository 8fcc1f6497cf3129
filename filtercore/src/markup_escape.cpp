#include "filtercore/markup_escape.h"

#include <cstdint>
#include <cstring>

namespace {

// The replacement of a character, or null when it is written as it is.
const char16_t* EntityFor(char16_t c, bool attributeValue)
{
    switch (c) {
    case u'&': return u"&amp;";
    case u'<': return u"&lt;";
    case u'>': return u"&gt;";
    case u'"': return u"&quot;";
    case u'\'': return u"&apos;";
    case u'\t': return attributeValue ? u"&#x9;" : nullptr;
    case u'\n': return attributeValue ? u"&#xA;" : nullptr;
    case u'\r': return attributeValue ? u"&#xD;" : nullptr;
    default: return nullptr;
    }
}

// Eight UTF-16 units compared at once.
using Units = uint16_t __attribute__((vector_size(16)));
constexpr size_t kBlock = sizeof(Units) / sizeof(char16_t);

// Whether any of the eight units at text has a replacement. Digits, commas
// and blanks, most of page markup, lie near the characters that have one:
// comparing a block with each of them costs less than a branch per unit.
template <bool attributeValue>
bool BlockHasReplacement(const char16_t* text)
{
    Units units;
    std::memcpy(&units, text, sizeof units);
    // The characters as the vector's own unit type: clang 14 fails on a
    // char16_t compared with a vector of uint16_t.
    Units found = (units == uint16_t{u'&'}) | (units == uint16_t{u'<'}) | (units == uint16_t{u'>'}) |
                  (units == uint16_t{u'"'}) | (units == uint16_t{u'\''});
    if constexpr (attributeValue)
        found |= (units == uint16_t{u'\t'}) | (units == uint16_t{u'\n'}) | (units == uint16_t{u'\r'});
    uint64_t halves[2];
    std::memcpy(halves, &found, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}

template <bool attributeValue>
void AppendReplacing(std::u16string& out, std::u16string_view text)
{
    size_t plainStart = 0;
    size_t i = 0;
    while (i < text.size()) {
        if (text.size() - i >= kBlock && !BlockHasReplacement<attributeValue>(text.data() + i)) {
            i += kBlock;
            continue;
        }
        // A block with a replacement, or the last units: one at a time.
        for (size_t end = i + std::min(kBlock, text.size() - i); i < end; ++i) {
            const char16_t* entity = EntityFor(text[i], attributeValue);
            if (entity == nullptr) continue;
            out.append(text.substr(plainStart, i - plainStart));
            out.append(entity);
            plainStart = i + 1;
        }
    }
    out.append(text.substr(plainStart));
}

}  // namespace

void AppendEscaped(std::u16string& out, std::u16string_view text) { AppendReplacing<false>(out, text); }

void AppendEscapedAttributeValue(std::u16string& out, std::u16string_view text) { AppendReplacing<true>(out, text); }
