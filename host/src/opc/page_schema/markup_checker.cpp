#include "opc/page_schema/markup_checker.h"

#include <bitset>
#include <cmath>
#include <unordered_map>

#include "opc/markup_references.h"
#include "opc/page_schema/geometry_syntax.h"
#include "opc/page_schema/glyph_rules.h"
#include "opc/page_schema/value_syntax.h"
#include "opc/xps_names.h"

namespace tav::host::page_schema {
namespace {

constexpr size_t kShownValue = 40;

size_t Bit(Attribute attribute) { return static_cast<size_t>(attribute); }

// libxml2 hands each name out of its parser's dictionary, one address for
// one name for as long as the parser lives (a checker lives no longer than
// the pass that feeds it): a small cache by address alone spares measuring
// the name and looking it up in the table.
template <typename Id>
class NameCache {
public:
    // lookup() tells the id of a name not met before.
    template <typename Lookup>
    Id Find(const char* name, Lookup lookup)
    {
        uintptr_t address = reinterpret_cast<uintptr_t>(name);
        Slot& slot = slots_[((address >> 3) ^ (address >> 11)) % kSlots];
        if (slot.text == name) return slot.id;
        Id id = lookup();
        slot = {name, id};
        return id;
    }

private:
    static constexpr size_t kSlots = 128;
    struct Slot {
        const char* text = nullptr;
        Id id{};
    };
    Slot slots_[kSlots];
};

bool IsBrush(Element element)
{
    return element == Element::SolidColorBrush || element == Element::ImageBrush || element == Element::VisualBrush ||
           element == Element::LinearGradientBrush || element == Element::RadialGradientBrush;
}

bool IsVisual(Element element)
{
    return element == Element::Canvas || element == Element::Path || element == Element::Glyphs;
}

bool IsSegment(Element element)
{
    return element == Element::ArcSegment || element == Element::PolyBezierSegment ||
           element == Element::PolyLineSegment || element == Element::PolyQuadraticBezierSegment;
}

// Whether content of the kind may hold the element.
bool ContentTakes(Content content, Element element)
{
    switch (content) {
    case Content::Nothing: return false;
    case Content::Visuals:
    case Content::OneVisual: return IsVisual(element);
    case Content::Figures: return element == Element::PathFigure;
    case Content::Segments: return IsSegment(element);
    case Content::Resources: return RuleOf(element).resourceKind != ResourceKind::None;
    case Content::OneTransform: return element == Element::MatrixTransform;
    case Content::OneGeometry: return element == Element::PathGeometry;
    case Content::OneBrush: return IsBrush(element);
    case Content::OneDictionary: return element == Element::ResourceDictionary;
    case Content::GradientStops: return element == Element::GradientStop;
    }
    return false;
}

bool HoldsExactlyOne(Content content)
{
    return content == Content::OneTransform || content == Content::OneGeometry || content == Content::OneBrush ||
           content == Content::OneVisual || content == Content::OneDictionary;
}

// Values that may name a part, once checked: URIs, and ContextColor
// colours (their profile); a colour of another form begins with '#' or 's'.
bool MayReferToParts(ValueType type, std::string_view value)
{
    if (type == ValueType::Uri || type == ValueType::ImageSource) return true;
    return (type == ValueType::Color || type == ValueType::ColorOrResource) && value[0] == 'C';
}

ResourceKind KindOfReference(ValueType type)
{
    switch (type) {
    case ValueType::ColorOrResource:
    case ValueType::BrushResource: return ResourceKind::Brush;
    case ValueType::MatrixOrResource: return ResourceKind::Transform;
    case ValueType::GeometryOrResource: return ResourceKind::Geometry;
    case ValueType::VisualResource: return ResourceKind::Visual;
    default: return ResourceKind::None;
    }
}

std::string Shown(std::string_view value)
{
    if (value.size() <= kShownValue) return std::string(value);
    return std::string(value.substr(0, kShownValue)) + "...";
}

}  // namespace

const char* ResourceKindName(ResourceKind kind)
{
    switch (kind) {
    case ResourceKind::Brush: return "a brush";
    case ResourceKind::Transform: return "a MatrixTransform";
    case ResourceKind::Geometry: return "a PathGeometry";
    case ResourceKind::Visual: return "a Canvas, Path or Glyphs";
    case ResourceKind::None: break;
    }
    return "no resource";
}

struct MarkupChecker::State {
    struct Frame {
        Element element = Element::Unknown;
        AttributeSet given;
        int lastProperty = -1;          // index of the last property element met, in the owner's order
        bool contentSeen = false;       // an element other than a property element was met
        uint32_t children = 0;          // elements held (property elements: their content)
        bool remoteDictionary = false;  // a ResourceDictionary with a Source
        bool inDictionary = false;      // a resource of a dictionary, defined when it ends (key: pendingKeys.back())
    };
    struct Scope {
        size_t ownerDepth;  // frames.size() of the element whose resources these are
        size_t firstKey;    // index into scopeKeys
        std::string remoteSource;
    };
    struct Definition {
        ResourceKind kind;
        size_t scope;
    };

