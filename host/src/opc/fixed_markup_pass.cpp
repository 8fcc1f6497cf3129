#include "opc/fixed_markup_pass.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>

#include <cstring>
#include <set>

#include "opc/package_error.h"
#include "opc/page_schema/markup_checker.h"
#include "opc/xml_pull_reader.h"
#include "opc/xps_names.h"
#include "platform/start_tag_scanner.h"

namespace tav::host {
namespace {

constexpr std::string_view kCompatibilityNamespace = "http://schemas.openxmlformats.org/markup-compatibility/2006";
constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kKeyNamespace = "http://schemas.microsoft.com/xps/2005/06/resourcedictionary-key";
constexpr int kMaxDepth = 256;

std::string_view View(const xmlChar* text)
{
    return text == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(text));
}

// Namespaces whose elements or attributes this consumer understands.
bool UnderstoodNamespace(std::string_view uri)
{
    return uri == xps::kXpsNamespace || uri == kKeyNamespace || uri == kXmlNamespace || uri == kCompatibilityNamespace;
}

std::vector<std::string_view> Tokens(std::string_view text)
{
    std::vector<std::string_view> tokens;
    size_t at = 0;
    while (at < text.size()) {
        size_t start = text.find_first_not_of(" \t\r\n", at);
        if (start == std::string_view::npos) break;
        size_t end = text.find_first_of(" \t\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        tokens.push_back(text.substr(start, end - start));
        at = end;
    }
    return tokens;
}

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

// Compares a name of libxml2's, which most often differs in its first
// letters, without measuring it first.
bool NameIs(const char* name, std::string_view expected)
{
    for (char c : expected) {
        if (*name++ != c) return false;
    }
    return *name == '\0';
}

// The URIs an attribute value refers to: a part URI for FontUri, Source and
// ImageSource (also as {ColorConvertedBitmap image profile}), and the
// profile of a ContextColor colour.
void ReferencesOfValue(const char* name, std::string_view value, bool dictionaryElement,
                       std::vector<std::string_view>* uris)
{
    // Most attributes are none of these: they are told apart before
    // anything is trimmed or compared at length.
    size_t first = 0;
    while (first < value.size() &&
           (value[first] == ' ' || value[first] == '\t' || value[first] == '\r' || value[first] == '\n')) {
        ++first;
    }
    if (first == value.size()) return;
    bool mayBeColor = value[first] == 'C';
    bool mayBePart =
        NameIs(name, "FontUri") || (dictionaryElement && NameIs(name, "Source")) || NameIs(name, "ImageSource");
    if (!mayBeColor && !mayBePart) return;
    value = value.substr(first, value.find_last_not_of(" \t\r\n") - first + 1);
    if (value.substr(0, 13) == "ContextColor ") {
        std::vector<std::string_view> tokens = Tokens(value.substr(13));
        if (!tokens.empty()) uris->push_back(tokens[0]);
        return;
    }
    if (!mayBePart) return;
    if (name[0] != 'I' || value.front() != '{') {
        uris->push_back(value);
    } else if (value.substr(0, 21) == "{ColorConvertedBitmap" && value.back() == '}') {
        for (std::string_view token : Tokens(value.substr(21, value.size() - 22))) uris->push_back(token);
    }
}

}  // namespace

struct FixedMarkupPass::State {
    enum class Kind { Written, Unwrapped, AlternateContent };
    struct Frame {
        Kind kind;
        size_t bindings;
        size_t ignorable;
        size_t processed;
        bool selected = false;  // AlternateContent: a Choice or the Fallback was taken
        bool sawChoice = false;
        bool sawFallback = false;
        std::string name;  // written elements: the local name to close
    };

