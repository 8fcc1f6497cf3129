#include "resource_part_cache.h"

#include "filtercore/owned_bstr.h"
#include "filtercore/raised_result.h"

namespace {

std::u16string TextOf(BSTR text)
{
    return text == nullptr ? std::u16string() : std::u16string(text, SysStringLen(text));
}

}  // namespace

HRESULT ResourcePartCache::AddToPage(IXpsDocumentConsumer* consumer, IFixedPage* page, PageResource* resource)
{
    if (consumer == nullptr || page == nullptr || resource == nullptr) return E_POINTER;
    return CatchRaised([&] {
        OwnedBstr key;
        OwnedBstr uri;
        HRESULT hr = resource->GetKey(key.Out());
        if (SUCCEEDED(hr)) hr = resource->GetPartUri(uri.Out());
        if (FAILED(hr)) return hr;

        Key cacheKey = KeyOf(resource->PartInterface(), TextOf(key.Get()));
        auto found = entries_.find(cacheKey);
        if (found == entries_.end()) {
            Entry entry;
            hr = WritePart(consumer, resource, uri.Get(), &entry);
            if (FAILED(hr)) return hr;
            found = entries_.emplace(std::move(cacheKey), std::move(entry)).first;
        }
        return page->SetPagePart(found->second.part.Get());
    });
}

HRESULT ResourcePartCache::WritePart(IXpsDocumentConsumer* consumer, PageResource* resource, BSTR uri, Entry* entry)
{
    ComPtr<IUnknown> part;
    ComPtr<IPrintWriteStream> stream;
    HRESULT hr = consumer->GetNewEmptyPart(uri, resource->PartInterface(), part.OutVoid(), stream.Out());
    if (FAILED(hr)) return hr;
    if (!part || !stream) return E_POINTER;
    hr = resource->WriteContent(part.Get(), stream.Get());
    stream->Close();
    if (FAILED(hr)) return hr;
    hr = part.As(IID_IPartBase, &entry->part);
    if (FAILED(hr)) return hr;
    entry->uri = TextOf(uri);
    return S_OK;
}

ResourcePartCache::Key ResourcePartCache::KeyOf(REFIID kind, std::u16string key)
{
    return {std::string(reinterpret_cast<const char*>(&kind), sizeof kind), std::move(key)};
}

HRESULT ResourcePartCache::Lookup(REFIID kind, const WCHAR* key, BSTR* uri) const
{
    if (key == nullptr || key[0] == 0) return E_INVALIDARG;
    if (uri == nullptr) return E_POINTER;
    *uri = nullptr;
    return CatchRaised([&] {
        auto found = entries_.find(KeyOf(kind, key));
        if (found == entries_.end() || found->second.uri.empty()) return E_FAIL;
        *uri = SysAllocStringLen(found->second.uri.data(), static_cast<UINT>(found->second.uri.size()));
        return *uri != nullptr ? S_OK : E_OUTOFMEMORY;
    });
}
