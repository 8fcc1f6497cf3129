// Helpers of the markup writer tests: a COM apartment for the SAX reader,
// rewriting markup held in a test page, and reading the result back with
// libxml2, independently of the platform's parser.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <libxml/tree.h>

#include "filtercore/page_rewrite.h"
#include "filtercore/page_writer_base.h"
#include "platform/com.h"
#include "testsupport/com_apartment.h"

namespace markuptest {

using testsupport::ComApartment;

// What a rewrite of one page left behind.
struct Rewritten {
    HRESULT result = E_FAIL;
    std::string markup;             // the page's content afterwards
    std::vector<ULONG> writeSizes;  // WriteBytes calls on its write stream
    int closeCount = 0;
};

// RewriteFixedPage over a test page holding markup.
Rewritten Rewrite(const std::string& markup, const MarkupWriterFactory& makeWriter);
// The same with a CopyPageWriter.
Rewritten Copy(const std::string& markup);

// A writer that wraps the page content in a Canvas with the given
// RenderTransform, as the filters' wrapping writers do, and hands the
// page's resources over as resources says.
MarkupWriterFactory CanvasWrapping(std::u16string transform, ResourcesElement resources = ResourcesElement::Rename);

struct XmlDocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XmlDoc = std::unique_ptr<xmlDoc, XmlDocFree>;

// Parsed by libxml2 without network, DTD or entity expansion; null when the
// text is not well-formed.
XmlDoc ParseXml(const std::string& text);
// The first element named name (local name) in document order, or null.
xmlNode* FindElement(xmlNode* from, const char* name);
// An attribute's value (UTF-8), by local name and namespace (null: none).
std::string AttributeValue(xmlNode* element, const char* name, const char* namespaceUri = nullptr);

}  // namespace markuptest