    MarkupRoot root;
    bool lenient = false;
    std::optional<std::string> excused;
    std::vector<Frame> frames;
    std::vector<Scope> scopes;
    std::vector<std::string> scopeKeys;    // the keys each scope defined, in order
    std::vector<std::string> pendingKeys;  // the x:Key of each open resource of a dictionary
    std::unordered_map<std::string, std::vector<Definition>> definitions;
    std::vector<GlyphFontUse> glyphFonts;
    std::vector<DeferredReference> deferred;
    std::vector<DefinedResource> defined;
    NameCache<Element> elementNames;
    NameCache<Attribute> attributeNames;
    std::string fault;

    const std::string* Fail(std::string reason)
    {
        fault = std::move(reason);
        return &fault;
    }

    std::string Named(const Frame& frame) const { return std::string(RuleOf(frame.element).name); }

    // Where the element may stand, given its parent.
    const std::string* CheckPlace(Element element)
    {
        std::string_view name = RuleOf(element).name;
        if (frames.empty()) {
            Element expected = root == MarkupRoot::FixedPage ? Element::FixedPage : Element::ResourceDictionary;
            if (element != expected) return Fail("the root element " + std::string(name) + " is not allowed here");
            return nullptr;
        }
        Frame& parent = frames.back();
        const ElementRule& parentRule = RuleOf(parent.element);
        if (IsPropertyElement(element)) {
            if (IsPropertyElement(parent.element) || RuleOf(element).owner != parent.element) {
                return Fail("the property element " + std::string(name) + " may not stand inside " +
                            std::string(parentRule.name));
            }
            int index = 0;
            while (parentRule.properties[index] != element) ++index;
            if (parent.contentSeen || index <= parent.lastProperty) {
                return Fail(std::string(parentRule.name) + ": the property element " + std::string(name) +
                            " is out of order or given twice (property elements come first, in the order " +
                            "the vocabulary gives)");
            }
            parent.lastProperty = index;
            Attribute same = RuleOf(element).sameAsAttribute;
            if (same != Attribute::Unknown && parent.given.test(Bit(same))) {
                return Fail(std::string(parentRule.name) + ": " + std::string(AttributeName(same)) +
                            " is given both as an attribute and as the property element " + std::string(name));
            }
            if (same != Attribute::Unknown) parent.given.set(Bit(same));
            return nullptr;
        }
        if (!ContentTakes(parentRule.content, element)) {
            return Fail("the element " + std::string(name) + " may not stand inside " + std::string(parentRule.name));
        }
        if (parent.remoteDictionary) {
            return Fail("a ResourceDictionary with a Source holds the resource " + std::string(name) + " too");
        }
        if (HoldsExactlyOne(parentRule.content) && parent.children > 0) {
            return Fail(std::string(parentRule.name) + " holds more than one element");
        }
        parent.contentSeen = true;
        return nullptr;
    }

