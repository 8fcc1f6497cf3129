#include "model_builder.h"

#include <algorithm>

#include "markup_values.h"
#include "path_syntax.h"

namespace tav::render {

namespace {

enum class ElementType {
    FixedPage,
    Canvas,
    Path,
    Glyphs,
    Property,
    ResourceDictionary,
    SolidColorBrush,
    LinearGradientBrush,
    RadialGradientBrush,
    ImageBrush,
    VisualBrush,
    GradientStop,
    MatrixTransform,
    PathGeometry,
    PathFigure,
    PolyLineSegment,
    PolyBezierSegment,
    PolyQuadraticBezierSegment,
    ArcSegment,
    Transparent,  // markup compatibility wrappers whose content counts as the parent's
    Skipped,      // read but not drawn: alternatives not chosen
};

struct ElementName {
    std::string_view name;
    ElementType type;
};

constexpr ElementName kElements[] = {
    {"FixedPage", ElementType::FixedPage},
    {"Canvas", ElementType::Canvas},
    {"Path", ElementType::Path},
    {"Glyphs", ElementType::Glyphs},
    {"ResourceDictionary", ElementType::ResourceDictionary},
    {"SolidColorBrush", ElementType::SolidColorBrush},
    {"LinearGradientBrush", ElementType::LinearGradientBrush},
    {"RadialGradientBrush", ElementType::RadialGradientBrush},
    {"ImageBrush", ElementType::ImageBrush},
    {"VisualBrush", ElementType::VisualBrush},
    {"GradientStop", ElementType::GradientStop},
    {"MatrixTransform", ElementType::MatrixTransform},
    {"PathGeometry", ElementType::PathGeometry},
    {"PathFigure", ElementType::PathFigure},
    {"PolyLineSegment", ElementType::PolyLineSegment},
    {"PolyBezierSegment", ElementType::PolyBezierSegment},
    {"PolyQuadraticBezierSegment", ElementType::PolyQuadraticBezierSegment},
    {"ArcSegment", ElementType::ArcSegment},
};

std::string_view LocalName(std::string_view name)
{
    size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool IsContent(ElementType type)
{
    return type == ElementType::Canvas || type == ElementType::Path || type == ElementType::Glyphs;
}

std::optional<std::string_view> StaticResourceKey(std::string_view value)
{
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
    if (!value.starts_with("{") || !value.ends_with("}")) return std::nullopt;
    value = value.substr(1, value.size() - 2);
    constexpr std::string_view kPrefix = "StaticResource ";
    if (!value.starts_with(kPrefix)) return std::string_view{};
    value.remove_prefix(kPrefix.size());
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
    return value;
}

bool ParseCap(std::string_view text, LineCap* cap)
{
    if (text == "Flat")
        *cap = LineCap::Flat;
    else if (text == "Round")
        *cap = LineCap::Round;
    else if (text == "Square")
        *cap = LineCap::Square;
    else if (text == "Triangle")
        *cap = LineCap::Triangle;
    else
        return false;
    return true;
}

}  // namespace

struct ModelBuilder::Frame {
    ElementType type = ElementType::Skipped;
    std::string name;
    std::string owner;                                            // property elements: "Path" of "Path.Fill"
    std::string property;                                         // and "Fill"
    std::vector<std::pair<std::string, std::string>> attributes;  // in arrival order
    std::u16string unicodeString;
    bool hasUnicodeString = false;
    bool sealed = false;
    bool activated = false;  // canvases: attributes applied to the node
    bool pushedScope = false;
    int node = kNone;
    int list = kPageList;     // content: the node list its node goes into
    bool visualRoot = false;  // content that is a visual of its own

    std::optional<int> fill, stroke, data, clip, opacityMask, visual;
    std::optional<Affine> renderTransform, transform;
    std::vector<GradientStop> stops;
    std::vector<Figure> figures;
    Figure figure;  // PathFigure being built
    Point current;
    std::vector<ResourceEntry> values;  // what a property element received