    std::string partName;
    std::string expectedRoot;
    std::string* output = nullptr;
    xmlParserCtxtPtr context = nullptr;
    tav::xml::StartTagScanner startTags;
    std::string pendingHead;  // the first bytes, until the encoding can be told
    std::string failure;
    FixedMarkupSummary summary;
    std::set<std::string, std::less<>> seenReferences;
    std::vector<std::pair<std::string, std::string>> bindings;  // prefix, URI
    std::vector<std::string> ignorable;
    std::vector<std::pair<std::string, std::string>> processed;  // URI, local name or "*"
    std::vector<Frame> frames;
    int skipDepth = 0;
    bool rootSeen = false;
    bool tagOpen = false;
    page_schema::MarkupChecker* schema = nullptr;
    std::vector<page_schema::AttributeView> schemaAttributes;

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
    // the page's one warning.
    void SchemaFault(const std::string* fault)
    {
        if (fault == nullptr) return;
        if (!schema->Lenient()) return Fail(*fault);
        schema->Excuse(*fault + " (line " + std::to_string(Line()) + ")");
    }

    const std::string* Resolve(std::string_view prefix) const
    {
        for (auto it = bindings.rbegin(); it != bindings.rend(); ++it) {
            if (it->first == prefix) return &it->second;
        }
        return nullptr;
    }

    bool IsIgnorable(std::string_view uri) const
    {
        for (const std::string& entry : ignorable) {
            if (entry == uri) return true;
        }
        return false;
    }

    bool IsProcessed(std::string_view uri, std::string_view local) const
    {
        for (const auto& [ns, name] : processed) {
            if (ns == uri && (name == "*" || name == local)) return true;
        }
        return false;
    }

    void CloseTag()
    {
        if (tagOpen && output != nullptr) output->push_back('>');
        tagOpen = false;
    }

    // Applies the compatibility attributes of an element; false after a failure.
    bool ReadCompatibilityAttributes(int count, const xmlChar** attributes)
    {
        std::vector<std::string_view> processTokens;
        std::vector<std::pair<std::string_view, std::string_view>> preserveTokens;
        for (int i = 0; i < count; ++i) {
            const xmlChar** attribute = attributes + 5 * i;
            if (View(attribute[2]) != kCompatibilityNamespace) continue;
            summary.usesCompatibility = true;
            std::string_view name = View(attribute[0]);
            std::string_view value(reinterpret_cast<const char*>(attribute[3]),
                                   static_cast<size_t>(attribute[4] - attribute[3]));
            if (name == "Ignorable" || name == "MustUnderstand") {
                for (std::string_view prefix : Tokens(value)) {
                    const std::string* uri = Resolve(prefix);
                    if (uri == nullptr) {
                        Fail("mc:" + std::string(name) + " names the undeclared prefix \"" + std::string(prefix) +
                             "\"");
                        return false;
                    }
                    if (name == "Ignorable") {
                        ignorable.push_back(*uri);
                    } else if (!UnderstoodNamespace(*uri)) {
                        Fail("mc:MustUnderstand names the namespace \"" + *uri + "\", which is not understood");
                        return false;
                    }
                }
            } else if (name == "ProcessContent") {
                for (std::string_view token : Tokens(value)) processTokens.push_back(token);
            } else if (name == "PreserveElements" || name == "PreserveAttributes") {
                for (std::string_view token : Tokens(value)) preserveTokens.emplace_back(name, token);
            } else {
                Fail("the markup-compatibility attribute mc:" + std::string(name) + " is unknown");
                return false;
            }
        }
        // Names in ProcessContent and Preserve* must belong to namespaces
        // declared ignorable here or above.
        auto checkIgnorable = [this](std::string_view attribute, std::string_view token, std::string* uri,
                                     std::string* local) {
            size_t colon = token.find(':');
            const std::string* bound = colon == std::string_view::npos ? nullptr : Resolve(token.substr(0, colon));
            if (bound == nullptr) {
                Fail("mc:" + std::string(attribute) + " names \"" + std::string(token) +
                     "\", which has no declared prefix");
                return false;
            }
            if (!IsIgnorable(*bound)) {
                Fail("mc:" + std::string(attribute) + " names the namespace \"" + *bound +
                     "\", which is not declared Ignorable");
                return false;
            }
            *uri = *bound;
            *local = std::string(token.substr(colon + 1));
            return true;
        };
        for (std::string_view token : processTokens) {
            std::string uri, local;
            if (!checkIgnorable("ProcessContent", token, &uri, &local)) return false;
            processed.emplace_back(uri, local);
        }
        for (const auto& [attribute, token] : preserveTokens) {
            std::string uri, local;
            if (!checkIgnorable(attribute, token, &uri, &local)) return false;
        }
        return true;
    }

