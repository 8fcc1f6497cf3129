#include "opc/page_schema/vocabulary.h"

#include <array>
#include <string>
#include <unordered_map>

namespace tav::host::page_schema {
namespace {

using A = Attribute;
using V = ValueType;
using E = Element;

constexpr std::array<std::string_view, static_cast<size_t>(A::Count)> kAttributeNames = {
    "",
    "Width",
    "Height",
    "ContentBox",
    "BleedBox",
    "Name",
    "RenderTransform",
    "Clip",
    "Opacity",
    "OpacityMask",
    "RenderOptions.EdgeMode",
    "FixedPage.NavigateUri",
    "AutomationProperties.HelpText",
    "AutomationProperties.Name",
    "Data",
    "Fill",
    "Stroke",
    "StrokeDashArray",
    "StrokeDashCap",
    "StrokeDashOffset",
    "StrokeEndLineCap",
    "StrokeStartLineCap",
    "StrokeLineJoin",
    "StrokeMiterLimit",
    "StrokeThickness",
    "SnapsToDevicePixels",
    "BidiLevel",
    "CaretStops",
    "DeviceFontName",
    "FontRenderingEmSize",
    "FontUri",
    "OriginX",
    "OriginY",
    "IsSideways",
    "Indices",
    "UnicodeString",
    "StyleSimulations",
    "Source",
    "Color",
    "ImageSource",
    "Transform",
    "Viewbox",
    "Viewport",
    "TileMode",
    "ViewboxUnits",
    "ViewportUnits",
    "Visual",
    "ColorInterpolationMode",
    "SpreadMethod",
    "MappingMode",
    "StartPoint",
    "EndPoint",
    "Center",
    "GradientOrigin",
    "RadiusX",
    "RadiusY",
    "Offset",
    "Matrix",
    "Figures",
    "FillRule",
    "IsClosed",
    "IsFilled",
    "Point",
    "Size",
    "RotationAngle",
    "IsLargeArc",
    "SweepDirection",
    "IsStroked",
    "Points",
    "xml:lang",
    "x:Key",
};

// Attributes every visual (Canvas, Path, Glyphs) takes.
#define TAV_VISUAL_ATTRIBUTES                                                                                    \
    {A::RenderTransform, V::MatrixOrResource, false}, {A::Clip, V::GeometryOrResource, false},                   \
        {A::Opacity, V::ZeroToOne, false}, {A::OpacityMask, V::BrushResource, false}, {A::Name, V::Name, false}, \
        {A::NavigateUri, V::Uri, false}, {A::XmlLang, V::Language, false},                                       \
    {                                                                                                            \
        A::Key, V::Name, false                                                                                   \
    }

// Attributes every tile brush (ImageBrush, VisualBrush) takes.
#define TAV_TILE_BRUSH_ATTRIBUTES                                                                               \
    {A::Opacity, V::ZeroToOne, false}, {A::Key, V::Name, false}, {A::Transform, V::MatrixOrResource, false},    \
        {A::Viewbox, V::Rectangle, true}, {A::Viewport, V::Rectangle, true}, {A::TileMode, V::TileMode, false}, \
        {A::ViewboxUnits, V::Absolute, true},                                                                   \
    {                                                                                                           \
        A::ViewportUnits, V::Absolute, true                                                                     \
    }

#define TAV_GRADIENT_BRUSH_ATTRIBUTES                                                                             \
    {A::Opacity, V::ZeroToOne, false}, {A::Key, V::Name, false},                                                  \
        {A::ColorInterpolationMode, V::ColorInterpolationMode, false}, {A::SpreadMethod, V::SpreadMethod, false}, \
        {A::MappingMode, V::Absolute, true},                                                                      \
    {                                                                                                             \
        A::Transform, V::MatrixOrResource, false                                                                  \
    }

constexpr AttributeRule kFixedPageAttributes[] = {
    {A::Width, V::AtLeastOne, true},    {A::Height, V::AtLeastOne, true}, {A::ContentBox, V::Rectangle, false},
    {A::BleedBox, V::Rectangle, false}, {A::XmlLang, V::Language, true},  {A::Name, V::Name, false},
};
constexpr AttributeRule kCanvasAttributes[] = {
    TAV_VISUAL_ATTRIBUTES,
    {A::EdgeMode, V::EdgeMode, false},
    {A::AccessibleName, V::Text, false},
    {A::HelpText, V::Text, false},
};
constexpr AttributeRule kPathAttributes[] = {
    TAV_VISUAL_ATTRIBUTES,
    {A::Data, V::GeometryOrResource, false},
    {A::Fill, V::ColorOrResource, false},
    {A::Stroke, V::ColorOrResource, false},
    {A::StrokeDashArray, V::DashArray, false},
    {A::StrokeDashCap, V::LineCap, false},
    {A::StrokeDashOffset, V::Double, false},
    {A::StrokeEndLineCap, V::LineCap, false},
    {A::StrokeStartLineCap, V::LineCap, false},
    {A::StrokeLineJoin, V::LineJoin, false},
    {A::StrokeMiterLimit, V::AtLeastOne, false},
    {A::StrokeThickness, V::NonNegative, false},
    {A::SnapsToDevicePixels, V::Boolean, false},
    {A::AccessibleName, V::Text, false},
    {A::HelpText, V::Text, false},
};
constexpr AttributeRule kGlyphsAttributes[] = {
    TAV_VISUAL_ATTRIBUTES,
    {A::BidiLevel, V::BidiLevel, false},
    {A::CaretStops, V::CaretStops, false},
    {A::DeviceFontName, V::Text, false},
    {A::Fill, V::ColorOrResource, false},
    {A::FontRenderingEmSize, V::NonNegative, true},
    {A::FontUri, V::Uri, true},
    {A::OriginX, V::Double, true},
    {A::OriginY, V::Double, true},
    {A::IsSideways, V::Boolean, false},
    {A::Indices, V::Indices, false},
    {A::UnicodeString, V::UnicodeString, false},
    {A::StyleSimulations, V::StyleSimulations, false},
};
constexpr AttributeRule kResourceDictionaryAttributes[] = {{A::Source, V::Uri, false}};
constexpr AttributeRule kSolidColorBrushAttributes[] = {
    {A::Opacity, V::ZeroToOne, false}, {A::Key, V::Name, false}, {A::Color, V::Color, true}};
constexpr AttributeRule kImageBrushAttributes[] = {TAV_TILE_BRUSH_ATTRIBUTES, {A::ImageSource, V::ImageSource, true}};
constexpr AttributeRule kVisualBrushAttributes[] = {TAV_TILE_BRUSH_ATTRIBUTES, {A::Visual, V::VisualResource, false}};
constexpr AttributeRule kLinearGradientBrushAttributes[] = {
    TAV_GRADIENT_BRUSH_ATTRIBUTES, {A::StartPoint, V::Point, true}, {A::EndPoint, V::Point, true}};
constexpr AttributeRule kRadialGradientBrushAttributes[] = {
    TAV_GRADIENT_BRUSH_ATTRIBUTES,      {A::Center, V::Point, true},        {A::GradientOrigin, V::Point, true},
    {A::RadiusX, V::NonNegative, true}, {A::RadiusY, V::NonNegative, true},
};
constexpr AttributeRule kGradientStopAttributes[] = {{A::Color, V::Color, true}, {A::Offset, V::Double, true}};
constexpr AttributeRule kMatrixTransformAttributes[] = {{A::Matrix, V::Matrix, true}, {A::Key, V::Name, false}};
constexpr AttributeRule kPathGeometryAttributes[] = {
    {A::Figures, V::Geometry, false},
    {A::FillRule, V::FillRule, false},
    {A::Transform, V::MatrixOrResource, false},
    {A::Key, V::Name, false},
};
constexpr AttributeRule kPathFigureAttributes[] = {
    {A::IsClosed, V::Boolean, false}, {A::StartPoint, V::Point, true}, {A::IsFilled, V::Boolean, false}};
constexpr AttributeRule kArcSegmentAttributes[] = {
    {A::Point, V::Point, true},
    {A::Size, V::NonNegativePoint, true},
    {A::RotationAngle, V::Double, true},
    {A::IsLargeArc, V::Boolean, true},
    {A::SweepDirection, V::SweepDirection, true},
    {A::IsStroked, V::Boolean, false},
};
constexpr AttributeRule kPolySegmentAttributes[] = {{A::Points, V::Points, true}, {A::IsStroked, V::Boolean, false}};

#undef TAV_VISUAL_ATTRIBUTES
#undef TAV_TILE_BRUSH_ATTRIBUTES
#undef TAV_GRADIENT_BRUSH_ATTRIBUTES

constexpr Element kFixedPageProperties[] = {E::FixedPageResources};
constexpr Element kCanvasProperties[] = {E::CanvasResources, E::CanvasRenderTransform, E::CanvasClip,
                                         E::CanvasOpacityMask};
constexpr Element kPathProperties[] = {E::PathRenderTransform, E::PathClip, E::PathOpacityMask, E::PathFill,
                                       E::PathStroke,          E::PathData};
constexpr Element kGlyphsProperties[] = {E::GlyphsRenderTransform, E::GlyphsClip, E::GlyphsOpacityMask, E::GlyphsFill};
constexpr Element kImageBrushProperties[] = {E::ImageBrushTransform};
constexpr Element kVisualBrushProperties[] = {E::VisualBrushTransform, E::VisualBrushVisual};
constexpr Element kLinearGradientBrushProperties[] = {E::LinearGradientBrushTransform,
                                                      E::LinearGradientBrushGradientStops};
constexpr Element kRadialGradientBrushProperties[] = {E::RadialGradientBrushTransform,
                                                      E::RadialGradientBrushGradientStops};
constexpr Element kPathGeometryProperties[] = {E::PathGeometryTransform};

template <size_t N>
constexpr uint8_t CountOf(const AttributeRule (&)[N])
{
    return static_cast<uint8_t>(N);
}
template <size_t N>
constexpr uint8_t CountOf(const Element (&)[N])
{
    return static_cast<uint8_t>(N);
}

#define TAV_ATTRIBUTES(list) list, CountOf(list)
#define TAV_PROPERTIES(list) list, CountOf(list)
#define TAV_NONE nullptr, 0

}  // namespace

const ElementRule kElementRules[] = {
    {"", Content::Nothing, ResourceKind::None, TAV_NONE, TAV_NONE, E::Unknown, A::Unknown, false},
    {"FixedPage", Content::Visuals, ResourceKind::None, TAV_ATTRIBUTES(kFixedPageAttributes),
     TAV_PROPERTIES(kFixedPageProperties), E::Unknown, A::Unknown, false},
    {"Canvas", Content::Visuals, ResourceKind::Visual, TAV_ATTRIBUTES(kCanvasAttributes),
     TAV_PROPERTIES(kCanvasProperties), E::Unknown, A::Unknown, false},
    {"Path", Content::Nothing, ResourceKind::Visual, TAV_ATTRIBUTES(kPathAttributes), TAV_PROPERTIES(kPathProperties),
     E::Unknown, A::Unknown, false},
    {"Glyphs", Content::Nothing, ResourceKind::Visual, TAV_ATTRIBUTES(kGlyphsAttributes),
     TAV_PROPERTIES(kGlyphsProperties), E::Unknown, A::Unknown, false},
    {"ResourceDictionary", Content::Resources, ResourceKind::None, TAV_ATTRIBUTES(kResourceDictionaryAttributes),
     TAV_NONE, E::Unknown, A::Unknown, false},
    {"SolidColorBrush", Content::Nothing, ResourceKind::Brush, TAV_ATTRIBUTES(kSolidColorBrushAttributes), TAV_NONE,
     E::Unknown, A::Unknown, false},
    {"ImageBrush", Content::Nothing, ResourceKind::Brush, TAV_ATTRIBUTES(kImageBrushAttributes),
     TAV_PROPERTIES(kImageBrushProperties), E::Unknown, A::Unknown, false},
    {"VisualBrush", Content::Nothing, ResourceKind::Brush, TAV_ATTRIBUTES(kVisualBrushAttributes),
     TAV_PROPERTIES(kVisualBrushProperties), E::Unknown, A::Unknown, false},
    {"LinearGradientBrush", Content::Nothing, ResourceKind::Brush, TAV_ATTRIBUTES(kLinearGradientBrushAttributes),
     TAV_PROPERTIES(kLinearGradientBrushProperties), E::Unknown, A::Unknown, false},
    {"RadialGradientBrush", Content::Nothing, ResourceKind::Brush, TAV_ATTRIBUTES(kRadialGradientBrushAttributes),
     TAV_PROPERTIES(kRadialGradientBrushProperties), E::Unknown, A::Unknown, false},
    {"GradientStop", Content::Nothing, ResourceKind::None, TAV_ATTRIBUTES(kGradientStopAttributes), TAV_NONE,
     E::Unknown, A::Unknown, false},
    {"MatrixTransform", Content::Nothing, ResourceKind::Transform, TAV_ATTRIBUTES(kMatrixTransformAttributes), TAV_NONE,
     E::Unknown, A::Unknown, false},
    {"PathGeometry", Content::Figures, ResourceKind::Geometry, TAV_ATTRIBUTES(kPathGeometryAttributes),
     TAV_PROPERTIES(kPathGeometryProperties), E::Unknown, A::Unknown, false},
    {"PathFigure", Content::Segments, ResourceKind::None, TAV_ATTRIBUTES(kPathFigureAttributes), TAV_NONE, E::Unknown,
     A::Unknown, false},
    {"ArcSegment", Content::Nothing, ResourceKind::None, TAV_ATTRIBUTES(kArcSegmentAttributes), TAV_NONE, E::Unknown,
     A::Unknown, false},
    {"PolyBezierSegment", Content::Nothing, ResourceKind::None, TAV_ATTRIBUTES(kPolySegmentAttributes), TAV_NONE,
     E::Unknown, A::Unknown, false},
    {"PolyLineSegment", Content::Nothing, ResourceKind::None, TAV_ATTRIBUTES(kPolySegmentAttributes), TAV_NONE,
     E::Unknown, A::Unknown, false},
    {"PolyQuadraticBezierSegment", Content::Nothing, ResourceKind::None, TAV_ATTRIBUTES(kPolySegmentAttributes),
     TAV_NONE, E::Unknown, A::Unknown, false},
    {"FixedPage.Resources", Content::OneDictionary, ResourceKind::None, TAV_NONE, TAV_NONE, E::FixedPage, A::Unknown,
     false},
    {"Canvas.Resources", Content::OneDictionary, ResourceKind::None, TAV_NONE, TAV_NONE, E::Canvas, A::Unknown, false},
    {"Canvas.RenderTransform", Content::OneTransform, ResourceKind::None, TAV_NONE, TAV_NONE, E::Canvas,
     A::RenderTransform, false},
    {"Canvas.Clip", Content::OneGeometry, ResourceKind::None, TAV_NONE, TAV_NONE, E::Canvas, A::Clip, false},
    {"Canvas.OpacityMask", Content::OneBrush, ResourceKind::None, TAV_NONE, TAV_NONE, E::Canvas, A::OpacityMask, false},
    {"Path.RenderTransform", Content::OneTransform, ResourceKind::None, TAV_NONE, TAV_NONE, E::Path, A::RenderTransform,
     false},
    {"Path.Clip", Content::OneGeometry, ResourceKind::None, TAV_NONE, TAV_NONE, E::Path, A::Clip, false},
    {"Path.OpacityMask", Content::OneBrush, ResourceKind::None, TAV_NONE, TAV_NONE, E::Path, A::OpacityMask, false},
    {"Path.Fill", Content::OneBrush, ResourceKind::None, TAV_NONE, TAV_NONE, E::Path, A::Fill, false},
    {"Path.Stroke", Content::OneBrush, ResourceKind::None, TAV_NONE, TAV_NONE, E::Path, A::Stroke, false},
    {"Path.Data", Content::OneGeometry, ResourceKind::None, TAV_NONE, TAV_NONE, E::Path, A::Data, false},
    {"Glyphs.RenderTransform", Content::OneTransform, ResourceKind::None, TAV_NONE, TAV_NONE, E::Glyphs,
     A::RenderTransform, false},
    {"Glyphs.Clip", Content::OneGeometry, ResourceKind::None, TAV_NONE, TAV_NONE, E::Glyphs, A::Clip, false},
    {"Glyphs.OpacityMask", Content::OneBrush, ResourceKind::None, TAV_NONE, TAV_NONE, E::Glyphs, A::OpacityMask, false},
    {"Glyphs.Fill", Content::OneBrush, ResourceKind::None, TAV_NONE, TAV_NONE, E::Glyphs, A::Fill, false},
    {"ImageBrush.Transform", Content::OneTransform, ResourceKind::None, TAV_NONE, TAV_NONE, E::ImageBrush, A::Transform,
     false},
    {"VisualBrush.Transform", Content::OneTransform, ResourceKind::None, TAV_NONE, TAV_NONE, E::VisualBrush,
     A::Transform, false},
    {"VisualBrush.Visual", Content::OneVisual, ResourceKind::None, TAV_NONE, TAV_NONE, E::VisualBrush, A::Visual,
     false},
    {"LinearGradientBrush.Transform", Content::OneTransform, ResourceKind::None, TAV_NONE, TAV_NONE,
     E::LinearGradientBrush, A::Transform, false},
    {"LinearGradientBrush.GradientStops", Content::GradientStops, ResourceKind::None, TAV_NONE, TAV_NONE,
     E::LinearGradientBrush, A::Unknown, true},
    {"RadialGradientBrush.Transform", Content::OneTransform, ResourceKind::None, TAV_NONE, TAV_NONE,
     E::RadialGradientBrush, A::Transform, false},
    {"RadialGradientBrush.GradientStops", Content::GradientStops, ResourceKind::None, TAV_NONE, TAV_NONE,
     E::RadialGradientBrush, A::Unknown, true},
    {"PathGeometry.Transform", Content::OneTransform, ResourceKind::None, TAV_NONE, TAV_NONE, E::PathGeometry,
     A::Transform, false},
};
static_assert(sizeof kElementRules / sizeof kElementRules[0] == static_cast<size_t>(E::Count));

namespace {

#undef TAV_ATTRIBUTES
#undef TAV_PROPERTIES
#undef TAV_NONE

constexpr std::string_view kEdgeModes[] = {"Aliased"};
constexpr std::string_view kLineCaps[] = {"Flat", "Round", "Square", "Triangle"};
constexpr std::string_view kLineJoins[] = {"Miter", "Bevel", "Round"};
constexpr std::string_view kStyleSimulations[] = {"None", "ItalicSimulation", "BoldSimulation", "BoldItalicSimulation"};
constexpr std::string_view kTileModes[] = {"None", "Tile", "FlipX", "FlipY", "FlipXY"};
constexpr std::string_view kAbsolute[] = {"Absolute"};
constexpr std::string_view kInterpolationModes[] = {"ScRgbLinearInterpolation", "SRgbLinearInterpolation"};
constexpr std::string_view kSpreadMethods[] = {"Pad", "Reflect", "Repeat"};
constexpr std::string_view kFillRules[] = {"EvenOdd", "NonZero"};
constexpr std::string_view kSweepDirections[] = {"Clockwise", "Counterclockwise"};

template <typename Id, size_t N>
std::unordered_map<std::string_view, Id> IndexOf(const std::array<std::string_view, N>& names)
{
    std::unordered_map<std::string_view, Id> index;
    for (size_t i = 1; i < N; ++i) index.emplace(names[i], static_cast<Id>(i));
    return index;
}

}  // namespace

namespace {

// Each element's attribute rules by attribute, and its required attributes.
struct AttributeTables {
    const AttributeRule* rules[static_cast<size_t>(E::Count)][static_cast<size_t>(A::Count)] = {};
    AttributeSet required[static_cast<size_t>(E::Count)];

