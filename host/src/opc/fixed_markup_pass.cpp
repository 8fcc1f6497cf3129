#include "opc/fixed_markup_pass.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>

#include <cstring>

#include "opc/compatible_markup_writer.h"
#include "opc/markup_compatibility.h"
#include "opc/package_error.h"
#include "opc/page_schema/markup_checker.h"
#include "opc/xml_pull_reader.h"
#include "opc/xps_names.h"
#include "platform/start_tag_scanner.h"

namespace tav::host {
namespace {

constexpr int kMaxDepth = 256;

std::string_view View(const xmlChar* text)
{
    return text == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(text));
}

}  // namespace

// The pass's own job: libxml2's push parser, well-formedness, the limits
// and the root element; each element the compatibility rules keep is shown
// to the reference collector and, when there is an output, to the writer.
struct FixedMarkupPass::State {
    using Treatment = MarkupCompatibility::Treatment;

    std::string partName;
    std::string expectedRoot;
    xmlParserCtxtPtr context = nullptr;
    tav::xml::StartTagScanner startTags;
    std::string pendingHead;  // the first bytes, until the encoding can be told
    std::string failure;
    FixedMarkupSummary summary;  // the root's name and size; the rest is asked of the parts below
    MarkupCompatibility compatibility;
    MarkupReferenceCollector references;
    std::optional<CompatibleMarkupWriter> writer;
    page_schema::MarkupChecker* schema = nullptr;
    bool rootSeen = false;

    int Line() const { return context == nullptr ? 0 : xmlSAX2GetLineNumber(context); }

    void Fail(const std::string& reason)
    {
        if (!failure.empty()) return;
        failure = reason;
        int line = Line();
        if (line > 0) failure += " (line " + std::to_string(line) + ")";
        if (context != nullptr) xmlStopParser(context);
    }

    // A rule of the page vocabulary broken: a refusal, or in lenient mode
    // the part's one warning.
    void SchemaFault(const std::string* fault)
    {
        if (fault == nullptr) return;
        if (!schema->Lenient()) return Fail(*fault);
        schema->Excuse(*fault + " (line " + std::to_string(Line()) + ")");
    }

    // The root element's name and encoding; false after a failure.
    bool CheckRoot(std::string_view local, std::string_view uri)
    {
        summary.rootName = std::string(local);
        summary.rootNamespace = std::string(uri);
        if (uri == xps::kOpenXpsNamespace) {
            // OpenXPS markup reaches the reader translated: this is markup
            // of the other flavour in an XPS package.
            Fail("the root element is in the OpenXPS namespace, which an XPS 1.0 package does not use");
            return false;
        }
        if (local != expectedRoot || uri != xps::kXpsNamespace) {
            Fail("the root element is not an XPS " + expectedRoot);
            return false;
        }
        const char* encoding = reinterpret_cast<const char*>(context->encoding);
        if (!IsPackageEncoding(encoding)) {
            Fail(std::string("the markup is encoded in ") + encoding + ", not in UTF-8 or UTF-16");
            return false;
        }
        return true;
    }

    void KeepRootSize(const SaxAttributes& attributes)
    {
        for (int i = 0; i < attributes.Count(); ++i) {
            if (attributes.HasNamespace(i)) continue;
            if (attributes.Local(i) == "Width") summary.width = std::string(attributes.Value(i));
            if (attributes.Local(i) == "Height") summary.height = std::string(attributes.Value(i));
        }
    }

    void StartElement(std::string_view local, std::string_view uri, int namespaceCount, const xmlChar** namespaces,
                      const SaxAttributes& attributes)
    {
        if (!compatibility.Skipping() && compatibility.Depth() >= kMaxDepth)
            return Fail("the markup nests deeper than " + std::to_string(kMaxDepth) + " elements");
        bool root = !compatibility.Skipping() && !rootSeen;
        if (root && !CheckRoot(local, uri)) return;
        Treatment treatment = compatibility.Start(local, uri, namespaceCount, namespaces, attributes);
        if (treatment == Treatment::Refused) return Fail(compatibility.Reason());
        if (treatment == Treatment::Skipped) return;
        if (treatment == Treatment::Written) {
            // The checker, while it keeps checking, shows the references
            // to the collector as it tells the attributes apart.
            bool collected = false;
            if (schema != nullptr && !schema->Excused()) {
                const std::string* fault = schema->StartElement(local, attributes, &references);
                collected = fault == nullptr;
                SchemaFault(fault);
                if (!failure.empty()) return;
            }
            if (root) KeepRootSize(attributes);
            if (!collected) references.Collect(local, attributes);
            if (writer) writer->StartTag(local, attributes);
        }
        rootSeen = true;
    }