    void StartCompatibilityElement(std::string_view local, int count, const xmlChar** attributes, Frame& frame)
    {
        Frame* parent = frames.empty() ? nullptr : &frames.back();
        bool inAlternate = parent != nullptr && parent->kind == Kind::AlternateContent;
        if (local == "AlternateContent") {
            if (inAlternate) return Fail("mc:AlternateContent may hold only mc:Choice and mc:Fallback");
            for (int i = 0; i < count; ++i) {
                if (View(attributes[5 * i + 2]) != kCompatibilityNamespace) {
                    return Fail("mc:AlternateContent carries the attribute " + std::string(View(attributes[5 * i])));
                }
            }
            frame.kind = Kind::AlternateContent;
            return;
        }
        if (local != "Choice" && local != "Fallback") {
            return Fail("the markup-compatibility element mc:" + std::string(local) + " is unknown");
        }
        if (!inAlternate) return Fail("mc:" + std::string(local) + " stands outside mc:AlternateContent");
        if (parent->sawFallback) return Fail("mc:" + std::string(local) + " follows the mc:Fallback");
        bool understood = true;
        if (local == "Choice") {
            parent->sawChoice = true;
            std::optional<std::string_view> required;
            for (int i = 0; i < count; ++i) {
                const xmlChar** attribute = attributes + 5 * i;
                std::string_view ns = View(attribute[2]);
                if (ns.empty() && View(attribute[0]) == "Requires") {
                    required = std::string_view(reinterpret_cast<const char*>(attribute[3]),
                                                static_cast<size_t>(attribute[4] - attribute[3]));
                } else if (ns != kCompatibilityNamespace) {
                    return Fail("mc:Choice carries the attribute " + std::string(View(attribute[0])));
                }
            }
            if (!required || Tokens(*required).empty()) return Fail("mc:Choice has no Requires");
            for (std::string_view prefix : Tokens(*required)) {
                const std::string* uri = Resolve(prefix);
                if (uri == nullptr)
                    return Fail("mc:Choice requires the undeclared prefix \"" + std::string(prefix) + "\"");
                understood = understood && UnderstoodNamespace(*uri);
            }
        } else {
            if (!parent->sawChoice) return Fail("mc:Fallback comes before any mc:Choice");
            parent->sawFallback = true;
            for (int i = 0; i < count; ++i) {
                if (View(attributes[5 * i + 2]) != kCompatibilityNamespace) {
                    return Fail("mc:Fallback carries the attribute " + std::string(View(attributes[5 * i])));
                }
            }
        }
        if (parent->selected || !understood) {
            skipDepth = 1;
            return;
        }
        parent->selected = true;
        frame.kind = Kind::Unwrapped;
    }

    void WriteStartTag(std::string_view local, int count, const xmlChar** attributes)
    {
        CloseTag();
        *output += '<';
        *output += local;
        if (!rootSeen) {
            *output += " xmlns=\"";
            *output += xps::kXpsNamespace;
            *output += "\" xmlns:x=\"";
            *output += kKeyNamespace;
            *output += '"';
        }
        for (int i = 0; i < count; ++i) {
            const xmlChar** attribute = attributes + 5 * i;
            std::string_view ns = View(attribute[2]);
            if (!ns.empty() && ns != kXmlNamespace && ns != kKeyNamespace) continue;
            *output += ' ';
            if (ns == kXmlNamespace) *output += "xml:";
            if (ns == kKeyNamespace) *output += "x:";
            *output += View(attribute[0]);
            *output += "=\"";
            AppendEscaped(output,
                          std::string_view(reinterpret_cast<const char*>(attribute[3]),
                                           static_cast<size_t>(attribute[4] - attribute[3])),
                          true);
            *output += '"';
        }
        tagOpen = true;
    }