    AttributeTables()
    {
        for (size_t e = 0; e < static_cast<size_t>(E::Count); ++e) {
            const ElementRule& rule = kElementRules[e];
            for (uint8_t i = 0; i < rule.attributeCount; ++i) {
                size_t attribute = static_cast<size_t>(rule.attributes[i].attribute);
                rules[e][attribute] = &rule.attributes[i];
                if (rule.attributes[i].required) required[e].set(attribute);
            }
        }
    }
};

// Made when the library loads, so that looking one up costs no guard.
const AttributeTables kTables;

const AttributeTables& Tables() { return kTables; }

}  // namespace

const AttributeRule* const* AttributeRulesOf(Element element) { return Tables().rules[static_cast<size_t>(element)]; }

const AttributeSet& RequiredAttributes(Element element) { return Tables().required[static_cast<size_t>(element)]; }

Element ElementNamed(std::string_view localName)
{
    static const std::unordered_map<std::string_view, Element> index = [] {
        std::unordered_map<std::string_view, Element> made;
        for (size_t i = 1; i < static_cast<size_t>(E::Count); ++i) {
            made.emplace(kElementRules[i].name, static_cast<E>(i));
        }
        return made;
    }();
    auto found = index.find(localName);
    return found == index.end() ? E::Unknown : found->second;
}

Attribute AttributeNamed(std::string_view localName)
{
    // The qualified two are not found by a local name.
    static const std::unordered_map<std::string_view, Attribute> index = [] {
        auto made = IndexOf<Attribute>(kAttributeNames);
        made.erase("xml:lang");
        made.erase("x:Key");
        return made;
    }();
    auto found = index.find(localName);
    return found == index.end() ? A::Unknown : found->second;
}

std::string_view AttributeName(Attribute attribute) { return kAttributeNames[static_cast<size_t>(attribute)]; }

const std::string_view* EnumerationValues(ValueType type, size_t* count)
{
    auto values = [count](const auto& list) {
        *count = std::size(list);
        return &list[0];
    };
    switch (type) {
    case V::EdgeMode: return values(kEdgeModes);
    case V::LineCap: return values(kLineCaps);
    case V::LineJoin: return values(kLineJoins);
    case V::StyleSimulations: return values(kStyleSimulations);
    case V::TileMode: return values(kTileModes);
    case V::Absolute: return values(kAbsolute);
    case V::ColorInterpolationMode: return values(kInterpolationModes);
    case V::SpreadMethod: return values(kSpreadMethods);
    case V::FillRule: return values(kFillRules);
    case V::SweepDirection: return values(kSweepDirections);
    default: *count = 0; return nullptr;
    }
}

}  // namespace tav::host::page_schema
