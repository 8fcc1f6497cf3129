// PageWriterBase: the conventions every FixedPage writer shares, so that a
// filter's writer only says what it changes.
//
// - Every element is written as it arrives: a start tag still open from the
//   element before is closed with ">", then "<", the qualified name and each
//   attribute, in the order the reader reports them, as ` name="value"`;
//   the start tag is left open.
// - Every attribute value is escaped (AppendEscapedAttributeValue): the
//   reader hands values over unescaped, and a value with "&", "<" or a quote
//   would otherwise come out as broken markup. Character references arrive as
//   the characters themselves and are written as such, in UTF-8.
// - An element whose start tag is still open when it ends (it has no
//   children) ends with "/>", any other with "</name>".
// - Character data and ignorable white space are not copied: FixedPage
//   markup carries its content in attributes. Comments and processing
//   instructions are dropped with them.
// - Namespace declarations are attributes as the reader reports them, so
//   they are copied with the others (xmlns and xmlns:p).
// - startDocument writes the XML declaration (MarkupWriter).
//
// A derived writer changes the FixedPage element, the document's root,
// told by its namespace (XPS, OpenXPS, or none) and local name whatever its
// prefix; the elements the writers add take the FixedPage's prefix
// (PageElementName). It does so through two hooks: StartFixedPage writes its start tag (the default copies
// it and leaves it open) and may go on with markup that opens the page's
// content, a Canvas with a RenderTransform or Clip say; EndFixedPage writes
// what closes the content and the page (the default ends the FixedPage
// element). Before StartFixedPage runs, the base reads the page's Width,
// Height, ContentBox and BleedBox into Frame(). The FixedPage.Resources
// element can be renamed for writers that wrap the content in a Canvas, and
// a writer can leave out everything inside the FixedPage element.
//
// How the filters' writers sit on it:
// - placing a page in a sheet: StartFixedPage opens a "Canvas" with the
//   cell's RenderTransform and Clip instead, copying only the xmlns:p
//   declarations (CopyAttributes with an edit); EndFixedPage closes the
//   Canvas; ResourcesElement::Rename; startDocument writes nothing, as the
//   sheet has its own declaration;
// - transforming a page in place: the FixedPage start tag copied (with
//   Width, Height and the boxes edited or left out and written anew), then
//   EndStartTag and the Canvas start tags; EndFixedPage closes the Canvases
//   and then the FixedPage; ResourcesElement::Rename;
// - drawing before the content as well (scaling with decorations):
//   ResourcesElement::RenameInOwnCanvas, so that the resources still open
//   the Canvas they belong to;
// - a blank page of another page's size: copyContent false and the default
//   hooks.
//
// The hooks and helpers may raise CXDException; startElement and endElement
// catch it (and std::bad_alloc) and return its HRESULT to the reader, which
// stops the parse. A failing hook's text is not written.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "filtercore/markup_writer.h"
#include "filtercore/page_frame.h"

// How the page's resource dictionary element, the FixedPage.Resources child
// of the FixedPage, is written. Resources elsewhere (a Canvas's own, a
// misplaced FixedPage.Resources) are always copied as they are.
enum class ResourcesElement {
    // As it is: "FixedPage.Resources".
    Keep,
    // As "Canvas.Resources", at start and end, for a writer that turns the
    // FixedPage into a Canvas or wraps its content in one: the resources
    // then belong to that Canvas and stay valid for the content in it.
    Rename,
    // As "Canvas.Resources" inside a "<Canvas>" of its own, opened right
    // before it and closed when the FixedPage ends, before EndFixedPage: the
    // rest of the page content lies in that Canvas with its resources. For a
    // writer that puts markup of its own in front of the page content.
    RenameInOwnCanvas,
};

struct PageWriterOptions {
    ResourcesElement resources = ResourcesElement::Keep;
    // False: everything inside the FixedPage element is left out, so the
    // output is the FixedPage element alone (a blank page of the same size).
    bool copyContent = true;
};

