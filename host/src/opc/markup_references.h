// The parts a page's or a resource dictionary's markup refers to: fonts,
// images, colour profiles and remote dictionaries, found in the attributes
// of the elements a consumer of the XPS vocabulary reads.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "opc/sax_attributes.h"

namespace tav::host {

struct MarkupReference {
    std::string uri;        // as written in the markup
    std::string attribute;  // FontUri, ImageSource, Source or the attribute with a ContextColor
};

// The URIs one attribute value refers to: a part URI for FontUri,
// ImageSource (also as {ColorConvertedBitmap image profile}) and, on a
// ResourceDictionary element, Source; and the profile of a ContextColor
// colour in Fill, Stroke or Color. name is the attribute's local name.
void ReferencesOfValue(const char* name, std::string_view value, bool dictionaryElement,
                       std::vector<std::string_view>* uris);

// Collects the references of the elements it is shown, each URI once, in
// order of appearance.
class MarkupReferenceCollector {
public:
    // The attributes of a written element of this local name.
    void Collect(std::string_view local, const SaxAttributes& attributes);
    // One attribute's value, for a reader that has told the attributes
    // apart already and shows only those that may refer to parts (any text,
    // a URI, an image source or a colour): name is its local name, as
    // Collect would pass it.
    void CollectValue(const char* name, std::string_view value, bool dictionaryElement);
    const std::vector<MarkupReference>& References() const { return references_; }

private:
    std::set<std::string, std::less<>> seen_;
    std::string lastUri_;  // the URI found last, seen_ already
    std::vector<MarkupReference> references_;
    std::vector<std::string_view> uris_;  // scratch, kept for its capacity
};

}  // namespace tav::host
