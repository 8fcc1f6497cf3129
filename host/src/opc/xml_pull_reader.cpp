#include "opc/xml_pull_reader.h"

#include <libxml/xmlreader.h>
#include <strings.h>

#include "opc/package_error.h"

namespace tav::host {
namespace {

xmlTextReaderPtr Reader(void* reader) { return static_cast<xmlTextReaderPtr>(reader); }

std::string TakeXmlString(xmlChar* text)
{
    if (text == nullptr) return "";
    std::string result(reinterpret_cast<const char*>(text));
    xmlFree(text);
    return result;
}

void CollectError(void* context, xmlErrorPtr error)
{
    auto* first = static_cast<std::string*>(context);
    if (!first->empty() || error == nullptr || error->message == nullptr) return;
    *first = error->message;
    while (!first->empty() && (first->back() == '\n' || first->back() == ' ')) first->pop_back();
    // Some messages run over several lines; a failure is reported on one.
    for (char& c : *first) {
        if (c == '\n') c = ' ';
    }
    if (error->line > 0) *first += " (line " + std::to_string(error->line) + ")";
}

}  // namespace

bool IsPackageEncoding(const char* declared)
{
    return declared == nullptr || strcasecmp(declared, "utf-8") == 0 || strcasecmp(declared, "utf-16") == 0;
}

XmlPullReader::XmlPullReader(std::unique_ptr<ByteReader> source, std::string partName, uint64_t maxBytes)
    : source_(std::move(source)), partName_(std::move(partName)), maxBytes_(maxBytes)
{
    // XML_PARSE_NONET and no DTD loading, attribute defaulting or entity
    // substitution: nothing outside the part is ever read.
    xmlTextReaderPtr reader =
        xmlReaderForIO(&XmlPullReader::ReadCallback, nullptr, this, partName_.c_str(), nullptr, XML_PARSE_NONET);
    if (reader == nullptr) Fail("cannot create an XML reader");
    xmlTextReaderSetStructuredErrorHandler(reader, &CollectError, &firstError_);
    reader_ = reader;
}

XmlPullReader::~XmlPullReader()
{
    if (reader_ != nullptr) xmlFreeTextReader(Reader(reader_));
}

int XmlPullReader::ReadCallback(void* context, char* buffer, int length)
{
    auto* self = static_cast<XmlPullReader*>(context);
    if (self->sourceError_) return -1;
    try {
        size_t got = self->source_->Read(buffer, static_cast<size_t>(length));
        self->bytesRead_ += got;
        if (self->bytesRead_ > self->maxBytes_) {
            throw PackageError(self->partName_, "markup larger than " + std::to_string(self->maxBytes_) + " bytes");
        }
        if (!self->startTags_.Scan(reinterpret_cast<const unsigned char*>(buffer), got)) {
            throw PackageError(self->partName_, "an element of the markup has more than " +
                                                    std::to_string(tav::xml::kMaxAttributesPerElement) + " attributes");
        }
        return static_cast<int>(got);
    } catch (...) {
        self->sourceError_ = std::current_exception();
        return -1;
    }
}

void XmlPullReader::Fail(const std::string& reason) const { throw PackageError(partName_, reason); }

void XmlPullReader::ThrowParseError()
{
    if (sourceError_) std::rethrow_exception(sourceError_);
    Fail(firstError_.empty() ? "the markup is not well-formed XML"
                             : "the markup is not well-formed XML: " + firstError_);
}

bool XmlPullReader::NextElement()
{
    for (;;) {
        int status = xmlTextReaderRead(Reader(reader_));
        if (status < 0 || sourceError_) ThrowParseError();
        if (status == 0) {
            if (!firstError_.empty()) ThrowParseError();
            return false;
        }
        int type = xmlTextReaderNodeType(Reader(reader_));
        if (type == XML_READER_TYPE_DOCUMENT_TYPE) Fail("the markup contains a DTD (DOCTYPE), which XPS forbids");
        if (type == XML_READER_TYPE_ENTITY_REFERENCE) Fail("the markup refers to an entity");
        if (type != XML_READER_TYPE_ELEMENT) continue;
        if (!encodingChecked_) {
            encodingChecked_ = true;
            const xmlChar* encoding = xmlTextReaderConstEncoding(Reader(reader_));
            if (!IsPackageEncoding(reinterpret_cast<const char*>(encoding))) {
                Fail(std::string("the markup is encoded in ") + reinterpret_cast<const char*>(encoding) +
                     ", not in UTF-8 or UTF-16");
            }
        }
        if (Depth() > kMaxDepth) Fail("the markup nests deeper than " + std::to_string(kMaxDepth) + " elements");
        return true;
    }
}

int XmlPullReader::Depth() const { return xmlTextReaderDepth(Reader(reader_)); }

std::string XmlPullReader::LocalName() const
{
    const xmlChar* name = xmlTextReaderConstLocalName(Reader(reader_));
    return name == nullptr ? "" : reinterpret_cast<const char*>(name);
}

std::string XmlPullReader::NamespaceUri() const
{
    const xmlChar* uri = xmlTextReaderConstNamespaceUri(Reader(reader_));
    return uri == nullptr ? "" : reinterpret_cast<const char*>(uri);
}

std::optional<std::string> XmlPullReader::Attribute(const char* name) const
{
    xmlChar* value = xmlTextReaderGetAttribute(Reader(reader_), reinterpret_cast<const xmlChar*>(name));
    if (value == nullptr) return std::nullopt;
    return TakeXmlString(value);
}

std::vector<XmlPullReader::NamedAttribute> XmlPullReader::Attributes() const
{
    xmlTextReaderPtr reader = Reader(reader_);
    std::vector<NamedAttribute> attributes;
    for (int more = xmlTextReaderMoveToFirstAttribute(reader); more == 1;
         more = xmlTextReaderMoveToNextAttribute(reader)) {
        if (xmlTextReaderIsNamespaceDecl(reader) == 1) continue;
        const xmlChar* local = xmlTextReaderConstLocalName(reader);
        const xmlChar* uri = xmlTextReaderConstNamespaceUri(reader);
        const xmlChar* value = xmlTextReaderConstValue(reader);
        attributes.push_back({local == nullptr ? "" : reinterpret_cast<const char*>(local),
                              uri == nullptr ? "" : reinterpret_cast<const char*>(uri),
                              value == nullptr ? "" : reinterpret_cast<const char*>(value)});
    }
    xmlTextReaderMoveToElement(reader);
    return attributes;
}

std::optional<std::string> XmlPullReader::LookupNamespace(const std::string& prefix) const
{
    xmlChar* uri = xmlTextReaderLookupNamespace(Reader(reader_), reinterpret_cast<const xmlChar*>(prefix.c_str()));
    if (uri == nullptr) return std::nullopt;
    return TakeXmlString(uri);
}

}  // namespace tav::host
