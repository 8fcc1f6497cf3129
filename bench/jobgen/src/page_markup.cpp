#include "jobgen/page_markup.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "jobgen/identity_marks.h"
#include "jobgen/markup_text.h"

namespace jobgen {

namespace {

constexpr const char* kBlack = "#FF000000";
constexpr const char* kWhite = "#FFFFFFFF";
constexpr const char* kBandRed = "#FFFF0000";
constexpr const char* kTriangleBlue = "#FF0000FF";

// One element's markup, written attribute by attribute.
class Element {
public:
    Element(std::string& out, const char* name) : out_(out)
    {
        out_ += '<';
        out_ += name;
    }
    Element& Text(const char* name, std::string_view value)
    {
        Open(name);
        AppendEscaped(out_, value);
        out_ += '"';
        return *this;
    }
    Element& Number(const char* name, double value)
    {
        Open(name);
        AppendNumber(out_, value);
        out_ += '"';
        return *this;
    }
    // Geometry data built by the caller, appended between the quotes.
    std::string& Raw(const char* name)
    {
        Open(name);
        return out_;
    }
    void CloseRaw() { out_ += '"'; }
    void End() { out_ += "/>\n"; }

private:
    void Open(const char* name)
    {
        out_ += ' ';
        out_ += name;
        out_ += "=\"";
    }
    std::string& out_;
};

void AppendPoint(std::string& out, Point p)
{
    AppendNumber(out, p.x);
    out += ',';
    AppendNumber(out, p.y);
}

void AppendPolygon(std::string& out, std::initializer_list<Point> points)
{
    const char* command = "M ";
    for (Point p : points) {
        out += command;
        AppendPoint(out, p);
        command = " L ";
    }
    out += " Z";
}

void AppendRectData(std::string& out, const Rect& r)
{
    AppendPolygon(out, {{r.x, r.y}, {r.x + r.width, r.y}, {r.x + r.width, r.y + r.height}, {r.x, r.y + r.height}});
}

void FilledRect(std::string& out, const Rect& r, const char* fill)
{
    Element path(out, "Path");
    AppendRectData(path.Raw("Data"), r);
    path.CloseRaw();
    path.Text("Fill", fill).End();
}

void TextRun(std::string& out, const PageDrawing& page, Point origin, double emSize, std::string_view text)
{
    Element(out, "Glyphs")
        .Text("Fill", kBlack)
        .Text("FontUri", page.fontUri)
        .Number("FontRenderingEmSize", emSize)
        .Number("OriginX", origin.x)
        .Number("OriginY", origin.y)
        .Text("UnicodeString", text)
        .End();
}

void AppendIdentityMarks(std::string& out, const PageDrawing& page)
{
    Element frame(out, "Path");
    AppendRectData(frame.Raw("Data"), IdentityFrame(page.size));
    frame.CloseRaw();
    frame.Text("Stroke", kBlack).Number("StrokeThickness", 1).End();
    for (int bit = 0; bit < kIdentityBits; ++bit) {
        bool set = (static_cast<unsigned>(page.number) >> bit) & 1u;
        FilledRect(out, IdentityBar(page.size, bit), set ? kBlack : kWhite);
    }
    FilledRect(out, ColourBand(page.size), kBandRed);
    Element triangle(out, "Path");
    auto [a, b, c] = OrientationTriangle(page.size);
    AppendPolygon(triangle.Raw("Data"), {a, b, c});
    triangle.CloseRaw();
    triangle.Text("Fill", kTriangleBlue).End();
}

void AppendImage(std::string& out, const PageDrawing& page, const Rect& area)
{
    Element path(out, "Path");
    AppendRectData(path.Raw("Data"), area);
    path.CloseRaw();
    out += ">\n<Path.Fill>\n";
    Element brush(out, "ImageBrush");
    brush.Text("ImageSource", page.imageUri);
    std::string& viewbox = brush.Raw("Viewbox");
    viewbox += "0,0,";
    AppendPoint(viewbox, {double(page.imageWidth), double(page.imageHeight)});
    brush.CloseRaw();
    brush.Text("ViewboxUnits", "Absolute");
    std::string& viewport = brush.Raw("Viewport");
    AppendPoint(viewport, {area.x, area.y});
    viewport += ',';
    AppendPoint(viewport, {area.width, area.height});
    brush.CloseRaw();
    brush.Text("ViewportUnits", "Absolute").End();
    out += "</Path.Fill>\n</Path>\n";
}

// A star, a circle and a curve side by side in `area`.
void AppendVectorPaths(std::string& out, const Rect& area)
{
    double cell = area.width / 4;
    double radius = std::min(cell, area.height) * 0.45;
    Point star{area.x + cell / 2, area.y + area.height / 2};
    Element starPath(out, "Path");
    std::string& starData = starPath.Raw("Data");
    starData += "M ";
    for (int i = 0; i < 5; ++i) {
        // Every second point of a pentagon draws a five-pointed star.
        double angle = -std::numbers::pi / 2 + i * 4 * std::numbers::pi / 5;
        if (i > 0) starData += " L ";
        AppendPoint(starData, {star.x + radius * std::cos(angle), star.y + radius * std::sin(angle)});
    }
    starData += " Z";
    starPath.CloseRaw();
    starPath.Text("Fill", "#FF20A040").End();

    // A circle from four cubic Bezier quarters: libgxps does not draw arc
    // segments, and both renderers must show the same page.
    constexpr double kQuarterControl = 0.5523;  // 4/3 (sqrt 2 - 1)
    Point centre{area.x + 1.5 * cell, area.y + area.height / 2};
    double k = radius * kQuarterControl;
    Element circle(out, "Path");
    std::string& curves = circle.Raw("Data");
    curves += "M ";
    AppendPoint(curves, {centre.x + radius, centre.y});
    for (int quarter = 0; quarter < 4; ++quarter) {
        // Each quarter starts where the previous one ended, turning clockwise
        // on screen (y downwards): right, bottom, left, top.
        constexpr int kDirections[5][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 0}};
        auto [sx, sy] = kDirections[quarter];
        auto [ex, ey] = kDirections[quarter + 1];
        curves += " C ";
        AppendPoint(curves, {centre.x + sx * radius + ex * k, centre.y + sy * radius + ey * k});
        curves += ' ';
        AppendPoint(curves, {centre.x + ex * radius + sx * k, centre.y + ey * radius + sy * k});
        curves += ' ';
        AppendPoint(curves, {centre.x + ex * radius, centre.y + ey * radius});
    }
    curves += " Z";
    circle.CloseRaw();
    circle.Text("Fill", "#FF404040").End();

