// PageDecoration: something added to a page's markup (a text or bitmap
// watermark, a header/footer line). The fragment is built for a page
// (Render) as a small DOM tree in the decoration's own document, and the
// parts it refers to are added to the page through the job's
// ResourcePartCache (PrepareResources). The page rewriter places the
// fragment in the page's markup: GetMarkup(0) after the content when
// DrawsOverContent, GetMarkup(1), the under-content copy, before it when
// DrawsUnderContent.
//
// A decoration may serve several pages in turn: the fragment and its text
// are then kept for as long as the pages are alike (the same size,
// printable area and part name).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "decoration_data.h"
#include "filtercore/owned_bstr.h"
#include "page_resource.h"
#include "platform/gdiplus_types.h"
#include "platform/xml.h"
#include "resource_part_cache.h"

// The GetMarkup choice.
inline constexpr int kFragmentMarkup = 0;
inline constexpr int kUnderContentMarkup = 1;

class PageDecoration {
public:
    virtual ~PageDecoration();

    // Builds the fragment for a page of pageWidth x pageHeight (the
    // FixedPage's incoming size) with the device's printable area, all in
    // XPS units (RenderFragment), unless it was built for a page like it
    // last time.
    HRESULT Render(float pageWidth, float pageHeight, const Gdiplus::RectF& imageableArea);
    // Writes the decoration's resource into the job once and lists it as a
    // resource of the page; remembers the part name the fragment refers to.
    // E_POINTER for a null argument; the first failure otherwise.
    virtual HRESULT PrepareResources(IXpsDocumentConsumer* consumer, IFixedPage* page, ResourcePartCache* cache);
    // The XML text of the fragment (kFragmentMarkup) or of its under-content
    // copy (any other value), kept until the fragment is built again; the
    // caller frees it. E_POINTER for a null out, E_UNEXPECTED before Render
    // or without the copy asked for.
    HRESULT GetMarkup(BSTR* text, int which);
    // Only an outlined text watermark over transparent background draws a
    // copy under the content as well.
    virtual bool DrawsUnderContent() const;
    virtual bool DrawsOverContent() const { return true; }

protected:
    // A new DOM document for the fragment; raises CXDException with the
    // failure when it cannot be created. The resource may be null for a
    // decoration that refers to no part.
    PageDecoration(const DecorationData& data, std::unique_ptr<PageResource> resource);

    // Builds fragment (and underContentCopy when the decoration draws under
    // the content) for the page.
    virtual HRESULT RenderFragment(float pageWidth, float pageHeight, const Gdiplus::RectF& imageableArea) = 0;

    ComPtr<IXMLDOMDocument2> document;
    ComPtr<IXMLDOMElement> fragment;
    ComPtr<IXMLDOMNode> underContentCopy;
    DecorationData data;
    OwnedBstr resourceUri;
    std::unique_ptr<PageResource> resource;

private:
    // The page the fragment was last built for.
    struct RenderedPage {
        float width = 0;
        float height = 0;
        Gdiplus::RectF imageableArea;
        std::u16string resourceUri;
        bool operator==(const RenderedPage&) const = default;
    };

    std::optional<RenderedPage> rendered_;
    // The text of the fragment and of its copy, once asked for.
    std::optional<std::u16string> markup_[2];
};