    void CollectReferences(std::string_view local, int count, const xmlChar** attributes)
    {
        std::vector<std::string_view> uris;
        bool dictionary = local == "ResourceDictionary";
        for (int i = 0; i < count; ++i) {
            const xmlChar** attribute = attributes + 5 * i;
            if (attribute[2] != nullptr) continue;
            std::string_view value(reinterpret_cast<const char*>(attribute[3]),
                                   static_cast<size_t>(attribute[4] - attribute[3]));
            const char* name = reinterpret_cast<const char*>(attribute[0]);
            uris.clear();
            ReferencesOfValue(name, value, dictionary, &uris);
            for (std::string_view uri : uris) {
                // Looked up before it is added: most URIs are seen many times.
                if (seenReferences.find(uri) != seenReferences.end()) continue;
                seenReferences.emplace(uri);
                summary.references.push_back({std::string(uri), name});
            }
        }
    }

    void StartElement(std::string_view local, std::string_view uri, int namespaceCount, const xmlChar** namespaces,
                      int count, const xmlChar** attributes)
    {
        if (skipDepth > 0) {
            ++skipDepth;
            return;
        }
        if (frames.size() >= kMaxDepth)
            return Fail("the markup nests deeper than " + std::to_string(kMaxDepth) + " elements");
        Frame frame{Kind::Written, bindings.size(), ignorable.size(), processed.size(), false, false, false, {}};
        for (int i = 0; i < namespaceCount; ++i) {
            bindings.emplace_back(std::string(View(namespaces[2 * i])), std::string(View(namespaces[2 * i + 1])));
        }
        bool root = !rootSeen;
        if (root) {
            summary.rootName = std::string(local);
            summary.rootNamespace = std::string(uri);
            if (local != expectedRoot || uri != xps::kXpsNamespace) {
                return Fail("the root element is not an XPS " + expectedRoot);
            }
            const char* encoding = reinterpret_cast<const char*>(context->encoding);
            if (!IsPackageEncoding(encoding)) {
                return Fail(std::string("the markup is encoded in ") + encoding + ", not in UTF-8 or UTF-16");
            }
        }
        if (!ReadCompatibilityAttributes(count, attributes)) return;
        if (uri == kCompatibilityNamespace) {
            summary.usesCompatibility = true;
            StartCompatibilityElement(local, count, attributes, frame);
            if (!failure.empty()) return;
        } else if (!frames.empty() && frames.back().kind == Kind::AlternateContent) {
            return Fail("mc:AlternateContent may hold only mc:Choice and mc:Fallback, not " + std::string(local));
        } else if (uri != xps::kXpsNamespace) {
            if (!IsIgnorable(uri)) {
                return Fail("the element " + std::string(local) + " is of the namespace \"" + std::string(uri) +
                            "\", which is neither understood nor declared Ignorable");
            }
            summary.usesCompatibility = true;
            if (!IsProcessed(uri, local)) skipDepth = 1;
            frame.kind = Kind::Unwrapped;
        }
        if (skipDepth > 0) {
            // The skipped element's own scope ends here.
            bindings.resize(frame.bindings);
            ignorable.resize(frame.ignorable);
            processed.resize(frame.processed);
            return;
        }
        if (frame.kind == Kind::Written) {
            for (int i = 0; i < count; ++i) {
                std::string_view ns = View(attributes[5 * i + 2]);
                if (ns.empty() || UnderstoodNamespace(ns)) continue;
                if (!IsIgnorable(ns)) {
                    return Fail("the attribute " + std::string(View(attributes[5 * i])) + " is of the namespace \"" +
                                std::string(ns) + "\", which is neither understood nor declared Ignorable");
                }
                summary.usesCompatibility = true;
            }
            if (root) {
                for (int i = 0; i < count; ++i) {
                    const xmlChar** attribute = attributes + 5 * i;
                    if (attribute[2] != nullptr) continue;
                    std::string value(reinterpret_cast<const char*>(attribute[3]),
                                      static_cast<size_t>(attribute[4] - attribute[3]));
                    if (View(attribute[0]) == "Width") summary.width = value;
                    if (View(attribute[0]) == "Height") summary.height = value;
                }
            }
            if (schema != nullptr) {
                schemaAttributes.clear();
                for (int i = 0; i < count; ++i) {
                    const xmlChar** a = attributes + 5 * i;
                    schemaAttributes.push_back(
                        {View(a[0]),
                         View(a[2]),
                         {reinterpret_cast<const char*>(a[3]), static_cast<size_t>(a[4] - a[3])}});
                }
                SchemaFault(schema->StartElement(local, schemaAttributes.data(), schemaAttributes.size()));
                if (!failure.empty()) return;
            }
            CollectReferences(local, count, attributes);
            if (output != nullptr) WriteStartTag(local, count, attributes);
            frame.name = std::string(local);
        }
        rootSeen = true;
        frames.push_back(std::move(frame));
    }