    // The messages of a value of the wrong form, made apart from the checks
    // so that they cost nothing while values are sound.
    [[gnu::cold]] const std::string* ValueFault(const Frame& frame, const AttributeRule& rule, std::string_view value,
                                                const char* reason)
    {
        return Fail(Named(frame) + ": the attribute " + std::string(AttributeName(rule.attribute)) + " \"" +
                    Shown(value) + "\" " + reason);
    }

    [[gnu::cold]] const std::string* GeometryFault(const Frame& frame, const AttributeRule& rule,
                                                   const GeometrySyntaxError& error)
    {
        return Fail(Named(frame) + ": the attribute " + std::string(AttributeName(rule.attribute)) +
                    " is no valid geometry at offset " + std::to_string(error.offset) + ": " + error.reason);
    }

    [[gnu::cold]] const std::string* EnumerationFault(const Frame& frame, const AttributeRule& rule,
                                                      std::string_view value)
    {
        size_t count = 0;
        const std::string_view* allowed = EnumerationValues(rule.type, &count);
        std::string listed;
        for (size_t i = 0; i < count; ++i) listed += (i == 0 ? "" : ", ") + std::string(allowed[i]);
        return Fail(Named(frame) + ": the attribute " + std::string(AttributeName(rule.attribute)) + " \"" +
                    Shown(value) + "\" is none of the values allowed (" + listed + ")");
    }

    const std::string* CheckValue(const Frame& frame, const AttributeRule& rule, std::string_view value)
    {
        const char* reason = nullptr;
        if (!value.empty() && value[0] == '{') {
            ResourceKind referenceKind = KindOfReference(rule.type);
            if (referenceKind != ResourceKind::None) {
                std::optional<std::string_view> key = ResourceReference(value, &reason);
                if (key) return ResolveReference(frame, rule.attribute, *key, referenceKind);
                return ValueFault(frame, rule, value, reason);
            }
        }
        switch (rule.type) {
        case ValueType::Text: break;
        case ValueType::Double: reason = CheckNumber(value, -HUGE_VAL, HUGE_VAL); break;
        case ValueType::NonNegative: reason = CheckNumber(value, 0, HUGE_VAL); break;
        case ValueType::AtLeastOne: reason = CheckNumber(value, 1, HUGE_VAL); break;
        case ValueType::ZeroToOne: reason = CheckNumber(value, 0, 1); break;
        case ValueType::BidiLevel: reason = CheckInteger(value, 0, 61); break;
        case ValueType::Point: reason = CheckPoint(value, false); break;
        case ValueType::NonNegativePoint: reason = CheckPoint(value, true); break;
        case ValueType::Points: reason = CheckPoints(value); break;
        case ValueType::Rectangle: reason = CheckRectangle(value); break;
        case ValueType::Matrix:
        case ValueType::MatrixOrResource: reason = CheckMatrix(value); break;
        case ValueType::Boolean: reason = CheckBoolean(value); break;
        case ValueType::DashArray: reason = CheckEvenNonNegativeList(value); break;
        case ValueType::Color:
        case ValueType::ColorOrResource: reason = CheckColor(value); break;
        case ValueType::GeometryOrResource:
        case ValueType::Geometry:
            if (IsPlainValidGeometry(value, rule.type == ValueType::GeometryOrResource)) break;
            if (auto error = CheckAbbreviatedGeometry(value, rule.type == ValueType::GeometryOrResource)) {
                return GeometryFault(frame, rule, *error);
            }
            break;
        case ValueType::BrushResource:
        case ValueType::VisualResource: reason = "is not a {StaticResource KEY} reference"; break;
        case ValueType::Uri: reason = CheckUri(value); break;
        case ValueType::ImageSource: reason = CheckImageSource(value); break;
        case ValueType::Indices: {
            GlyphIndices indices;
            reason = ReadIndices(value, &indices);
            break;
        }
        case ValueType::UnicodeString: {
            std::string_view characters;
            reason = UnescapeUnicodeString(value, &characters);
            break;
        }
        case ValueType::CaretStops: reason = CheckCaretStops(value); break;
        case ValueType::Name: reason = CheckName(value); break;
        case ValueType::Language: reason = CheckLanguageTag(value); break;
        default: {
            size_t count = 0;
            const std::string_view* allowed = EnumerationValues(rule.type, &count);
            for (size_t i = 0; i < count; ++i) {
                if (allowed[i] == value) return nullptr;
            }
            return EnumerationFault(frame, rule, value);
        }
        }
        if (reason == nullptr) return nullptr;
        return ValueFault(frame, rule, value, reason);
    }