    Element curve(out, "Path");
    std::string& bezier = curve.Raw("Data");
    double left = area.x + 2 * cell, right = area.x + 3 * cell - 4;
    bezier += "M ";
    AppendPoint(bezier, {left, area.y + area.height});
    bezier += " C ";
    AppendPoint(bezier, {left + cell / 3, area.y});
    bezier += ' ';
    AppendPoint(bezier, {right - cell / 3, area.y + area.height});
    bezier += ' ';
    AppendPoint(bezier, {right, area.y});
    curve.CloseRaw();
    curve.Text("Stroke", "#FFE08000").Number("StrokeThickness", 3).End();
}

// A link box whose attribute values and text need escaping.
void AppendMarkupCharacters(std::string& out, const PageDrawing& page, const Rect& box)
{
    Element link(out, "Path");
    AppendRectData(link.Raw("Data"), box);
    link.CloseRaw();
    link.Text("Fill", "#FFFFF0A0")
        .Text("FixedPage.NavigateUri", kMarkupNavigateUri)
        .Text("AutomationProperties.Name", kMarkupAutomationName)
        .End();
    if (!page.fontUri.empty()) TextRun(out, page, {box.x + 2, box.y + box.height * 0.6}, box.width / 12, kMarkupText);
}

// `count` small grey rectangles, every second one a text line when there is
// a font, in a grid over `area`.
void AppendExtraElements(std::string& out, const PageDrawing& page, const Rect& area)
{
    int count = page.extraElements;
    int columns = std::max(1, static_cast<int>(std::ceil(std::sqrt(count * area.width / area.height))));
    int rows = (count + columns - 1) / columns;
    double cellWidth = area.width / columns, cellHeight = area.height / rows;
    std::string text;
    for (int i = 0; i < count; ++i) {
        Rect cell{area.x + (i % columns) * cellWidth, area.y + (i / columns) * cellHeight, cellWidth, cellHeight};
        if (!page.fontUri.empty() && i % 2 == 1) {
            text = "Element " + std::to_string(i);
            double em = std::min(cellHeight * 0.8, cellWidth / 7);
            TextRun(out, page, {cell.x, cell.y + cellHeight * 0.8}, em, text);
        } else {
            char grey[] = "#FF000000";
            static constexpr char kHex[] = "0123456789ABCDEF";
            int level = 0x40 + (i * 37) % 0x90;
            for (int channel = 0; channel < 3; ++channel) {
                grey[3 + 2 * channel] = kHex[level >> 4];
                grey[4 + 2 * channel] = kHex[level & 15];
            }
            FilledRect(out, Rect{cell.x, cell.y, cellWidth * 0.8, cellHeight * 0.8}, grey);
        }
    }
}

void AppendContent(std::string& out, const PageDrawing& page)
{
    Rect area = ContentArea(page.size);
    Rect imageRow{area.x, area.y, area.width, area.height * 0.30};
    Rect vectorRow{area.x, area.y + area.height * 0.34, area.width, area.height * 0.28};
    Rect extraRow{area.x, area.y + area.height * 0.66, area.width, area.height * 0.34};
    if (!page.imageUri.empty()) AppendImage(out, page, imageRow);
    if (page.vectorPaths) AppendVectorPaths(out, vectorRow);
    if (page.markupCharacters)
        AppendMarkupCharacters(
            out, page,
            Rect{vectorRow.x + vectorRow.width * 0.76, vectorRow.y, vectorRow.width * 0.24, vectorRow.height});
    if (page.extraElements > 0) AppendExtraElements(out, page, extraRow);
}

}  // namespace

void AppendFixedPage(std::string& out, const XpsVocabulary& vocabulary, const PageDrawing& page)
{
    PageSize sheet = OrientedSize(page.orientation, page.size);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    Element fixedPage(out, "FixedPage");
    fixedPage.Text("xmlns", vocabulary.markupNamespace)
        .Text("xml:lang", "en-US")
        .Number("Width", sheet.width)
        .Number("Height", sheet.height);
    out += ">\n";
    bool turned = page.orientation != Orientation{};
    if (turned) {
        Matrix m = OrientationMatrix(page.orientation, page.size);
        Element canvas(out, "Canvas");
        std::string& transform = canvas.Raw("RenderTransform");
        for (double factor : {m.m11, m.m12, m.m21, m.m22}) {
            AppendNumber(transform, factor, 6);
            transform += ',';
        }
        AppendPoint(transform, {m.dx, m.dy});
        canvas.CloseRaw();
        out += ">\n";
    }
    AppendIdentityMarks(out, page);
    if (!page.fontUri.empty())
        TextRun(out, page, PageNumberOrigin(page.size), PageNumberEmSize(page.size), std::to_string(page.number));
    AppendContent(out, page);
    if (turned) out += "</Canvas>\n";
    out += "</FixedPage>\n";
}

}  // namespace jobgen