    void EndElement()
    {
        if (skipDepth > 0) {
            --skipDepth;
            return;
        }
        if (frames.empty()) return;
        Frame& frame = frames.back();
        if (frame.kind == Kind::AlternateContent && !frame.sawChoice)
            return Fail("mc:AlternateContent has no mc:Choice");
        if (frame.kind == Kind::Written && schema != nullptr) SchemaFault(schema->EndElement());
        if (frame.kind == Kind::Written && output != nullptr) {
            if (tagOpen) {
                *output += "/>";
                tagOpen = false;
            } else {
                *output += "</" + frame.name + ">";
            }
        }
        bindings.resize(frame.bindings);
        ignorable.resize(frame.ignorable);
        processed.resize(frame.processed);
        frames.pop_back();
    }

    void Text(const char* text, size_t length)
    {
        if (skipDepth > 0 || frames.empty()) return;
        std::string_view view(text, length);
        if (frames.back().kind == Kind::AlternateContent) {
            if (view.find_first_not_of(" \t\r\n") != std::string_view::npos) {
                Fail("mc:AlternateContent holds text");
            }
            return;
        }
        if (schema != nullptr) SchemaFault(schema->Text(view));
        if (output == nullptr) return;
        CloseTag();
        AppendEscaped(output, view, false);
    }

    static void OnStartElement(void* context, const xmlChar* local, const xmlChar*, const xmlChar* uri,
                               int namespaceCount, const xmlChar** namespaces, int count, int,
                               const xmlChar** attributes)
    {
        State* state = static_cast<State*>(context);
        if (!state->failure.empty()) return;
        state->StartElement(View(local), View(uri), namespaceCount, namespaces, count, attributes);
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
    state_->output = output;
    state_->schema = schema;
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

const FixedMarkupSummary& FixedMarkupPass::Summary() const { return state_->summary; }

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

namespace {

class CompatibleReader : public ByteReader {
public:
    CompatibleReader(std::unique_ptr<ByteReader> source, std::string partName)
        : source_(std::move(source)), pass_(std::move(partName), "FixedPage", &output_)
    {
        output_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    }

    size_t Read(void* buffer, size_t count) override
    {
        while (taken_ == output_.size() && !ended_) {
            output_.clear();
            taken_ = 0;
            char block[65536];
            size_t got = source_->Read(block, sizeof block);
            if (got == 0) {
                pass_.Finish();
                ended_ = true;
            } else {
                pass_.Feed(block, got);
            }
        }
        size_t take = std::min(count, output_.size() - taken_);
        std::memcpy(buffer, output_.data() + taken_, take);
        taken_ += take;
        return take;
    }

private:
    std::unique_ptr<ByteReader> source_;
    std::string output_;
    FixedMarkupPass pass_;
    size_t taken_ = 0;
    bool ended_ = false;
};

class CompatibleContent : public PartContent {
public:
    CompatibleContent(std::shared_ptr<const PartContent> original, std::string partName)
        : original_(std::move(original)), partName_(std::move(partName))
    {
    }
    std::unique_ptr<ByteReader> Open() const override
    {
        return std::make_unique<CompatibleReader>(original_->Open(), partName_);
    }
    std::optional<uint64_t> KnownSize() const override { return std::nullopt; }

private:
    std::shared_ptr<const PartContent> original_;
    std::string partName_;
};

}  // namespace

std::shared_ptr<const PartContent> CompatibleMarkupContent(std::shared_ptr<const PartContent> original,
                                                           std::string partName)
{
    return std::make_shared<CompatibleContent>(std::move(original), std::move(partName));
}

}  // namespace tav::host
