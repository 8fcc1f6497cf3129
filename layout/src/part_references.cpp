#include "part_references.h"

#include <vector>

namespace {

bool HasScheme(std::u16string_view reference)
{
    size_t colon = reference.find(u':');
    if (colon == std::u16string_view::npos || colon == 0) return false;
    for (size_t i = 0; i < colon; ++i) {
        char16_t c = reference[i];
        bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        bool other = (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
        if (!letter && !(i > 0 && other)) return false;
    }
    return true;
}

bool IsRelative(std::u16string_view reference)
{
    return !reference.empty() && reference.front() != u'/' && !HasScheme(reference);
}

// The blank-separated words of text, with their positions.
std::vector<std::pair<size_t, size_t>> Words(std::u16string_view text)
{
    std::vector<std::pair<size_t, size_t>> words;
    size_t at = 0;
    while (at < text.size()) {
        size_t start = text.find_first_not_of(u" \t\r\n", at);
        if (start == std::u16string_view::npos) break;
        size_t end = text.find_first_of(u" \t\r\n", start);
        if (end == std::u16string_view::npos) end = text.size();
        words.emplace_back(start, end - start);
        at = end;
    }
    return words;
}

// value with the words from index first on (at most count of them) made
// absolute; nothing when none was relative.
std::optional<std::u16string> RebaseWords(std::u16string_view partName, std::u16string_view value, size_t first,
                                          size_t count)
{
    std::vector<std::pair<size_t, size_t>> words = Words(value);
    std::u16string result;
    size_t copied = 0;
    bool changed = false;
    for (size_t i = first; i < words.size() && i < first + count; ++i) {
        std::u16string_view word = value.substr(words[i].first, words[i].second);
        if (word.back() == u'}') word.remove_suffix(1);
        if (!IsRelative(word)) continue;
        result.append(value.substr(copied, words[i].first - copied));
        result += AbsolutePartReference(partName, word);
        copied = words[i].first + word.size();
        changed = true;
    }
    if (!changed) return std::nullopt;
    result.append(value.substr(copied));
    return result;
}

}  // namespace

std::u16string AbsolutePartReference(std::u16string_view partName, std::u16string_view reference)
{
    if (!IsRelative(reference)) return std::u16string(reference);
    size_t slash = partName.rfind(u'/');
    std::u16string_view folder = slash == std::u16string_view::npos ? std::u16string_view() : partName.substr(0, slash);
    std::vector<std::u16string_view> segments;
    auto addSegments = [&segments](std::u16string_view path, bool last) {
        size_t at = 0;
        while (at <= path.size()) {
            size_t end = path.find(u'/', at);
            if (end == std::u16string_view::npos) end = path.size();
            std::u16string_view segment = path.substr(at, end - at);
            if (segment == u"..") {
                if (!segments.empty()) segments.pop_back();
            } else if (!segment.empty() && segment != u".") {
                segments.push_back(segment);
            } else if (last && end == path.size() && segment.empty() && !segments.empty()) {
                // A reference ending in "/" names a folder; keep it so.
                segments.push_back(segment);
            }
            at = end + 1;
        }
    };
    addSegments(folder, false);
    addSegments(reference, true);
    std::u16string absolute;
    for (std::u16string_view segment : segments) {
        absolute += u'/';
        absolute += segment;
    }
    return absolute.empty() ? std::u16string(u"/") : absolute;
}

std::optional<std::u16string> AbsoluteReferencesIn(std::u16string_view partName, std::u16string_view attribute,
                                                   std::u16string_view value)
{
    // Every attribute of a page passes here, path data included: only the
    // start of the value is looked at until it is known to hold a reference.
    size_t first = value.find_first_not_of(u" \t\r\n");
    if (first == std::u16string_view::npos) return std::nullopt;
    std::u16string_view start = value.substr(first);
    constexpr std::u16string_view kContextColor = u"ContextColor";
    if (start.starts_with(kContextColor) && start.size() > kContextColor.size() &&
        (start[kContextColor.size()] == u' ' || start[kContextColor.size()] == u'\t'))
        return RebaseWords(partName, value, 1, 1);
    bool plainReference =
        attribute == u"FontUri" || attribute == u"Source" || (attribute == u"ImageSource" && start.front() != u'{');
    if (plainReference) return IsRelative(start) ? RebaseWords(partName, value, 0, 1) : std::nullopt;
    if (attribute == u"ImageSource" && start.starts_with(u"{ColorConvertedBitmap"))
        return RebaseWords(partName, value, 1, 2);
    return std::nullopt;
}
