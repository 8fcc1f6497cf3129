#include "dom_serializer.h"

#include "dom_tree.h"

namespace tav::xml {

namespace {

// Character data: & and < always, > for the "]]>" sequence, and a carriage
// return, which a parser would otherwise turn into a line feed.
void AppendEscapedText(std::string& out, std::string_view text)
{
    for (char c : text) {
        switch (c) {
        case '&': out.append("&amp;"); break;
        case '<': out.append("&lt;"); break;
        case '>': out.append("&gt;"); break;
        case '\r': out.append("&#13;"); break;
        default: out.push_back(c); break;
        }
    }
}

// Attribute values in double quotes; white space other than blanks is
// written as references so that parsing gives it back unnormalised.
void AppendEscapedValue(std::string& out, std::string_view value)
{
    for (char c : value) {
        switch (c) {
        case '&': out.append("&amp;"); break;
        case '<': out.append("&lt;"); break;
        case '"': out.append("&quot;"); break;
        case '\t': out.append("&#9;"); break;
        case '\n': out.append("&#10;"); break;
        case '\r': out.append("&#13;"); break;
        default: out.push_back(c); break;
        }
    }
}

void AppendAttribute(std::string& out, xmlAttrPtr attribute)
{
    out.append(QualifiedName(AsNode(attribute)));
    out.append("=\"");
    AppendEscapedValue(out, NodeText(AsNode(attribute)));
    out.push_back('"');
}

void AppendStartTag(std::string& out, xmlNodePtr element)
{
    out.push_back('<');
    out.append(QualifiedName(element));
    for (const AttributeItem& item : AttributeItems(element)) {
        out.push_back(' ');
        if (item.declaration != nullptr)
            SerializeDeclaration(item.declaration, out);
        else
            AppendAttribute(out, item.attribute);
    }
}

void AppendLeaf(std::string& out, xmlNodePtr node)
{
    std::string_view content = View(node->content);
    switch (node->type) {
    case XML_TEXT_NODE: AppendEscapedText(out, content); break;
    case XML_CDATA_SECTION_NODE: {
        // "]]>" cannot stand inside a section: split it across two.
        out.append("<![CDATA[");
        size_t start = 0;
        for (size_t end; (end = content.find("]]>", start)) != std::string_view::npos; start = end + 2) {
            out.append(content.substr(start, end + 2 - start));
            out.append("]]><![CDATA[");
        }
        out.append(content.substr(start));
        out.append("]]>");
        break;
    }
    case XML_COMMENT_NODE:
        out.append("<!--");
        out.append(content);
        out.append("-->");
        break;
    case XML_PI_NODE:
        out.append("<?");
        out.append(View(node->name));
        if (!content.empty()) {
            out.push_back(' ');
            out.append(content);
        }
        out.append("?>");
        break;
    case XML_ATTRIBUTE_NODE: AppendAttribute(out, AsAttribute(node)); break;
    default: break;
    }
}

}  // namespace

void SerializeDeclaration(const xmlNs* declaration, std::string& out)
{
    out.append("xmlns");
    if (declaration->prefix != nullptr) {
        out.push_back(':');
        out.append(View(declaration->prefix));
    }
    out.append("=\"");
    AppendEscapedValue(out, View(declaration->href));
    out.push_back('"');
}

void SerializeNode(xmlNodePtr node, std::string& out)
{
    if (node->type == XML_DOCUMENT_NODE) return SerializeDocumentContent(reinterpret_cast<xmlDocPtr>(node), out);
    if (node->type != XML_ELEMENT_NODE) return AppendLeaf(out, node);
    // Iterative, so that deep trees built through the DOM cannot exhaust
    // the stack.
    xmlNodePtr current = node;
    while (true) {
        if (current->type == XML_ELEMENT_NODE) {
            AppendStartTag(out, current);
            if (current->children != nullptr) {
                out.push_back('>');
                current = current->children;
                continue;
            }
            out.append("/>");
        } else {
            AppendLeaf(out, current);
        }
        // Close the elements whose last child was just written.
        while (current != node && current->next == nullptr) {
            current = current->parent;
            out.append("</");
            out.append(QualifiedName(current));
            out.push_back('>');
        }
        if (current == node) return;
        current = current->next;
    }
}

void SerializeDocumentContent(xmlDocPtr doc, std::string& out)
{
    for (xmlNodePtr child = doc->children; child != nullptr; child = child->next) {
        SerializeNode(child, out);
        out.push_back('\n');
    }
}

void SerializeDocument(xmlDocPtr doc, std::string& out)
{
    out.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    SerializeDocumentContent(doc, out);
}

}  // namespace tav::xml