    [[gnu::noinline]] const std::string* ResolveReference(const Frame& frame, Attribute attribute, std::string_view key,
                                                          ResourceKind kind)
    {
        std::string where = Named(frame) + " " + std::string(AttributeName(attribute));
        auto found = definitions.find(std::string(key));
        if (found != definitions.end() && !found->second.empty()) {
            ResourceKind defined = found->second.back().kind;
            if (defined != kind) {
                return Fail(where + ": {StaticResource " + std::string(key) + "} names " + ResourceKindName(defined) +
                            ", not " + ResourceKindName(kind));
            }
            return nullptr;
        }
        DeferredReference later{std::string(key), kind, {}, where};
        for (auto scope = scopes.rbegin(); scope != scopes.rend(); ++scope) {
            if (!scope->remoteSource.empty()) later.dictionaries.push_back(scope->remoteSource);
        }
        if (later.dictionaries.empty()) {
            return Fail(where + ": {StaticResource " + std::string(key) +
                        "} names no resource defined before it in scope");
        }
        deferred.push_back(std::move(later));
        return nullptr;
    }

    // The attribute of the vocabulary an attribute of the markup is, or
    // Unknown for one of a namespace this vocabulary leaves to others
    // (markup compatibility, ignorable namespaces); null, or the fault.
    const std::string* AttributeOf(const SaxAttributes& attributes, int i, const Frame& frame, Attribute* attribute)
    {
        if (attributes.HasNamespace(i)) return QualifiedAttributeOf(attributes, i, frame, attribute);
        const char* name = attributes.LocalName(i);
        *attribute = attributeNames.Find(name, [name] { return AttributeNamed(name); });
        if (*attribute != Attribute::Unknown) return nullptr;
        return UnknownAttribute(frame, name);
    }

    [[gnu::cold]] const std::string* UnknownAttribute(const Frame& frame, const char* name)
    {
        return Fail(Named(frame) + ": the attribute " + std::string(name) + " is not part of the vocabulary");
    }

    // xml:lang and x:Key; other xml: and x: attributes are faults.
    [[gnu::noinline]] const std::string* QualifiedAttributeOf(const SaxAttributes& attributes, int i,
                                                              const Frame& frame, Attribute* attribute)
    {
        *attribute = Attribute::Unknown;
        std::string_view local = attributes.Local(i);
        std::string_view uri = attributes.Namespace(i);
        if (uri == xps::kXmlNamespace) {
            if (local == "lang") *attribute = Attribute::XmlLang;
            if (*attribute == Attribute::Unknown) {
                return Fail(Named(frame) + ": the attribute xml:" + std::string(local) + " is not allowed");
            }
        } else if (uri == xps::kResourceKeyNamespace) {
            if (local == "Key") *attribute = Attribute::Key;
            if (*attribute == Attribute::Unknown) {
                return Fail(Named(frame) + ": the attribute x:" + std::string(local) + " is not allowed");
            }
        }
        return nullptr;
    }

    const std::string* CheckGlyphs(const GlyphsAttributes& glyphs, std::string_view fontUri)
    {
        GlyphIndices indices;
        if (const char* fault = CheckGlyphsRules(glyphs, &indices)) return Fail("Glyphs " + std::string(fault));
        if (indices.maxGlyphIndex) {
            for (GlyphFontUse& use : glyphFonts) {
                if (use.fontUri == fontUri) {
                    if (*indices.maxGlyphIndex > use.maxGlyphIndex) use.maxGlyphIndex = *indices.maxGlyphIndex;
                    return nullptr;
                }
            }
            glyphFonts.push_back({std::string(fontUri), *indices.maxGlyphIndex});
        }
        return nullptr;
    }

