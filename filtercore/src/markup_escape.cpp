#include "filtercore/markup_escape.h"

namespace {

// The replacement of one character, or null when it is written as it is.
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

void AppendReplacing(std::u16string& out, std::u16string_view text, bool attributeValue)
{
    size_t plainStart = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        // Every character with a replacement lies at or below '>'.
        if (text[i] > u'>') continue;
        const char16_t* entity = EntityFor(text[i], attributeValue);
        if (entity == nullptr) continue;
        out.append(text.substr(plainStart, i - plainStart));
        out.append(entity);
        plainStart = i + 1;
    }
    out.append(text.substr(plainStart));
}

}  // namespace

void AppendEscaped(std::u16string& out, std::u16string_view text) { AppendReplacing(out, text, false); }

void AppendEscapedAttributeValue(std::u16string& out, std::u16string_view text) { AppendReplacing(out, text, true); }