    const std::string* Attr(std::string_view attribute) const
    {
        for (const auto& [key, value] : attributes)
            if (key == attribute) return &value;
        return nullptr;
    }
    const std::string* Key() const
    {
        for (const auto& [key, value] : attributes)
            if (key.ends_with(":Key")) return &value;
        return nullptr;
    }
};

ModelBuilder::ModelBuilder(PageResources* resources, ModelLimits limits) : resources_(resources), limits_(limits) {}
ModelBuilder::~ModelBuilder() = default;

bool ModelBuilder::Fail(const std::string& element, const std::string& reason)
{
    if (error_.empty()) error_ = element + ": " + reason;
    return false;
}

ModelBuilder::Frame* ModelBuilder::Parent()
{
    for (size_t i = frames_.size(); i-- > 0;)
        if (frames_[i]->type != ElementType::Transparent) return frames_[i].get();
    return nullptr;
}

// The nearest frame below frames_[index] that is not a markup-compatibility
// wrapper.
ModelBuilder::Frame* ModelBuilder::Owner(size_t index)
{
    while (index-- > 0)
        if (frames_[index]->type != ElementType::Transparent) return frames_[index].get();
    return nullptr;
}

bool ModelBuilder::StartElement(std::string_view name)
{
    if (Failed()) return false;
    std::string shown(name.substr(0, 80));
    if (name.empty()) return Fail("page", "an element has no name");
    if (complete_) return Fail(shown, "an element after the end of the FixedPage");
    if (frames_.size() >= limits_.maxDepth)
        return Fail(shown, "elements nested more than " + std::to_string(limits_.maxDepth) + " deep");

    auto frame = std::make_unique<Frame>();
    frame->name = shown;
    Frame* parent = Parent();
    if (parent && !parent->sealed && !Seal(*parent)) return false;
    std::string_view local = LocalName(name);

    if (!started_) {
        if (name != "FixedPage") return Fail(shown, "the page must begin with a FixedPage element");
        started_ = true;
        frame->type = ElementType::FixedPage;
    } else if (!parent) {
        return Fail(shown, "an element after the end of the FixedPage");
    } else if (parent->type == ElementType::Skipped) {
        frame->type = ElementType::Skipped;
    } else if (local == "AlternateContent" || local == "Fallback") {
        frame->type = ElementType::Transparent;
    } else if (local == "Choice") {
        frame->type = ElementType::Skipped;
    } else if (size_t dot = name.find('.'); dot != std::string_view::npos) {
        frame->type = ElementType::Property;
        frame->owner = std::string(name.substr(0, dot));
        frame->property = std::string(name.substr(dot + 1));
        if (frame->owner != parent->name) return Fail(shown, "a property element inside " + parent->name);
    } else {
        auto known = std::find_if(std::begin(kElements), std::end(kElements),
                                  [&](const ElementName& element) { return element.name == name; });
        if (known == std::end(kElements)) return Fail(shown, "not an element of a fixed page");
        frame->type = known->type;
        if (frame->type == ElementType::FixedPage) return Fail(shown, "a FixedPage inside a FixedPage");
        if (IsContent(frame->type)) {
            // Content kept as a resource, or held by a VisualBrush.Visual,
            // is a visual: a node list of its own that brushes draw.
            if (parent->type == ElementType::ResourceDictionary ||
                (parent->type == ElementType::Property && parent->property == "Visual")) {
                frame->visualRoot = true;
                frame->list = static_cast<int>(page_.visuals.size());
                page_.visuals.emplace_back();
                visualCost_.push_back(0);
                visualDepth_.push_back(0);
            } else if (parent->type != ElementType::FixedPage && parent->type != ElementType::Canvas) {
                return Fail(shown, "inside " + parent->name);
            } else {
                frame->list = parent->list;
            }
        }
    }
    if (parent && parent->type == ElementType::Canvas && frame->type != ElementType::Property && !parent->activated) {
        // The canvas's own properties are known once its content begins.
        if (!ActivateCanvas(*parent)) return false;
    }
    frames_.push_back(std::move(frame));
    return true;
}

bool ModelBuilder::Attribute(std::string_view name, std::string_view value)
{
    if (Failed()) return false;
    if (frames_.empty()) return Fail("page", "an attribute outside any element");
    Frame& frame = *frames_.back();
    if (frame.sealed) return Fail(frame.name, "attribute " + std::string(name.substr(0, 80)) + " after the children");
    if (frame.attributes.size() >= limits_.maxAttributes)
        return Fail(frame.name, "more than " + std::to_string(limits_.maxAttributes) + " attributes");
    if (value.size() > limits_.maxAttributeBytes)
        return Fail(frame.name, std::string(name.substr(0, 80)) + " is longer than " +
                                    std::to_string(limits_.maxAttributeBytes) + " bytes");
    frame.attributes.emplace_back(name, value);
    return true;
}

bool ModelBuilder::UnicodeStringAttribute(std::u16string_view value)
{
    if (Failed()) return false;
    if (frames_.empty()) return Fail("page", "an attribute outside any element");
    Frame& frame = *frames_.back();
    if (frame.sealed) return Fail(frame.name, "attribute UnicodeString after the children");
    if (value.size() * 2 > limits_.maxAttributeBytes) return Fail(frame.name, "UnicodeString is too long");
    frame.unicodeString = value;
    frame.hasUnicodeString = true;
    return true;
}

bool ModelBuilder::EndElement(std::string_view name)
{
    if (Failed()) return false;
    if (frames_.empty()) return Fail(std::string(name.substr(0, 80)), "an end without a start");
    Frame& frame = *frames_.back();
    if (!name.empty() && name != frame.name) return Fail(frame.name, "ended as " + std::string(name.substr(0, 80)));
    if (!frame.sealed && !Seal(frame)) return false;
    if (!Finish(frame)) return false;
    if (frame.pushedScope) scopes_.pop_back();
    frames_.pop_back();
    return true;
}

bool ModelBuilder::Seal(Frame& frame)
{
    frame.sealed = true;
    switch (frame.type) {
    case ElementType::FixedPage: return SealFixedPage(frame);
    case ElementType::Canvas: return SealCanvas(frame);
    default: return true;
    }
}

bool ModelBuilder::SealFixedPage(Frame& frame)
{
    if (!NumberAttribute(frame, "Width", &page_.width, true) || !NumberAttribute(frame, "Height", &page_.height, true))
        return false;
    if (page_.width <= 0 || page_.height <= 0 || page_.width > limits_.maxPageExtent ||
        page_.height > limits_.maxPageExtent)
        return Fail(frame.name, "the page size must be positive and at most " +
                                    std::to_string(static_cast<int>(limits_.maxPageExtent)) + " units");
    page_.bleedBox = page_.contentBox = {0, 0, page_.width, page_.height};
    for (auto [attribute, box] : {std::pair{"BleedBox", &page_.bleedBox}, std::pair{"ContentBox", &page_.contentBox}}) {
        if (const std::string* value = frame.Attr(attribute)) {
            Parsed<Rect> rect = ParseRectValue(*value);
            if (!rect.ok()) return Fail(frame.name, std::string(attribute) + ": " + rect.error);
            *box = rect.value;
        }
    }
    scopes_.emplace_back();
    frame.pushedScope = true;
    return true;
}

bool ModelBuilder::SealCanvas(Frame& frame)
{
    if (++nodeCount_ > limits_.maxNodes)
        return Fail(frame.name, "more than " + std::to_string(limits_.maxNodes) + " elements on the page");
    std::vector<Node>& list = List(frame.list);
    frame.node = static_cast<int>(list.size());
    list.push_back({});
    list.back().kind = Node::Canvas;
    scopes_.emplace_back();
    frame.pushedScope = true;
    return true;
}

std::optional<ModelBuilder::ResourceEntry> ModelBuilder::Lookup(std::string_view key) const
{
    for (size_t i = scopes_.size(); i-- > 0;) {
        auto found = scopes_[i].find(key);
        if (found != scopes_[i].end()) return found->second;
    }
    return std::nullopt;
}

int ModelBuilder::AddBrush(Brush brush, uint64_t cost, size_t depth)
{
    brushCost_.push_back(cost);
    brushDepth_.push_back(depth);
    page_.brushes.push_back(std::move(brush));
    return static_cast<int>(page_.brushes.size() - 1);
}

int ModelBuilder::AddGeometry(Geometry geometry)
{
    page_.geometries.push_back(std::move(geometry));
    return static_cast<int>(page_.geometries.size() - 1);
}

bool ModelBuilder::CheckSegments(Frame& frame, size_t added)
{
    segmentCount_ += added;
    if (segmentCount_ > limits_.maxSegmentsPerPage)
        return Fail(frame.name,
                    "the page has more than " + std::to_string(limits_.maxSegmentsPerPage) + " path segments");
    return true;
}

bool ModelBuilder::NumberAttribute(Frame& frame, std::string_view name, double* value, bool required)
{
    const std::string* text = frame.Attr(name);
    if (!text) return required ? Fail(frame.name, std::string(name) + " is missing") : true;
    Parsed<double> number = ParseNumberValue(*text);
    if (!number.ok()) return Fail(frame.name, std::string(name) + ": " + number.error);
    *value = number.value;
    return true;
}

bool ModelBuilder::ColourAttribute(Frame& frame, std::string_view name, Rgba* colour, bool required)
{
    const std::string* text = frame.Attr(name);
    if (!text) return required ? Fail(frame.name, std::string(name) + " is missing") : true;
    Parsed<ParsedColour> parsed = ParseColour(*text);
    if (!parsed.ok()) return Fail(frame.name, std::string(name) + ": " + parsed.error);
    *colour = parsed.value.colour;
    if (parsed.value.fromProfile) {
        // Without the profile the nearest sRGB stands, with the alpha.
        Rgba converted;
        if (resources_->ProfileColour(parsed.value.profileUri, parsed.value.channels, &converted))
            *colour = {converted.r, converted.g, converted.b, colour->a};
    }
    return true;
}

bool ModelBuilder::BrushAttribute(Frame& frame, std::string_view name, int* brush)
{
    const std::string* text = frame.Attr(name);
    if (!text) return true;
    if (std::optional<std::string_view> key = StaticResourceKey(*text)) {
        std::optional<ResourceEntry> entry = Lookup(*key);
        if (!entry || entry->kind != Resource::Brush)
            return Fail(frame.name,
                        std::string(name) + ": no brush resource '" + std::string(key->substr(0, 80)) + "'");
        *brush = entry->index;
        return true;
    }
    Brush solid;
    if (!ColourAttribute(frame, name, &solid.colour, true)) return false;
    *brush = AddBrush(std::move(solid));
    return true;
}

bool ModelBuilder::GeometryAttribute(Frame& frame, std::string_view name, int* geometry)
{
    const std::string* text = frame.Attr(name);
    if (!text) return true;
    if (std::optional<std::string_view> key = StaticResourceKey(*text)) {
        std::optional<ResourceEntry> entry = Lookup(*key);
        if (!entry || entry->kind != Resource::Geometry)
            return Fail(frame.name,
                        std::string(name) + ": no geometry resource '" + std::string(key->substr(0, 80)) + "'");
        *geometry = entry->index;
        return true;
    }
    Parsed<Geometry> parsed = ParsePathData(*text, limits_.maxSegmentsPerGeometry);
    if (!parsed.ok()) return Fail(frame.name, std::string(name) + ": " + parsed.error);
    if (!CheckSegments(frame, parsed.value.SegmentCount())) return false;
    *geometry = AddGeometry(std::move(parsed.value));
    return true;
}

bool ModelBuilder::TransformAttribute(Frame& frame, std::string_view name, Affine* transform)
{
    const std::string* text = frame.Attr(name);
    if (!text) return true;
    if (std::optional<std::string_view> key = StaticResourceKey(*text)) {
        std::optional<ResourceEntry> entry = Lookup(*key);
        if (!entry || entry->kind != Resource::Transform)
            return Fail(frame.name,
                        std::string(name) + ": no transform resource '" + std::string(key->substr(0, 80)) + "'");
        *transform = entry->transform;
        return true;
    }
    Parsed<Affine> parsed = ParseMatrixValue(*text);
    if (!parsed.ok()) return Fail(frame.name, std::string(name) + ": " + parsed.error);
    *transform = parsed.value;
    return true;
}

bool ModelBuilder::ApplyNodeAttributes(Frame& frame, Node* node)
{
    if (!TransformAttribute(frame, "RenderTransform", &node->transform)) return false;
    if (frame.renderTransform) node->transform = *frame.renderTransform;
    if (!GeometryAttribute(frame, "Clip", &node->clip)) return false;
    if (frame.clip) node->clip = *frame.clip;
    if (!NumberAttribute(frame, "Opacity", &node->opacity, false)) return false;
    node->opacity = std::clamp(node->opacity, 0.0, 1.0);
    if (!BrushAttribute(frame, "OpacityMask", &node->opacityMask)) return false;
    if (frame.opacityMask) node->opacityMask = *frame.opacityMask;
    return true;
}

bool ModelBuilder::ActivateCanvas(Frame& frame)
{
    frame.activated = true;
    Node& node = List(frame.list)[frame.node];
    return ApplyNodeAttributes(frame, &node) && CountNode(frame, node);
}

bool ModelBuilder::CountNode(Frame& frame, const Node& node)
{
    uint64_t cost = 1;
    size_t depth = 0;
    for (int brush : {node.fill, node.stroke, node.opacityMask}) {
        if (brush == kNone) continue;
        cost += brushCost_[brush];
        depth = std::max(depth, brushDepth_[brush]);
    }
    // Sums stop just past the limit, so they cannot overflow.
    uint64_t cap = limits_.maxDrawnElements + 1;
    if (frame.list == kPageList) {
        pageCost_ = std::min(cap, pageCost_ + std::min(cap, cost));
        if (pageCost_ > limits_.maxDrawnElements)
            return Fail(frame.name, "the page draws more than " + std::to_string(limits_.maxDrawnElements) +
                                        " elements, counting what its visual brushes draw each time they are used");
        return true;
    }
    visualCost_[frame.list] = std::min(cap, visualCost_[frame.list] + std::min(cap, cost));
    visualDepth_[frame.list] = std::max(visualDepth_[frame.list], depth);
    return true;
}

bool ModelBuilder::AddNode(Frame& frame, Node node)
{
    if (!CountNode(frame, node)) return false;
    std::vector<Node>& list = List(frame.list);
    node.end = list.size() + 1;
    list.push_back(std::move(node));
    return true;
}

bool ModelBuilder::Deliver(Frame& frame, ResourceEntry value)
{
    Frame* parent = Owner(frames_.size() - 1);
    if (!parent) return Fail(frame.name, "outside the page");
    if (parent->type == ElementType::Property) {
        parent->values.push_back(value);
        return true;
    }
    if (parent->type == ElementType::ResourceDictionary) {
        const std::string* key = frame.Key();
        if (!key || key->empty()) return Fail(frame.name, "a resource without x:Key");
        if (++resourceCount_ > limits_.maxResources)
            return Fail(frame.name, "more than " + std::to_string(limits_.maxResources) + " resources");
        // A canvas kept as a resource still has its own scope open.
        Dictionary& scope = scopes_[scopes_.size() - (frame.pushedScope ? 2 : 1)];
        if (!scope.emplace(*key, value).second)
            return Fail(frame.name, "a second resource named '" + key->substr(0, 80) + "' in one dictionary");
        return true;
    }
    return Fail(frame.name, "not allowed inside " + parent->name);
}

bool ModelBuilder::Finish(Frame& frame)
{
    switch (frame.type) {
    case ElementType::FixedPage: complete_ = true; return true;
    case ElementType::Canvas:
        if (!frame.activated && !ActivateCanvas(frame)) return false;
        List(frame.list)[frame.node].end = List(frame.list).size();
        return !frame.visualRoot || FinishVisualRoot(frame);
    case ElementType::Path: return FinishPath(frame) && (!frame.visualRoot || FinishVisualRoot(frame));
    case ElementType::Glyphs: return FinishGlyphs(frame) && (!frame.visualRoot || FinishVisualRoot(frame));
    case ElementType::Property: return FinishProperty(frame);
    case ElementType::SolidColorBrush: return FinishSolidColorBrush(frame);
    case ElementType::LinearGradientBrush: return FinishGradientBrush(frame, false);
    case ElementType::RadialGradientBrush: return FinishGradientBrush(frame, true);
    case ElementType::ImageBrush: return FinishImageBrush(frame);
    case ElementType::VisualBrush: return FinishVisualBrush(frame);
    case ElementType::GradientStop: return FinishGradientStop(frame);
    case ElementType::MatrixTransform: return FinishMatrixTransform(frame);
    case ElementType::PathGeometry: return FinishPathGeometry(frame);
    case ElementType::PathFigure: return FinishPathFigure(frame);
    case ElementType::PolyLineSegment:
    case ElementType::PolyBezierSegment:
    case ElementType::PolyQuadraticBezierSegment:
    case ElementType::ArcSegment: return FinishSegment(frame);
    case ElementType::ResourceDictionary: {
        Frame* parent = Owner(frames_.size() - 1);
        if (!parent || parent->type != ElementType::Property || parent->property != "Resources")
            return Fail(frame.name, "outside a Resources property");
        return true;
    }
    case ElementType::Transparent:
    case ElementType::Skipped: return true;
    }
    return true;
}

bool ModelBuilder::FinishProperty(Frame& frame)
{
    Frame* owner = Owner(frames_.size() - 1);
    const std::string& property = frame.property;
    if (property == "Resources") {
        if (owner->type != ElementType::FixedPage && owner->type != ElementType::Canvas)
            return Fail(frame.name, "only a FixedPage or a Canvas has resources");
        return true;
    }
    if (property == "GradientStops") {
        owner->stops = std::move(frame.stops);
        return true;
    }
    if (frame.values.size() > 1) return Fail(frame.name, "holds more than one value");
    if (frame.values.empty()) return true;
    const ResourceEntry& value = frame.values.front();
    Resource expected = Resource::None;
    if (property == "Fill" || property == "Stroke" || property == "OpacityMask")
        expected = Resource::Brush;
    else if (property == "Data" || property == "Clip")
        expected = Resource::Geometry;
    else if (property == "RenderTransform" || property == "Transform")
        expected = Resource::Transform;
    else if (property == "Visual")
        expected = Resource::Visual;
    else
        return Fail(frame.name, "not a property this converter knows");
    if (value.kind != expected) return Fail(frame.name, "holds the wrong kind of value");
    if (property == "Fill")
        owner->fill = value.index;
    else if (property == "Stroke")
        owner->stroke = value.index;
    else if (property == "OpacityMask")
        owner->opacityMask = value.index;
    else if (property == "Visual")
        owner->visual = value.index;
    else if (property == "Data")
        owner->data = value.index;
    else if (property == "Clip")
        owner->clip = value.index;
    else if (property == "RenderTransform")
        owner->renderTransform = value.transform;
    else
        owner->transform = value.transform;
    return true;
}

bool ModelBuilder::FinishPath(Frame& frame)
{
    if (++nodeCount_ > limits_.maxNodes)
        return Fail(frame.name, "more than " + std::to_string(limits_.maxNodes) + " elements on the page");
    Node node;
    node.kind = Node::Path;
    if (!ApplyNodeAttributes(frame, &node) || !GeometryAttribute(frame, "Data", &node.geometry) ||
        !BrushAttribute(frame, "Fill", &node.fill) || !BrushAttribute(frame, "Stroke", &node.stroke))
        return false;
    if (frame.data) node.geometry = *frame.data;
    if (frame.fill) node.fill = *frame.fill;
    if (frame.stroke) node.stroke = *frame.stroke;

    StrokeStyle& style = node.strokeStyle;
    if (!NumberAttribute(frame, "StrokeThickness", &style.thickness, false) ||
        !NumberAttribute(frame, "StrokeDashOffset", &style.dashOffset, false) ||
        !NumberAttribute(frame, "StrokeMiterLimit", &style.miterLimit, false))
        return false;
    if (style.thickness < 0) return Fail(frame.name, "StrokeThickness is negative");
    style.miterLimit = std::max(style.miterLimit, 1.0);
    if (const std::string* dashes = frame.Attr("StrokeDashArray")) {
        Parsed<std::vector<double>> list = ParseNumberList(*dashes);
        if (!list.ok()) return Fail(frame.name, "StrokeDashArray: " + list.error);
        if (list.value.size() > limits_.maxDashes)
            return Fail(frame.name, "StrokeDashArray has more than " + std::to_string(limits_.maxDashes) + " values");
        for (double dash : list.value)
            if (dash < 0) return Fail(frame.name, "StrokeDashArray has a negative length");
        style.dashes = std::move(list.value);
    }
    for (auto [attribute, cap] :
         {std::pair{"StrokeDashCap", &style.dashCap}, std::pair{"StrokeStartLineCap", &style.startCap},
          std::pair{"StrokeEndLineCap", &style.endCap}}) {
        const std::string* value = frame.Attr(attribute);
        if (value && !ParseCap(*value, cap))
            return Fail(frame.name, std::string(attribute) + ": '" + value->substr(0, 40) + "' is not a line cap");
    }
    if (const std::string* join = frame.Attr("StrokeLineJoin")) {
        if (*join == "Miter")
            style.join = LineJoin::Miter;
        else if (*join == "Bevel")
            style.join = LineJoin::Bevel;
        else if (*join == "Round")
            style.join = LineJoin::Round;
        else
            return Fail(frame.name, "StrokeLineJoin: '" + join->substr(0, 40) + "' is not a line join");
    }
    if (node.geometry == kNone || (node.fill == kNone && node.stroke == kNone)) return true;
    return AddNode(frame, std::move(node));
}

bool ModelBuilder::FinishGlyphs(Frame& frame)
{
    if (++nodeCount_ > limits_.maxNodes)
        return Fail(frame.name, "more than " + std::to_string(limits_.maxNodes) + " elements on the page");
    Node node;
    node.kind = Node::Glyphs;
    if (!ApplyNodeAttributes(frame, &node) || !BrushAttribute(frame, "Fill", &node.fill)) return false;
    if (frame.fill) node.fill = *frame.fill;

    GlyphRunInput input;
    GlyphRun run;
    if (!NumberAttribute(frame, "OriginX", &input.origin.x, true) ||
        !NumberAttribute(frame, "OriginY", &input.origin.y, true) ||
        !NumberAttribute(frame, "FontRenderingEmSize", &run.emSize, true))
        return false;
    if (run.emSize < 0 || run.emSize > limits_.maxEmSize)
        return Fail(frame.name,
                    "FontRenderingEmSize must be from 0 to " + std::to_string(static_cast<int>(limits_.maxEmSize)));
    const std::string* fontUri = frame.Attr("FontUri");
    if (!fontUri) return Fail(frame.name, "FontUri is missing");
    Parsed<FontReference> reference = ParseFontUri(*fontUri);
    if (!reference.ok()) return Fail(frame.name, reference.error);
    if (const std::string* indices = frame.Attr("Indices")) {
        Parsed<std::vector<GlyphMapping>> mappings = ParseIndices(*indices, limits_.maxGlyphsPerRun);
        if (!mappings.ok()) return Fail(frame.name, mappings.error);
        input.mappings = std::move(mappings.value);
    }
    if (frame.hasUnicodeString) input.text = UnescapeUnicodeString(frame.unicodeString);
    if (input.text.size() > limits_.maxGlyphsPerRun)
        return Fail(frame.name, "more than " + std::to_string(limits_.maxGlyphsPerRun) + " characters");
    if (input.mappings.empty() && input.text.empty()) return true;  // nothing to show
    if (const std::string* sideways = frame.Attr("IsSideways")) {
        Parsed<bool> value = ParseBoolValue(*sideways);
        if (!value.ok()) return Fail(frame.name, "IsSideways: " + value.error);
        run.sideways = input.sideways = value.value;
    }
    double bidiLevel = 0;
    if (!NumberAttribute(frame, "BidiLevel", &bidiLevel, false)) return false;
    if (bidiLevel < 0 || bidiLevel > 61 || bidiLevel != static_cast<int>(bidiLevel))
        return Fail(frame.name, "BidiLevel must be a whole number from 0 to 61");
    input.rightToLeft = static_cast<int>(bidiLevel) % 2 == 1;
    if (const std::string* simulations = frame.Attr("StyleSimulations")) {
        if (*simulations == "BoldSimulation")
            run.boldSimulation = true;
        else if (*simulations == "ItalicSimulation")
            run.italicSimulation = true;
        else if (*simulations == "BoldItalicSimulation")
            run.boldSimulation = run.italicSimulation = true;
        else if (*simulations != "None")
            return Fail(frame.name, "StyleSimulations: '" + simulations->substr(0, 40) + "' is not a simulation");
    }
    std::string fontError;
    run.font = resources_->Font(reference.value, &fontError);
    if (!run.font) return Fail(frame.name, "font " + reference.value.part.substr(0, 200) + ": " + fontError);
    input.emSize = run.emSize;
    Parsed<GlyphRunLayout> layout = LayOutGlyphRun(input, *run.font);
    if (!layout.ok()) return Fail(frame.name, layout.error);
    for (const PlacedGlyph& glyph : layout.value.glyphs)
        if (glyph.index >= run.font->GlyphCount())
            return Fail(frame.name, "Indices: glyph " + std::to_string(glyph.index) + " is past the last glyph of " +
                                        reference.value.part.substr(0, 200) + " (" +
                                        std::to_string(run.font->GlyphCount()) + " glyphs)");
    glyphCount_ += layout.value.glyphs.size();
    if (glyphCount_ > limits_.maxGlyphsPerPage)
        return Fail(frame.name, "the page has more than " + std::to_string(limits_.maxGlyphsPerPage) + " glyphs");
    run.layout = std::move(layout.value);
    if (node.fill == kNone || run.emSize == 0) return true;
    page_.glyphRuns.push_back(std::move(run));
    node.glyphRun = static_cast<int>(page_.glyphRuns.size() - 1);
    return AddNode(frame, std::move(node));
}

bool ModelBuilder::FinishSolidColorBrush(Frame& frame)
{
    Brush brush;
    if (!ColourAttribute(frame, "Color", &brush.colour, true) ||
        !NumberAttribute(frame, "Opacity", &brush.opacity, false))
        return false;
    brush.opacity = std::clamp(brush.opacity, 0.0, 1.0);
    return Deliver(frame, {Resource::Brush, AddBrush(std::move(brush)), {}});
}

bool ModelBuilder::FinishGradientBrush(Frame& frame, bool radial)
{
    Brush brush;
    brush.kind = radial ? Brush::RadialGradient : Brush::LinearGradient;
    if (!NumberAttribute(frame, "Opacity", &brush.opacity, false) ||
        !TransformAttribute(frame, "Transform", &brush.transform))
        return false;
    brush.opacity = std::clamp(brush.opacity, 0.0, 1.0);
    if (frame.transform) brush.transform = *frame.transform;
    auto point = [&](const char* name, Point* value) {
        const std::string* text = frame.Attr(name);
        if (!text) return Fail(frame.name, std::string(name) + " is missing");
        Parsed<Point> parsed = ParsePointValue(*text);
        if (!parsed.ok()) return Fail(frame.name, std::string(name) + ": " + parsed.error);
        *value = parsed.value;
        return true;
    };
    if (radial) {
        if (!point("Center", &brush.center) || !point("GradientOrigin", &brush.origin) ||
            !NumberAttribute(frame, "RadiusX", &brush.radiusX, true) ||
            !NumberAttribute(frame, "RadiusY", &brush.radiusY, true))
            return false;
        if (brush.radiusX < 0 || brush.radiusY < 0) return Fail(frame.name, "a radius is negative");
    } else if (!point("StartPoint", &brush.start) || !point("EndPoint", &brush.end)) {
        return false;
    }
    if (const std::string* mode = frame.Attr("MappingMode")) {
        if (*mode == "RelativeToBoundingBox")
            brush.mapping = MappingMode::RelativeToBoundingBox;
        else if (*mode != "Absolute")
            return Fail(frame.name, "MappingMode: '" + mode->substr(0, 40) + "'");
    }
    if (const std::string* spread = frame.Attr("SpreadMethod")) {
        if (*spread == "Reflect")
            brush.spread = SpreadMethod::Reflect;
        else if (*spread == "Repeat")
            brush.spread = SpreadMethod::Repeat;
        else if (*spread != "Pad")
            return Fail(frame.name, "SpreadMethod: '" + spread->substr(0, 40) + "'");
    }
    if (const std::string* mode = frame.Attr("ColorInterpolationMode")) {
        if (*mode == "ScRgbLinearInterpolation")
            brush.interpolation = ColourInterpolation::ScRgb;
        else if (*mode != "SRgbLinearInterpolation")
            return Fail(frame.name, "ColorInterpolationMode: '" + mode->substr(0, 40) + "'");
    }
    if (frame.stops.empty()) return Fail(frame.name, "a gradient without GradientStops");
    brush.stops = NormaliseStops(std::move(frame.stops));
    return Deliver(frame, {Resource::Brush, AddBrush(std::move(brush)), {}});
}

bool ModelBuilder::TileBrushAttributes(Frame& frame, Brush* brush)
{
    if (!NumberAttribute(frame, "Opacity", &brush->opacity, false) ||
        !TransformAttribute(frame, "Transform", &brush->transform))
        return false;
    brush->opacity = std::clamp(brush->opacity, 0.0, 1.0);
    if (frame.transform) brush->transform = *frame.transform;
    for (auto [attribute, rect] : {std::pair{"Viewbox", &brush->viewbox}, std::pair{"Viewport", &brush->viewport}}) {
        const std::string* text = frame.Attr(attribute);
        if (!text) return Fail(frame.name, std::string(attribute) + " is missing");
        Parsed<Rect> parsed = ParseRectValue(*text);
        if (!parsed.ok()) return Fail(frame.name, std::string(attribute) + ": " + parsed.error);
        *rect = parsed.value;
    }
    for (auto [attribute, units] :
         {std::pair{"ViewboxUnits", &brush->viewboxUnits}, std::pair{"ViewportUnits", &brush->mapping}}) {
        const std::string* text = frame.Attr(attribute);
        if (!text || *text == "Absolute")
            *units = MappingMode::Absolute;
        else if (*text == "RelativeToBoundingBox")
            *units = MappingMode::RelativeToBoundingBox;
        else
            return Fail(frame.name, std::string(attribute) + ": '" + text->substr(0, 40) + "'");
    }
    if (const std::string* mode = frame.Attr("TileMode")) {
        constexpr std::pair<std::string_view, TileMode> kModes[] = {{"None", TileMode::None},
                                                                    {"Tile", TileMode::Tile},
                                                                    {"FlipX", TileMode::FlipX},
                                                                    {"FlipY", TileMode::FlipY},
                                                                    {"FlipXY", TileMode::FlipXY}};
        auto found =
            std::find_if(std::begin(kModes), std::end(kModes), [&](auto& known) { return known.first == *mode; });
        if (found == std::end(kModes)) return Fail(frame.name, "TileMode: '" + mode->substr(0, 40) + "'");
        brush->tileMode = found->second;
    }
    return true;
}

bool ModelBuilder::FinishImageBrush(Frame& frame)
{
    Brush brush;
    brush.kind = Brush::Image;
    if (!TileBrushAttributes(frame, &brush)) return false;
    const std::string* source = frame.Attr("ImageSource");
    if (!source) return Fail(frame.name, "ImageSource is missing");
    Parsed<ImageSourceValue> value = ParseImageSource(*source);
    if (!value.ok()) return Fail(frame.name, "ImageSource: " + value.error);
    std::string error;
    brush.image = resources_->Image(value.value.uri, value.value.profileUri, &error);
    if (!brush.image) return Fail(frame.name, "image " + value.value.uri.substr(0, 200) + ": " + error);
    return Deliver(frame, {Resource::Brush, AddBrush(std::move(brush), 1, 1), {}});
}

bool ModelBuilder::FinishVisualBrush(Frame& frame)
{
    Brush brush;
    brush.kind = Brush::Visual;
    if (!TileBrushAttributes(frame, &brush)) return false;
    if (const std::string* text = frame.Attr("Visual")) {
        std::optional<std::string_view> key = StaticResourceKey(*text);
        if (!key) return Fail(frame.name, "Visual must name a resource");
        std::optional<ResourceEntry> entry = Lookup(*key);
        if (!entry || entry->kind != Resource::Visual)
            return Fail(frame.name, "Visual: no visual resource '" + std::string(key->substr(0, 80)) + "'");
        brush.visual = entry->index;
    }
    if (frame.visual) brush.visual = *frame.visual;
    if (brush.visual == kNone) return Fail(frame.name, "Visual is missing");
    size_t depth = 1 + visualDepth_[brush.visual];
    if (depth > limits_.maxVisualDepth)
        return Fail(frame.name, "visual brushes nested more than " + std::to_string(limits_.maxVisualDepth) + " deep");
    uint64_t cost = visualCost_[brush.visual];
    return Deliver(frame, {Resource::Brush, AddBrush(std::move(brush), cost, depth), {}});
}

bool ModelBuilder::FinishVisualRoot(Frame& frame) { return Deliver(frame, {Resource::Visual, frame.list, {}}); }

bool ModelBuilder::FinishGradientStop(Frame& frame)
{
    Frame* parent = Owner(frames_.size() - 1);
    if (parent->type != ElementType::Property || parent->property != "GradientStops")
        return Fail(frame.name, "outside GradientStops");
    if (parent->stops.size() >= limits_.maxGradientStops)
        return Fail(frame.name, "more than " + std::to_string(limits_.maxGradientStops) + " gradient stops");
    GradientStop stop;
    if (!ColourAttribute(frame, "Color", &stop.colour, true) || !NumberAttribute(frame, "Offset", &stop.offset, true))
        return false;
    parent->stops.push_back(stop);
    return true;
}

bool ModelBuilder::FinishMatrixTransform(Frame& frame)
{
    const std::string* matrix = frame.Attr("Matrix");
    if (!matrix) return Fail(frame.name, "Matrix is missing");
    Parsed<Affine> parsed = ParseMatrixValue(*matrix);
    if (!parsed.ok()) return Fail(frame.name, "Matrix: " + parsed.error);
    return Deliver(frame, {Resource::Transform, kNone, parsed.value});
}

bool ModelBuilder::FinishPathGeometry(Frame& frame)
{
    Geometry geometry;
    if (const std::string* figures = frame.Attr("Figures")) {
        Parsed<Geometry> parsed = ParsePathData(*figures, limits_.maxSegmentsPerGeometry);
        if (!parsed.ok()) return Fail(frame.name, "Figures: " + parsed.error);
        if (!CheckSegments(frame, parsed.value.SegmentCount())) return false;
        geometry = std::move(parsed.value);
    }
    geometry.fillRule = FillRule::EvenOdd;
    if (const std::string* rule = frame.Attr("FillRule")) {
        if (*rule == "NonZero")
            geometry.fillRule = FillRule::NonZero;
        else if (*rule != "EvenOdd")
            return Fail(frame.name, "FillRule: '" + rule->substr(0, 40) + "'");
    }
    for (Figure& figure : frame.figures) geometry.figures.push_back(std::move(figure));
    if (geometry.SegmentCount() > limits_.maxSegmentsPerGeometry)
        return Fail(frame.name, "more than " + std::to_string(limits_.maxSegmentsPerGeometry) + " segments");
    Affine transform;
    if (!TransformAttribute(frame, "Transform", &transform)) return false;
    if (frame.transform) transform = *frame.transform;
    geometry.TransformBy(transform);
    return Deliver(frame, {Resource::Geometry, AddGeometry(std::move(geometry)), {}});
}

bool ModelBuilder::FinishPathFigure(Frame& frame)
{
    Frame* parent = Owner(frames_.size() - 1);
    if (parent->type != ElementType::PathGeometry) return Fail(frame.name, "outside a PathGeometry");
    const std::string* start = frame.Attr("StartPoint");
    if (!start) return Fail(frame.name, "StartPoint is missing");
    Parsed<Point> startPoint = ParsePointValue(*start);
    if (!startPoint.ok()) return Fail(frame.name, "StartPoint: " + startPoint.error);
    frame.figure.start = startPoint.value;
    for (auto [attribute, flag] :
         {std::pair{"IsClosed", &frame.figure.closed}, std::pair{"IsFilled", &frame.figure.filled}}) {
        if (const std::string* value = frame.Attr(attribute)) {
            Parsed<bool> parsed = ParseBoolValue(*value);
            if (!parsed.ok()) return Fail(frame.name, std::string(attribute) + ": " + parsed.error);
            *flag = parsed.value;
        }
    }
    // Figures count like segments, so a page of empty figures is bounded too.
    if (!CheckSegments(frame, 1)) return false;
    parent->figures.push_back(std::move(frame.figure));
    return true;
}

bool ModelBuilder::FinishSegment(Frame& frame)
{
    Frame* figureFrame = Owner(frames_.size() - 1);
    if (figureFrame->type != ElementType::PathFigure) return Fail(frame.name, "outside a PathFigure");
    Figure& figure = figureFrame->figure;
    // The first segment starts at the figure's start point.
    if (figure.segments.empty()) {
        const std::string* start = figureFrame->Attr("StartPoint");
        if (!start) return Fail(figureFrame->name, "StartPoint is missing");
        Parsed<Point> startPoint = ParsePointValue(*start);
        if (!startPoint.ok()) return Fail(figureFrame->name, "StartPoint: " + startPoint.error);
        figureFrame->current = startPoint.value;
    }
    bool stroked = true;
    if (const std::string* value = frame.Attr("IsStroked")) {
        Parsed<bool> parsed = ParseBoolValue(*value);
        if (!parsed.ok()) return Fail(frame.name, "IsStroked: " + parsed.error);
        stroked = parsed.value;
    }
    std::vector<Segment> added;
    Point& current = figureFrame->current;
    if (frame.type == ElementType::ArcSegment) {
        const std::string* pointText = frame.Attr("Point");
        const std::string* sizeText = frame.Attr("Size");
        if (!pointText || !sizeText) return Fail(frame.name, "Point and Size are required");
        Parsed<Point> point = ParsePointValue(*pointText);
        Parsed<Point> size = ParsePointValue(*sizeText);
        if (!point.ok() || !size.ok()) return Fail(frame.name, "Point or Size: " + point.error + size.error);
        if (size.value.x < 0 || size.value.y < 0) return Fail(frame.name, "Size is negative");
        double rotation = 0;
        if (!NumberAttribute(frame, "RotationAngle", &rotation, false)) return false;
        bool large = false;
        if (const std::string* value = frame.Attr("IsLargeArc")) {
            Parsed<bool> parsed = ParseBoolValue(*value);
            if (!parsed.ok()) return Fail(frame.name, "IsLargeArc: " + parsed.error);
            large = parsed.value;
        }
        const std::string* sweep = frame.Attr("SweepDirection");
        if (sweep && *sweep != "Clockwise" && *sweep != "Counterclockwise")
            return Fail(frame.name, "SweepDirection: '" + sweep->substr(0, 40) + "'");
        bool clockwise = sweep && *sweep == "Clockwise";
        AppendArc(current, size.value, rotation, large, clockwise, point.value, &added);
        current = point.value;
    } else {
        const std::string* pointsText = frame.Attr("Points");
        if (!pointsText) return Fail(frame.name, "Points is missing");
        Parsed<std::vector<Point>> points = ParsePointList(*pointsText);
        if (!points.ok()) return Fail(frame.name, "Points: " + points.error);
        const std::vector<Point>& p = points.value;
        if (frame.type == ElementType::PolyLineSegment) {
            for (const Point& point : p) added.push_back({Segment::Line, {}, {}, point, true});
        } else if (frame.type == ElementType::PolyBezierSegment) {
            if (p.size() % 3 != 0) return Fail(frame.name, "Points must come in threes");
            for (size_t i = 0; i < p.size(); i += 3) added.push_back({Segment::Cubic, p[i], p[i + 1], p[i + 2], true});
        } else {
            if (p.size() % 2 != 0) return Fail(frame.name, "Points must come in pairs");
            Point from = current;
            for (size_t i = 0; i < p.size(); i += 2) {
                added.push_back(QuadraticToCubic(from, p[i], p[i + 1]));
                from = p[i + 1];
            }
        }
        current = p.back();
    }
    if (figure.segments.size() + added.size() > limits_.maxSegmentsPerGeometry)
        return Fail(frame.name, "more than " + std::to_string(limits_.maxSegmentsPerGeometry) + " segments");
    if (!CheckSegments(frame, added.size())) return false;
    for (Segment& segment : added) {
        segment.stroked = stroked;
        figure.segments.push_back(segment);
    }
    return true;
}

}  // namespace tav::render