    const std::string* StartElement(std::string_view localName, const SaxAttributes& attributes,
                                    MarkupReferenceCollector* references)
    {
        Element element = elementNames.Find(localName.data(), [localName] { return ElementNamed(localName); });
        if (element == Element::Unknown) {
            return Fail("the element " + std::string(localName) + " is not part of the page vocabulary");
        }
        if (const std::string* fault = CheckPlace(element)) return fault;
        if (!frames.empty()) ++frames.back().children;
        Frame frame;
        frame.element = element;
        frame.inDictionary = !frames.empty() && frames.back().element == Element::ResourceDictionary;
        const ElementRule& rule = RuleOf(element);
        const AttributeRule* const* rules = AttributeRulesOf(element);
        std::string_view key;
        GlyphsAttributes glyphs;
        std::string_view fontUri;
        for (int i = 0; i < attributes.Count(); ++i) {
            Attribute attribute;
            if (const std::string* fault = AttributeOf(attributes, i, frame, &attribute)) return fault;
            if (attribute == Attribute::Unknown) continue;
            const AttributeRule* attributeRule = rules[static_cast<size_t>(attribute)];
            if (attributeRule == nullptr) {
                return Fail(std::string(rule.name) + " does not take the attribute " +
                            std::string(AttributeName(attribute)));
            }
            frame.given.set(Bit(attribute));
            std::string_view value = attributes.Value(i);
            if (const std::string* fault = CheckValue(frame, *attributeRule, value)) return fault;
            if (references != nullptr && MayReferToParts(attributeRule->type, value)) {
                references->CollectValue(attributes.LocalName(i), value, element == Element::ResourceDictionary);
            }
            switch (attribute) {
            case Attribute::Key: key = value; break;
            case Attribute::Source: frame.remoteDictionary = true; break;
            case Attribute::UnicodeString: glyphs.unicodeString = value; break;
            case Attribute::Indices: glyphs.indices = value; break;
            case Attribute::BidiLevel: glyphs.bidiLevel = value; break;
            case Attribute::IsSideways: glyphs.isSideways = value; break;
            case Attribute::FontUri: fontUri = value; break;
            default: break;
            }
        }
        const AttributeSet& required = RequiredAttributes(element);
        if ((required & frame.given) != required) {
            for (uint8_t i = 0; i < rule.attributeCount; ++i) {
                if (rule.attributes[i].required && !frame.given.test(Bit(rule.attributes[i].attribute))) {
                    return Fail(std::string(rule.name) + " lacks the required attribute " +
                                std::string(AttributeName(rule.attributes[i].attribute)));
                }
            }
        }
        if (frame.inDictionary) {
            if (key.empty()) return Fail("the resource " + std::string(rule.name) + " has no x:Key");
            const Scope& scope = scopes.back();
            for (size_t k = scope.firstKey; k < scopeKeys.size(); ++k) {
                if (scopeKeys[k] == key) {
                    return Fail("the key " + std::string(key) + " is defined twice in one ResourceDictionary");
                }
            }
            pendingKeys.emplace_back(key);
        } else if (frame.given.test(Bit(Attribute::Key))) {
            return Fail(std::string(rule.name) + ": x:Key is allowed only on a resource of a ResourceDictionary");
        }
        if (element == Element::Glyphs) {
            if (const std::string* fault = CheckGlyphs(glyphs, fontUri)) return fault;
        }
        if (element == Element::ResourceDictionary) {
            std::string source;
            for (int i = 0; i < attributes.Count() && frame.remoteDictionary; ++i) {
                if (!attributes.HasNamespace(i) && attributes.Local(i) == "Source") {
                    source = std::string(attributes.Value(i));
                }
            }
            if (frame.remoteDictionary && root == MarkupRoot::RemoteDictionary) {
                return Fail("a remote ResourceDictionary refers to another remote dictionary (Source \"" +
                            Shown(source) + "\")");
            }
            // The dictionary's resources belong to the element whose
            // Resources hold it (the part's root for a remote one).
            size_t owner = frames.size() >= 2 ? frames.size() - 2 : 0;
            scopes.push_back({owner + 1, scopeKeys.size(), source});
        }
        frames.push_back(std::move(frame));
        return nullptr;
    }

