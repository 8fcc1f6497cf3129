#include "filtercore/page_frame.h"

#include <new>
#include <string>
#include <string_view>

#include "filtercore/com_object_base.h"
#include "filtercore/page_rewrite.h"
#include "filtercore/raised_result.h"
#include "sax_attribute_access.h"

namespace {

// Keeps the frame of the document's root and stops the parse there: the rest
// of the page is of no interest.
class FrameReader final : public ComObjectBase<ISAXContentHandler> {
public:
    // What the handler returns to stop the reader once it has the root.
    static constexpr HRESULT kStop = E_ABORT;

    FrameReader() : ComObjectBase(IID_ISAXContentHandler) {}

    HRESULT putDocumentLocator(ISAXLocator*) override { return S_OK; }
    HRESULT startDocument() override { return S_OK; }
    HRESULT endDocument() override { return S_OK; }
    HRESULT startPrefixMapping(const WCHAR*, int, const WCHAR*, int) override { return S_OK; }
    HRESULT endPrefixMapping(const WCHAR*, int) override { return S_OK; }
    HRESULT startElement(const WCHAR* namespaceUri, int namespaceUriLength, const WCHAR* localName, int localNameLength,
                         const WCHAR*, int, ISAXAttributes* attributes) override
    {
        std::u16string_view uri, local;
        if (!ViewOf(namespaceUri, namespaceUriLength, &uri) || !ViewOf(localName, localNameLength, &local))
            return E_INVALIDARG;
        rootRead = true;
        if (local != u"FixedPage" || !IsPageNamespace(uri)) return kStop;
        return CatchRaised([&] {
            frame = FrameFromAttributes(attributes);
            fixedPage = true;
            return kStop;
        });
    }
    HRESULT endElement(const WCHAR*, int, const WCHAR*, int, const WCHAR*, int) override { return S_OK; }
    HRESULT characters(const WCHAR*, int) override { return S_OK; }
    HRESULT ignorableWhitespace(const WCHAR*, int) override { return S_OK; }
    HRESULT processingInstruction(const WCHAR*, int, const WCHAR*, int) override { return S_OK; }
    HRESULT skippedEntity(const WCHAR*, int) override { return S_OK; }

    FixedPageFrame frame;
    bool rootRead = false;
    bool fixedPage = false;
};

}  // namespace

FixedPageFrame FrameFromAttributes(ISAXAttributes* attributes)
{
    FixedPageFrame frame;
    int count = AttributeCount(attributes);
    std::u16string text;
    for (int i = 0; i < count; ++i) {
        std::u16string_view name, value;
        if (!AttributeAt(attributes, i, &name, &value)) continue;
        // The parsers read zero-terminated text, and the reader's values are not.
        text.assign(value);
        if (name == u"Width") {
            frame.width = ParseMarkupNumber(text.c_str());
        } else if (name == u"Height") {
            frame.height = ParseMarkupNumber(text.c_str());
        } else if (name == u"ContentBox") {
            ParseBox(text.c_str(), frame.contentBox.emplace());
        } else if (name == u"BleedBox") {
            ParseBox(text.c_str(), frame.bleedBox.emplace());
        }
    }
    return frame;
}

HRESULT ReadFixedPageFrame(IFixedPage* page, FixedPageFrame* frame)
{
    if (page == nullptr || frame == nullptr) return E_POINTER;
    auto reader = ComPtr<FrameReader>::Adopt(new (std::nothrow) FrameReader);
    if (!reader) return E_OUTOFMEMORY;
    // The start tag is seldom far into the page: what the part inflates for
    // it is read in small blocks.
    constexpr ULONG kHeadBlock = 4096;
    HRESULT hr = ParsePageMarkup(page, reader.Get(), kHeadBlock);
    if (!reader->rootRead) return FAILED(hr) ? hr : E_FAIL;
    if (hr != FrameReader::kStop && FAILED(hr)) return hr;
    if (!reader->fixedPage) return E_FAIL;
    *frame = reader->frame;
    return S_OK;
}
