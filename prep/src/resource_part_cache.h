// ResourcePartCache: the parts the decorations of a job refer to (fonts,
// images), each written into the job once, under the part name chosen the
// first time, and listed as a resource of every page that uses it. It lives
// as long as the filter object (one job).
#pragma once

#include <map>
#include <string>
#include <utility>

#include "page_resource.h"
#include "platform/comobject.h"

class ResourcePartCache {
public:
    // Makes the resource a resource of the page: written through the
    // consumer as a new part the first time its key comes (the part is kept
    // only when it was written completely), then given to the page
    // (SetPagePart). E_POINTER for a null argument; the first failure
    // otherwise, a write that failed leaving no entry, so that a later page
    // tries again.
    HRESULT AddToPage(IXpsDocumentConsumer* consumer, IFixedPage* page, PageResource* resource);

    // A copy of the part name kept under the key for parts of the kind (the
    // interface the part was made with: a font's face name and an image's
    // file name may be the same text). The caller frees it. E_INVALIDARG for
    // an empty key, E_POINTER for a null out, E_FAIL when no part is kept
    // under the key.
    HRESULT Lookup(REFIID kind, const WCHAR* key, BSTR* uri) const;

private:
    struct Entry {
        std::u16string uri;
        ComPtr<IPartBase> part;
    };
    // The kind's interface identifier as bytes, and the key compared by its
    // UTF-16 code units, exactly.
    using Key = std::pair<std::string, std::u16string>;
    static Key KeyOf(REFIID kind, std::u16string key);

    HRESULT WritePart(IXpsDocumentConsumer* consumer, PageResource* resource, BSTR uri, Entry* entry);

    std::map<Key, Entry> entries_;
};
