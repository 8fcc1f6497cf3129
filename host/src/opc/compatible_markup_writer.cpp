#include "opc/compatible_markup_writer.h"

#include "opc/xps_names.h"

namespace tav::host {
namespace {

void AppendEscaped(std::string* out, std::string_view text, bool attribute)
{
    for (char c : text) {
        switch (c) {
        case '&': *out += "&amp;"; break;
        case '<': *out += "&lt;"; break;
        case '>': *out += "&gt;"; break;
        case '"':
            if (attribute)
                *out += "&quot;";
            else
                out->push_back(c);
            break;
        case '\r': *out += "&#13;"; break;
        case '\n':
            if (attribute)
                *out += "&#10;";
            else
                out->push_back(c);
            break;
        case '\t':
            if (attribute)
                *out += "&#9;";
            else
                out->push_back(c);
            break;
        default: out->push_back(c);
        }
    }
}

}  // namespace

void CompatibleMarkupWriter::CloseStartTag()
{
    if (tagOpen_) output_->push_back('>');
    tagOpen_ = false;
}

void CompatibleMarkupWriter::StartTag(std::string_view local, const SaxAttributes& attributes)
{
    CloseStartTag();
    *output_ += '<';
    *output_ += local;
    if (!rootWritten_) {
        rootWritten_ = true;
        *output_ += " xmlns=\"";
        *output_ += xps::kXpsNamespace;
        *output_ += "\" xmlns:x=\"";
        *output_ += xps::kResourceKeyNamespace;
        *output_ += '"';
    }
    for (int i = 0; i < attributes.Count(); ++i) {
        std::string_view ns = attributes.Namespace(i);
        if (!ns.empty() && ns != xps::kXmlNamespace && ns != xps::kResourceKeyNamespace) continue;
        *output_ += ' ';
        if (ns == xps::kXmlNamespace) *output_ += "xml:";
        if (ns == xps::kResourceKeyNamespace) *output_ += "x:";
        *output_ += attributes.Local(i);
        *output_ += "=\"";
        AppendEscaped(output_, attributes.Value(i), true);
        *output_ += '"';
    }
    open_.emplace_back(local);
    tagOpen_ = true;
}

void CompatibleMarkupWriter::EndTag()
{
    if (tagOpen_) {
        *output_ += "/>";
        tagOpen_ = false;
    } else {
        *output_ += "</" + open_.back() + ">";
    }
    open_.pop_back();
}

void CompatibleMarkupWriter::Text(std::string_view text)
{
    CloseStartTag();
    AppendEscaped(output_, text, false);
}

}  // namespace tav::host