class PageWriterBase : public MarkupWriter {
public:
    HRESULT startElement(const WCHAR* namespaceUri, int namespaceUriLength, const WCHAR* localName, int localNameLength,
                         const WCHAR* qName, int qNameLength, ISAXAttributes* attributes) override;
    HRESULT endElement(const WCHAR* namespaceUri, int namespaceUriLength, const WCHAR* localName, int localNameLength,
                       const WCHAR* qName, int qNameLength) override;

protected:
    // Raises CXDException(E_POINTER) for a null stream.
    PageWriterBase(IPrintWriteStream* stream, PageWriterOptions options);

    // Writes the FixedPage start tag and whatever follows it. The default is
    // CopyStartTag(markup, PageElementName(u"FixedPage"), attributes).
    virtual HRESULT StartFixedPage(std::u16string& markup, ISAXAttributes* attributes);
    // Writes the end of the page. The default is
    // CloseElement(markup, PageElementName(u"FixedPage")).
    virtual HRESULT EndFixedPage(std::u16string& markup);

    // The FixedPage's geometry, read from its start tag.
    const FixedPageFrame& Frame() const { return frame_; }
    // The qualified name of an XPS element the writer adds to the page: the
    // local name with the prefix the page's FixedPage element has ("x:Canvas"
    // in a page written as <x:FixedPage xmlns:x="...">), so that it lies in
    // the page's namespace.
    std::u16string PageElementName(std::u16string_view localName) const;
    // The namespace of the page's FixedPage element, and whether the page
    // calls it by a prefix: markup added as text of its own, with names
    // that have no prefix, then declares it on its root.
    const std::u16string& PageNamespace() const { return pageNamespace_; }
    bool PageNamespaceHasPrefix() const { return !pagePrefix_.empty(); }

    // The value to write for an attribute of the given name and value, or
    // nothing to leave the attribute out.
    using AttributeEdit =
        std::function<std::optional<std::u16string_view>(std::u16string_view name, std::u16string_view value)>;

    // Ends an open start tag, then writes "<" and name and leaves the new
    // start tag open.
    void OpenStartTag(std::u16string& markup, std::u16string_view name);
    // Writes ">" when a start tag is open; afterwards none is.
    void EndStartTag(std::u16string& markup);
    // "/>" when the element's start tag is still open, else "</name>".
    void CloseElement(std::u16string& markup, std::u16string_view name);
    // OpenStartTag(name), then the reported attributes (CopyAttributes).
    void CopyStartTag(std::u16string& markup, std::u16string_view name, ISAXAttributes* attributes,
                      const AttributeEdit& edit = nullptr);
    // ` name="value"`, the value escaped.
    static void AppendAttribute(std::u16string& markup, std::u16string_view name, std::u16string_view value);
    // Each reported attribute in order, passed through edit when one is
    // given. An attribute whose name or value cannot be obtained is skipped.
    static void CopyAttributes(std::u16string& markup, ISAXAttributes* attributes, const AttributeEdit& edit = nullptr);
    // The edit every attribute of the content (all elements inside the
    // FixedPage) passes through; none by default. A writer that moves the
    // content into another part sets one to keep its references valid.
    void EditContentAttributes(AttributeEdit edit) { contentEdit_ = std::move(edit); }

private:
    HRESULT StartRoot(std::u16string& markup, ISAXAttributes* attributes);
    HRESULT EndRoot(std::u16string& markup);
    void StartContentElement(std::u16string& markup, std::u16string_view name, bool pageResources,
                             ISAXAttributes* attributes);
    bool IsPageResources(std::u16string_view uri, std::u16string_view local, size_t enclosing) const;
    // The name the page's resources are written with.
    std::u16string_view ResourcesName() const;

    const PageWriterOptions options_;
    AttributeEdit contentEdit_;
    FixedPageFrame frame_;
    // Elements started and not yet ended.
    size_t depth_ = 0;
    bool rootIsFixedPage_ = false;
    // The FixedPage's namespace and the prefix it is written with ("x:" or
    // empty).
    std::u16string pageNamespace_;
    std::u16string pagePrefix_;
    bool startTagOpen_ = false;
    bool resourcesCanvasOpen_ = false;
    // The text of the current callback, kept to reuse its buffer.
    std::u16string markup_;
};