    void EndElement()
    {
        Treatment treatment = compatibility.End();
        if (treatment == Treatment::Refused) return Fail(compatibility.Reason());
        if (treatment == Treatment::Written && schema != nullptr) SchemaFault(schema->EndElement());
        if (treatment == Treatment::Written && writer) writer->EndTag();
    }

    void Text(const char* text, size_t length)
    {
        std::string_view view(text, length);
        Treatment treatment = compatibility.Text(view);
        if (treatment == Treatment::Refused) return Fail(compatibility.Reason());
        if (treatment == Treatment::Written && schema != nullptr) SchemaFault(schema->Text(view));
        if (treatment == Treatment::Written && writer) writer->Text(view);
    }

    static void OnStartElement(void* context, const xmlChar* local, const xmlChar*, const xmlChar* uri,
                               int namespaceCount, const xmlChar** namespaces, int count, int,
                               const xmlChar** attributes)
    {
        State* state = static_cast<State*>(context);
        if (!state->failure.empty()) return;
        state->StartElement(View(local), View(uri), namespaceCount, namespaces, SaxAttributes(count, attributes));
    }

    static void OnEndElement(void* context, const xmlChar*, const xmlChar*, const xmlChar*)
    {
        State* state = static_cast<State*>(context);
        if (state->failure.empty()) state->EndElement();
    }

    static void OnCharacters(void* context, const xmlChar* text, int length)
    {
        State* state = static_cast<State*>(context);
        if (state->failure.empty()) state->Text(reinterpret_cast<const char*>(text), static_cast<size_t>(length));
    }

    static void OnDoctype(void* context, const xmlChar*, const xmlChar*, const xmlChar*)
    {
        auto* state = static_cast<State*>(context);
        if (state->failure.empty()) state->failure = "the markup contains a DTD (DOCTYPE), which XPS forbids";
        xmlStopParser(state->context);
    }

    static void OnReference(void* context, const xmlChar*)
    {
        static_cast<State*>(context)->Fail("the markup refers to an entity");
    }

    static void OnError(void* context, xmlErrorPtr error)
    {
        auto* state = static_cast<State*>(context);
        if (!state->failure.empty() || error == nullptr || error->level < XML_ERR_ERROR) return;
        std::string message = error->message == nullptr ? "" : error->message;
        while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
        for (char& c : message) {
            if (c == '\n') c = ' ';
        }
        state->failure =
            message.empty() ? "the markup is not well-formed XML" : "the markup is not well-formed XML: " + message;
        if (error->line > 0) state->failure += " (line " + std::to_string(error->line) + ")";
    }
};

FixedMarkupPass::FixedMarkupPass(std::string partName, std::string expectedRoot, std::string* output,
                                 page_schema::MarkupChecker* schema)
    : state_(std::make_unique<State>())
{
    state_->partName = std::move(partName);
    state_->expectedRoot = std::move(expectedRoot);
    state_->schema = schema;
    if (output != nullptr) state_->writer.emplace(output);
}

FixedMarkupPass::~FixedMarkupPass()
{
    if (state_->context != nullptr) xmlFreeParserCtxt(state_->context);
}

void FixedMarkupPass::Feed(const char* bytes, size_t count) { Push(bytes, count, false); }

