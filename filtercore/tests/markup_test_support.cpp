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
    xmlChar* value = xmlGetNsProp(element, reinterpret_cast<const xmlChar*>(name),
                                  reinterpret_cast<const xmlChar*>(namespaceUri));
    if (value == nullptr) return {};
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

}  // namespace markuptest
