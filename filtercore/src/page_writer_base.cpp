#include "filtercore/page_writer_base.h"

#include "filtercore/markup_escape.h"
#include "filtercore/raised_result.h"
#include "sax_attribute_access.h"

namespace {

constexpr std::u16string_view kFixedPage = u"FixedPage";
constexpr std::u16string_view kFixedPageResources = u"FixedPage.Resources";
constexpr std::u16string_view kCanvasResources = u"Canvas.Resources";
constexpr std::u16string_view kCanvas = u"Canvas";

// The prefix of a qualified name with its colon ("x:" for "x:FixedPage"),
// or nothing.
std::u16string_view PrefixOf(std::u16string_view qualifiedName)
{
    size_t colon = qualifiedName.find(u':');
    return colon == std::u16string_view::npos ? std::u16string_view() : qualifiedName.substr(0, colon + 1);
}

}  // namespace

PageWriterBase::PageWriterBase(IPrintWriteStream* stream, PageWriterOptions options)
    : MarkupWriter(stream), options_(options)
{
}

HRESULT PageWriterBase::startElement(const WCHAR* namespaceUri, int namespaceUriLength, const WCHAR* localName,
                                     int localNameLength, const WCHAR* qName, int qNameLength,
                                     ISAXAttributes* attributes)
{
    std::u16string_view name, uri, local;
    if (!ViewOf(qName, qNameLength, &name) || name.empty() || !ViewOf(namespaceUri, namespaceUriLength, &uri) ||
        !ViewOf(localName, localNameLength, &local))
        return E_INVALIDARG;
    return CatchRaised([&] {
        size_t enclosing = depth_++;
        markup_.clear();
        // Elements are told by namespace and local name: a page may call the
        // XPS namespace by any prefix, or by none.
        if (enclosing == 0 && local == kFixedPage && IsPageNamespace(uri)) {
            rootIsFixedPage_ = true;
            pageNamespace_.assign(uri);
            pagePrefix_.assign(PrefixOf(name));
            HRESULT hr = StartRoot(markup_, attributes);
            if (FAILED(hr)) return hr;
        } else if (options_.copyContent) {
            StartContentElement(markup_, name, IsPageResources(uri, local, enclosing), attributes);
        }
        return markup_.empty() ? S_OK : Append(std::u16string_view(markup_), S_OK);
    });
}

HRESULT PageWriterBase::endElement(const WCHAR* namespaceUri, int namespaceUriLength, const WCHAR* localName,
                                   int localNameLength, const WCHAR* qName, int qNameLength)
{
    std::u16string_view name, uri, local;
    if (!ViewOf(qName, qNameLength, &name) || name.empty() || !ViewOf(namespaceUri, namespaceUriLength, &uri) ||
        !ViewOf(localName, localNameLength, &local))
        return E_INVALIDARG;
    return CatchRaised([&] {
        if (depth_ == 0) return E_UNEXPECTED;
        size_t enclosing = --depth_;
        markup_.clear();
        if (enclosing == 0 && rootIsFixedPage_) {
            HRESULT hr = EndRoot(markup_);
            if (FAILED(hr)) return hr;
        } else if (options_.copyContent) {
            if (IsPageResources(uri, local, enclosing)) {
                CloseElement(markup_, PageElementName(ResourcesName()));
            } else {
                CloseElement(markup_, name);
            }
        }
        return markup_.empty() ? S_OK : Append(std::u16string_view(markup_), S_OK);
    });
}

HRESULT PageWriterBase::StartRoot(std::u16string& markup, ISAXAttributes* attributes)
{
    frame_ = FrameFromAttributes(attributes);
    return StartFixedPage(markup, attributes);
}

HRESULT PageWriterBase::EndRoot(std::u16string& markup)
{
    if (resourcesCanvasOpen_) {
        CloseElement(markup, PageElementName(kCanvas));
        resourcesCanvasOpen_ = false;
    }
    return EndFixedPage(markup);
}

void PageWriterBase::StartContentElement(std::u16string& markup, std::u16string_view name, bool pageResources,
                                         ISAXAttributes* attributes)
{
    if (!pageResources) {
        CopyStartTag(markup, name, attributes, contentEdit_);
        return;
    }
    if (options_.resources == ResourcesElement::RenameInOwnCanvas && !resourcesCanvasOpen_) {
        EndStartTag(markup);
        markup += u'<';
        markup += PageElementName(kCanvas);
        markup += u'>';
        resourcesCanvasOpen_ = true;
    }
    CopyStartTag(markup, PageElementName(ResourcesName()), attributes, contentEdit_);
}

// Only the FixedPage's own resources, where XPS has them (one enclosing
// element), are handed over: elsewhere a Canvas opened for them could not
// be closed where it must be.
bool PageWriterBase::IsPageResources(std::u16string_view uri, std::u16string_view local, size_t enclosing) const
{
    return rootIsFixedPage_ && enclosing == 1 && local == kFixedPageResources && uri == pageNamespace_;
}

std::u16string_view PageWriterBase::ResourcesName() const
{
    return options_.resources == ResourcesElement::Keep ? kFixedPageResources : kCanvasResources;
}

HRESULT PageWriterBase::StartFixedPage(std::u16string& markup, ISAXAttributes* attributes)
{
    CopyStartTag(markup, PageElementName(kFixedPage), attributes);
    return S_OK;
}

HRESULT PageWriterBase::EndFixedPage(std::u16string& markup)
{
    CloseElement(markup, PageElementName(kFixedPage));
    return S_OK;
}

std::u16string PageWriterBase::PageElementName(std::u16string_view localName) const
{
    std::u16string name = pagePrefix_;
    name += localName;
    return name;
}

void PageWriterBase::OpenStartTag(std::u16string& markup, std::u16string_view name)
{
    EndStartTag(markup);
    markup += u'<';
    markup += name;
    startTagOpen_ = true;
}

void PageWriterBase::EndStartTag(std::u16string& markup)
{
    if (!startTagOpen_) return;
    markup += u'>';
    startTagOpen_ = false;
}

void PageWriterBase::CloseElement(std::u16string& markup, std::u16string_view name)
{
    if (startTagOpen_) {
        markup += u"/>";
        startTagOpen_ = false;
        return;
    }
    markup += u"</";
    markup += name;
    markup += u'>';
}

void PageWriterBase::CopyStartTag(std::u16string& markup, std::u16string_view name, ISAXAttributes* attributes,
                                  const AttributeEdit& edit)
{
    OpenStartTag(markup, name);
    CopyAttributes(markup, attributes, edit);
}

void PageWriterBase::AppendAttribute(std::u16string& markup, std::u16string_view name, std::u16string_view value)
{
    markup += u' ';
    markup += name;
    markup += u"=\"";
    AppendEscapedAttributeValue(markup, value);
    markup += u'"';
}

void PageWriterBase::CopyAttributes(std::u16string& markup, ISAXAttributes* attributes, const AttributeEdit& edit)
{
    int count = AttributeCount(attributes);
    for (int i = 0; i < count; ++i) {
        std::u16string_view name, value;
        if (!AttributeAt(attributes, i, &name, &value)) continue;
        if (!edit) {
            AppendAttribute(markup, name, value);
        } else if (std::optional<std::u16string_view> edited = edit(name, value)) {
            AppendAttribute(markup, name, *edited);
        }
    }
}