// Passes bytes on to libxml2; terminate says they are the last, which
// spares libxml2 looking ahead for the end of each tag and text.
void FixedMarkupPass::Push(const char* bytes, size_t count, bool terminate)
{
    State& state = *state_;
    if (!state.startTags.Scan(reinterpret_cast<const unsigned char*>(bytes), count)) {
        throw PackageError(state.partName, "an element of the markup has more than " +
                                               std::to_string(tav::xml::kMaxAttributesPerElement) + " attributes");
    }
    if (state.context == nullptr) {
        // libxml2 tells the encoding from the first four bytes.
        const char* head = bytes;
        size_t available = count;
        if (!state.pendingHead.empty() || count < 4) {
            state.pendingHead.append(bytes, count);
            if (state.pendingHead.size() < 4) {
                if (terminate) Finish();
                return;
            }
            head = state.pendingHead.data();
            available = state.pendingHead.size();
        }
        xmlSAXHandler handler;
        std::memset(&handler, 0, sizeof handler);
        handler.initialized = XML_SAX2_MAGIC;
        handler.startElementNs = &State::OnStartElement;
        handler.endElementNs = &State::OnEndElement;
        handler.characters = &State::OnCharacters;
        handler.cdataBlock = &State::OnCharacters;
        handler.internalSubset = &State::OnDoctype;
        handler.externalSubset = &State::OnDoctype;
        handler.reference = &State::OnReference;
        handler.serror = &State::OnError;
        state.context = xmlCreatePushParserCtxt(&handler, &state, head, 4, state.partName.c_str());
        if (state.context == nullptr) throw std::bad_alloc();
        xmlCtxtUseOptions(state.context, XML_PARSE_NONET | XML_PARSE_NOENT);
        if (available > 4 || terminate) {
            xmlParseChunk(state.context, head + 4, static_cast<int>(available - 4), terminate);
        }
        state.pendingHead.clear();
    } else {
        xmlParseChunk(state.context, bytes, static_cast<int>(count), terminate);
    }
    if (!state.failure.empty()) throw PackageError(state.partName, state.failure);
    if (!state.context->wellFormed) throw PackageError(state.partName, "the markup is not well-formed XML");
    if (terminate && !state.rootSeen) throw PackageError(state.partName, "the markup is not well-formed XML");
}

void FixedMarkupPass::FeedLast(const char* bytes, size_t count) { Push(bytes, count, true); }

void FixedMarkupPass::Finish()
{
    State& state = *state_;
    if (state.context == nullptr) {
        if (state.pendingHead.empty()) throw PackageError(state.partName, "the markup is empty");
        // Fewer than four bytes: too short for any root element.
        throw PackageError(state.partName, "the markup is not well-formed XML: the document ends too early");
    }
    xmlParseChunk(state.context, nullptr, 0, 1);
    if (!state.failure.empty()) throw PackageError(state.partName, state.failure);
    if (!state.context->wellFormed || !state.rootSeen) {
        throw PackageError(state.partName, "the markup is not well-formed XML");
    }
}

FixedMarkupSummary FixedMarkupPass::Summary() const
{
    FixedMarkupSummary summary = state_->summary;
    summary.references = state_->references.References();
    summary.usesCompatibility = state_->compatibility.Used();
    return summary;
}

FixedMarkupSummary ScanFixedMarkup(std::string_view markup, const std::string& partName,
                                   const std::string& expectedRoot, page_schema::MarkupChecker* schema)
{
    // libxml2 takes a chunk's size as an int.
    constexpr size_t kMaxChunk = size_t{1} << 30;
    FixedMarkupPass pass(partName, expectedRoot, nullptr, schema);
    while (markup.size() > kMaxChunk) {
        pass.Feed(markup.data(), kMaxChunk);
        markup.remove_prefix(kMaxChunk);
    }
    pass.FeedLast(markup.data(), markup.size());
    return pass.Summary();
}

FixedMarkupSummary ScanFixedMarkup(ByteReader& source, const std::string& partName, const std::string& expectedRoot,
                                   page_schema::MarkupChecker* schema)
{
    FixedMarkupPass pass(partName, expectedRoot, nullptr, schema);
    char block[65536];
    while (size_t got = source.Read(block, sizeof block)) pass.Feed(block, got);
    pass.Finish();
    return pass.Summary();
}

}  // namespace tav::host
