#include "markup_test_support.h"

#include <cstring>

#include <libxml/parser.h>

#include "filtercore/copy_page_writer.h"
#include "testsupport/parts.h"

namespace markuptest {

Rewritten Rewrite(const std::string& markup, const MarkupWriterFactory& makeWriter)
{
    auto page = testsupport::MakePart<testsupport::FixedPagePart>(u"/Documents/1/Pages/1.fpage", markup);
    Rewritten rewritten;
    rewritten.result = RewriteFixedPage(page.Get(), makeWriter);
    rewritten.markup = page->Content();
    rewritten.writeSizes = page->ContentState().WriteSizes();
    rewritten.closeCount = page->ContentState().CloseCount();
    return rewritten;
}

Rewritten Copy(const std::string& markup)
{
    return Rewrite(markup, [](IPrintWriteStream* stream) { return new CopyPageWriter(stream); });
}

namespace {

class WrappingWriter final : public PageWriterBase {
public:
    WrappingWriter(IPrintWriteStream* stream, std::u16string transform, ResourcesElement resources)
        : PageWriterBase(stream, {resources}), transform_(std::move(transform))
    {
    }

protected:
    HRESULT StartFixedPage(std::u16string& markup, ISAXAttributes* attributes) override
    {
        CopyStartTag(markup, PageElementName(u"FixedPage"), attributes);
        EndStartTag(markup);
        OpenStartTag(markup, PageElementName(u"Canvas"));
        AppendAttribute(markup, u"RenderTransform", transform_);
        EndStartTag(markup);
        return S_OK;
    }
    HRESULT EndFixedPage(std::u16string& markup) override
    {
        CloseElement(markup, PageElementName(u"Canvas"));
        CloseElement(markup, PageElementName(u"FixedPage"));
        return S_OK;
    }

private:
    std::u16string transform_;
};

}  // namespace

MarkupWriterFactory CanvasWrapping(std::u16string transform, ResourcesElement resources)
{
    return
        [transform, resources](IPrintWriteStream* stream) { return new WrappingWriter(stream, transform, resources); };
}

XmlDoc ParseXml(const std::string& text)
{
    return XmlDoc(xmlReadMemory(text.data(), static_cast<int>(text.size()), "page.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
}

xmlNode* FindElement(xmlNode* from, const char* name)
{
    for (xmlNode* node = from; node != nullptr; node = node->next) {
        if (node->type != XML_ELEMENT_NODE) continue;
        if (std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0) return node;
        if (xmlNode* found = FindElement(node->children, name)) return found;
    }
    return nullptr;
}

std::string AttributeValue(xmlNode* element, const char* name, const char* namespaceUri)
{
    if (element == nullptr) return {};
    xmlChar* value =
        xmlGetNsProp(element, reinterpret_cast<const xmlChar*>(name), reinterpret_cast<const xmlChar*>(namespaceUri));
    if (value == nullptr) return {};
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

}  // namespace markuptest
