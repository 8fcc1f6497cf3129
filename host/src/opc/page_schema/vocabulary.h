// The page-markup vocabulary as tables: every element of FixedPage and
// resource-dictionary markup, the attributes each takes with the type of
// their values, the property elements each takes in their order, and what
// each may hold. Names are interned once into small numbers, so that the
// checks compare numbers, never strings.
#pragma once

#include <bitset>
#include <cstdint>
#include <string_view>

namespace tav::host::page_schema {

enum class Element : uint8_t {
    Unknown,
    FixedPage,
    Canvas,
    Path,
    Glyphs,
    ResourceDictionary,
    SolidColorBrush,
    ImageBrush,
    VisualBrush,
    LinearGradientBrush,
    RadialGradientBrush,
    GradientStop,
    MatrixTransform,
    PathGeometry,
    PathFigure,
    ArcSegment,
    PolyBezierSegment,
    PolyLineSegment,
    PolyQuadraticBezierSegment,
    // Property elements.
    FixedPageResources,
    CanvasResources,
    CanvasRenderTransform,
    CanvasClip,
    CanvasOpacityMask,
    PathRenderTransform,
    PathClip,
    PathOpacityMask,
    PathFill,
    PathStroke,
    PathData,
    GlyphsRenderTransform,
    GlyphsClip,
    GlyphsOpacityMask,
    GlyphsFill,
    ImageBrushTransform,
    VisualBrushTransform,
    VisualBrushVisual,
    LinearGradientBrushTransform,
    LinearGradientBrushGradientStops,
    RadialGradientBrushTransform,
    RadialGradientBrushGradientStops,
    PathGeometryTransform,
    Count
};

// Unqualified attributes of the vocabulary, and the two qualified ones
// (xml:lang, x:Key) the checks treat alike.
enum class Attribute : uint8_t {
    Unknown,
    Width,
    Height,
    ContentBox,
    BleedBox,
    Name,
    RenderTransform,
    Clip,
    Opacity,
    OpacityMask,
    EdgeMode,        // RenderOptions.EdgeMode
    NavigateUri,     // FixedPage.NavigateUri
    HelpText,        // AutomationProperties.HelpText
    AccessibleName,  // AutomationProperties.Name
    Data,
    Fill,
    Stroke,
    StrokeDashArray,
    StrokeDashCap,
    StrokeDashOffset,
    StrokeEndLineCap,
    StrokeStartLineCap,
    StrokeLineJoin,
    StrokeMiterLimit,
    StrokeThickness,
    SnapsToDevicePixels,
    BidiLevel,
    CaretStops,
    DeviceFontName,
    FontRenderingEmSize,
    FontUri,
    OriginX,
    OriginY,
    IsSideways,
    Indices,
    UnicodeString,
    StyleSimulations,
    Source,
    Color,
    ImageSource,
    Transform,
    Viewbox,
    Viewport,
    TileMode,
    ViewboxUnits,
    ViewportUnits,
    Visual,
    ColorInterpolationMode,
    SpreadMethod,
    MappingMode,
    StartPoint,
    EndPoint,
    Center,
    GradientOrigin,
    RadiusX,
    RadiusY,
    Offset,
    Matrix,
    Figures,
    FillRule,
    IsClosed,
    IsFilled,
    Point,
    Size,
    RotationAngle,
    IsLargeArc,
    SweepDirection,
    IsStroked,
    Points,
    XmlLang,  // xml:lang
    Key,      // x:Key
    Count
};

enum class ValueType : uint8_t {
    Text,         // any text
    Double,       // a number
    NonNegative,  // a number >= 0
    AtLeastOne,   // a number >= 1
    ZeroToOne,    // a number in [0, 1]
    BidiLevel,    // an integer in [0, 61]
    Point,        // x,y
    NonNegativePoint,
    Points,
    Rectangle,  // x,y,width,height
    Matrix,     // six numbers
    Boolean,
    DashArray,  // an even count of numbers >= 0
    Color,
    ColorOrResource,     // a colour or {StaticResource KEY} (a brush)
    MatrixOrResource,    // six numbers or {StaticResource KEY} (a MatrixTransform)
    GeometryOrResource,  // abbreviated geometry with a fill rule, or {StaticResource KEY} (a PathGeometry)
    Geometry,            // abbreviated geometry without a fill rule
    BrushResource,       // {StaticResource KEY} (a brush)
    VisualResource,      // {StaticResource KEY} (a Canvas, Path or Glyphs)
    Uri,
    ImageSource,
    Indices,
    UnicodeString,
    CaretStops,
    Name,
    Language,
    // Enumerations.
    EdgeMode,
    LineCap,
    LineJoin,
    StyleSimulations,
    TileMode,
    Absolute,  // ViewboxUnits, ViewportUnits, MappingMode
    ColorInterpolationMode,
    SpreadMethod,
    FillRule,
    SweepDirection,
};

// What a resource is, for the references that must name one of a kind.
enum class ResourceKind : uint8_t { None, Brush, Transform, Geometry, Visual };

// What an element holds besides its property elements.
enum class Content : uint8_t {
    Nothing,
    Visuals,        // Canvas, Path, Glyphs, any number
    Figures,        // PathFigure, any number
    Segments,       // the segments of a figure, at least one
    Resources,      // a dictionary's resources, any number, each with x:Key
    OneTransform,   // exactly one MatrixTransform
    OneGeometry,    // exactly one PathGeometry
    OneBrush,       // exactly one brush
    OneVisual,      // exactly one Canvas, Path or Glyphs
    OneDictionary,  // exactly one ResourceDictionary
    GradientStops,  // two or more GradientStop
};

struct AttributeRule {
    Attribute attribute;
    ValueType type;
    bool required;
};

struct ElementRule {
    std::string_view name;
    Content content;
    ResourceKind resourceKind;  // what the element is when it stands in a dictionary
    const AttributeRule* attributes;
    uint8_t attributeCount;
    // Object elements: their property elements, in the order they must
    // come; property elements: the element they belong to.
    const Element* properties;
    uint8_t propertyCount;
    Element owner;              // property elements: the element they belong to
    Attribute sameAsAttribute;  // property elements: the attribute they stand for, if any
    bool propertyRequired;      // property elements that must be given (GradientStops)
};

using AttributeSet = std::bitset<static_cast<size_t>(Attribute::Count)>;

// Indexed by Element.
extern const ElementRule kElementRules[];
inline const ElementRule& RuleOf(Element element) { return kElementRules[static_cast<size_t>(element)]; }
// The rules of the element's attributes, indexed by Attribute; null for
// an attribute the element does not take.
const AttributeRule* const* AttributeRulesOf(Element element);
// The attributes the element must have.
const AttributeSet& RequiredAttributes(Element element);
inline bool IsPropertyElement(Element element) { return element >= Element::FixedPageResources; }

// The element of a local name in the XPS namespace; Unknown for none.
Element ElementNamed(std::string_view localName);
// The attribute of an unqualified local name; Unknown for none.
Attribute AttributeNamed(std::string_view localName);
std::string_view AttributeName(Attribute attribute);

// The allowed values of an enumeration type; empty for other types.
const std::string_view* EnumerationValues(ValueType type, size_t* count);

}  // namespace tav::host::page_schema