    void Define(const std::string& key, ResourceKind kind)
    {
        scopeKeys.push_back(key);
        definitions[key].push_back({kind, scopes.size() - 1});
        if (root == MarkupRoot::RemoteDictionary && scopes.size() == 1) defined.push_back({key, kind});
    }

    void CloseScopes()
    {
        while (!scopes.empty() && scopes.back().ownerDepth > frames.size()) {
            for (size_t k = scopes.back().firstKey; k < scopeKeys.size(); ++k) {
                auto found = definitions.find(scopeKeys[k]);
                found->second.pop_back();
                if (found->second.empty()) definitions.erase(found);
            }
            scopeKeys.resize(scopes.back().firstKey);
            scopes.pop_back();
        }
    }

    const std::string* EndElement()
    {
        if (frames.empty()) return nullptr;
        const Frame& frame = frames.back();
        const ElementRule& rule = RuleOf(frame.element);
        if (HoldsExactlyOne(rule.content) && frame.children == 0) {
            return Fail(std::string(rule.name) + " holds no element");
        }
        if (rule.content == Content::GradientStops && frame.children < 2) {
            return Fail(std::string(rule.name) + " holds fewer than two GradientStop elements");
        }
        if (rule.content == Content::Segments && frame.children == 0) return Fail("a PathFigure holds no segment");
        // Only a gradient's stops must be given as a property element.
        if (frame.element == Element::LinearGradientBrush || frame.element == Element::RadialGradientBrush) {
            for (uint8_t i = 0; i < rule.propertyCount; ++i) {
                const ElementRule& property = RuleOf(rule.properties[i]);
                if (property.propertyRequired && frame.lastProperty < i) {
                    return Fail(std::string(rule.name) + " lacks its " + std::string(property.name));
                }
            }
        }
        if (frame.element == Element::VisualBrush && !frame.given.test(Bit(Attribute::Visual))) {
            return Fail("VisualBrush has no Visual (neither the attribute nor VisualBrush.Visual)");
        }
        if (frame.inDictionary) {
            std::string key = std::move(pendingKeys.back());
            pendingKeys.pop_back();
            frames.pop_back();
            CloseScopes();
            Define(key, rule.resourceKind);
            return nullptr;
        }
        frames.pop_back();
        CloseScopes();
        return nullptr;
    }
};

MarkupChecker::MarkupChecker(MarkupRoot root, bool lenient) : state_(std::make_unique<State>())
{
    state_->root = root;
    state_->lenient = lenient;
    state_->frames.reserve(32);
}

MarkupChecker::~MarkupChecker() = default;

const std::string* MarkupChecker::StartElement(std::string_view localName, const SaxAttributes& attributes,
                                               MarkupReferenceCollector* references)
{
    if (state_->excused) return nullptr;
    return state_->StartElement(localName, attributes, references);
}

const std::string* MarkupChecker::EndElement()
{
    if (state_->excused) return nullptr;
    return state_->EndElement();
}

const std::string* MarkupChecker::Text(std::string_view text)
{
    if (state_->excused || state_->frames.empty()) return nullptr;
    // Line breaks and indentation between elements, most often.
    for (char c : text) {
        if (c != '\n' && c != ' ' && c != '\t' && c != '\r') {
            return state_->Fail(state_->Named(state_->frames.back()) +
                                " holds text, which the vocabulary does not allow");
        }
    }
    return nullptr;
}

bool MarkupChecker::Lenient() const { return state_->lenient; }
void MarkupChecker::Excuse(std::string warning)
{
    if (!state_->excused) state_->excused = std::move(warning);
}
const std::optional<std::string>& MarkupChecker::Excused() const { return state_->excused; }

const std::vector<GlyphFontUse>& MarkupChecker::GlyphFonts() const { return state_->glyphFonts; }
const std::vector<DeferredReference>& MarkupChecker::DeferredReferences() const { return state_->deferred; }
const std::vector<DefinedResource>& MarkupChecker::DefinedResources() const { return state_->defined; }

}  // namespace tav::host::page_schema
