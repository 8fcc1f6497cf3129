#include "opc/markup_references.h"

#include "opc/xml_tokens.h"

namespace tav::host {
namespace {

// Compares a name of libxml2's, which most often differs in its first
// letters, without measuring it first.
bool NameIs(const char* name, std::string_view expected)
{
    for (char c : expected) {
        if (*name++ != c) return false;
    }
    return *name == '\0';
}

}  // namespace

void ReferencesOfValue(const char* name, std::string_view value, bool dictionaryElement,
                       std::vector<std::string_view>* uris)
{
    // Most attributes are none of these: they are told apart before
    // anything is trimmed or compared at length.
    size_t first = 0;
    while (first < value.size() &&
           (value[first] == ' ' || value[first] == '\t' || value[first] == '\r' || value[first] == '\n')) {
        ++first;
    }
    if (first == value.size()) return;
    // Only the colour attributes hold colours: "ContextColor" in text (a
    // UnicodeString) names no profile.
    bool mayBeColor = value[first] == 'C' && (NameIs(name, "Fill") || NameIs(name, "Stroke") || NameIs(name, "Color"));
    bool mayBePart =
        NameIs(name, "FontUri") || (dictionaryElement && NameIs(name, "Source")) || NameIs(name, "ImageSource");
    if (!mayBeColor && !mayBePart) return;
    value = value.substr(first, value.find_last_not_of(" \t\r\n") - first + 1);
    if (value.substr(0, 13) == "ContextColor ") {
        std::vector<std::string_view> tokens = XmlTokens(value.substr(13));
        if (!tokens.empty()) uris->push_back(tokens[0]);
        return;
    }
    if (!mayBePart) return;
    if (name[0] != 'I' || value.front() != '{') {
        uris->push_back(value);
    } else if (value.substr(0, 21) == "{ColorConvertedBitmap" && value.back() == '}') {
        for (std::string_view token : XmlTokens(value.substr(21, value.size() - 22))) uris->push_back(token);
    }
}

void MarkupReferenceCollector::Collect(std::string_view local, const SaxAttributes& attributes)
{
    bool dictionary = local == "ResourceDictionary";
    for (int i = 0; i < attributes.Count(); ++i) {
        if (!attributes.HasNamespace(i)) CollectValue(attributes.LocalName(i), attributes.Value(i), dictionary);
    }
}

void MarkupReferenceCollector::CollectValue(const char* name, std::string_view value, bool dictionaryElement)
{
    uris_.clear();
    ReferencesOfValue(name, value, dictionaryElement, &uris_);
    for (std::string_view uri : uris_) {
        // Most URIs are seen many times, mostly one after the other (the
        // font of a run of Glyphs): the last one is compared first, then
        // the others are looked up before anything is added.
        if (uri == lastUri_) continue;
        lastUri_.assign(uri);
        if (seen_.find(uri) != seen_.end()) continue;
        seen_.emplace(uri);
        references_.push_back({std::string(uri), name});
    }
}

}  // namespace tav::host
