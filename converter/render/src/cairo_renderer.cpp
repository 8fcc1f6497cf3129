#include "cairo_renderer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "content_bounds.h"
#include "stroke_caps.h"
#include "tile_brush.h"

namespace tav::render {

namespace {

// The slant of simulated italics: 20 degrees.
const double kItalicShear = std::tan(20 * std::numbers::pi / 180);
// Simulated bold widens every stroke of a glyph by a hundredth of the em
// size on each side.
constexpr double kBoldWidening = 0.01;
// Linear-light gradients are drawn with this many sRGB stops between two
// stops of the markup.
constexpr int kLinearLightSteps = 16;
// Translucent elements are drawn through a group each, a sheet-sized
// surface on a raster; past this many groups inside each other, deeper
// elements have their opacity multiplied into their brushes instead, so a
// page nesting translucent canvases hundreds deep cannot take a sheet's
// worth of memory per level.
constexpr int kMaxNestedGroups = 8;
// Dashes of one figure drawn one by one, at most.
constexpr size_t kMaxOwnDashes = 100'000;
// Strokes of more segments than this are drawn in pieces of so many.
constexpr size_t kMaxSegmentsPerStroke = 20'000;
constexpr size_t kSegmentsPerPiece = 2'000;
// A tile of an image or visual brush is drawn once into a cell of at most
// this many pixels on a raster (at the sheet's resolution), then repeated. Visual brushes nest at most as deep
// as the model allows, so the cells held at once are bounded too.
constexpr double kMaxCellPixels = 4'000'000;
// Past this many cells over the area it paints, a tiled brush is drawn as
// its cell's average colour: the tiles are then far below what a printer
// shows, and a PDF reader would draw them one by one.
constexpr double kMaxCells = 1'000'000;
// The cell that gives that average colour.
constexpr double kAverageCellPixels = 1024;

cairo_matrix_t ToCairo(const Affine& a)
{
    cairo_matrix_t m;
    cairo_matrix_init(&m, a.m11, a.m12, a.m21, a.m22, a.dx, a.dy);
    return m;
}

Affine FromCairo(const cairo_matrix_t& m) { return {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0}; }

class PageRenderer {
public:
    PageRenderer(const Page& page, cairo_t* cr, CairoFonts& fonts, const RenderOptions& options)
        : page_(page), cr_(cr), fonts_(fonts), options_(options)
    {
    }

    void Draw()
    {
        cairo_font_options_t* fontOptions = cairo_font_options_create();
        cairo_font_options_set_hint_style(fontOptions, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(fontOptions, CAIRO_HINT_METRICS_OFF);
        cairo_set_font_options(cr_, fontOptions);
        cairo_font_options_destroy(fontOptions);
        cairo_save(cr_);
        cairo_rectangle(cr_, 0, 0, page_.width, page_.height);
        cairo_clip(cr_);
        DrawRange(page_.nodes, 0, page_.nodes.size());
        cairo_restore(cr_);
    }

    std::string Error() const { return error_; }

private:
    void DrawRange(const std::vector<Node>& nodes, size_t begin, size_t end)
    {
        for (size_t i = begin; i < end && error_.empty();) {
            const Node& node = nodes[i];
            DrawNode(nodes, i);
            i = node.kind == Node::Canvas ? std::max(node.end, i + 1) : i + 1;
        }
    }

    void DrawNode(const std::vector<Node>& nodes, size_t index)
    {
        const Node& node = nodes[index];
        if (node.opacity <= 0) return;
        cairo_matrix_t transform = ToCairo(node.transform);
        // A transform that squeezes the element flat draws nothing (and
        // would put cairo in an error state).
        cairo_matrix_t inverse = transform;
        if (cairo_matrix_invert(&inverse) != CAIRO_STATUS_SUCCESS) return;
        cairo_save(cr_);
        cairo_transform(cr_, &transform);
        if (node.clip != kNone) {
            const Geometry& clip = page_.geometries[node.clip];
            cairo_new_path(cr_);
            AppendFill(clip);
            cairo_set_fill_rule(
                cr_, clip.fillRule == FillRule::NonZero ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
            cairo_clip(cr_);
        }
        bool translucent = node.opacity < 1;
        // An opacity mask takes the element's own opacity into the mask.
        bool masked = node.opacityMask != kNone && groups_ < kMaxNestedGroups;
        bool group = (translucent || masked) && groups_ < kMaxNestedGroups;
        double savedAlpha = alpha_;
        if (group) {
            cairo_push_group(cr_);
            ++groups_;
        } else if (translucent) {
            alpha_ *= node.opacity;
        }
        switch (node.kind) {
        case Node::Canvas: DrawRange(nodes, index + 1, node.end); break;
        case Node::Path: DrawPath(node); break;
        case Node::Glyphs: DrawGlyphs(node); break;
        }
        if (group) {
            --groups_;
            cairo_pop_group_to_source(cr_);
            if (masked) {
                cairo_pattern_t* content = cairo_get_source(cr_);
                cairo_pattern_reference(content);
                cairo_push_group_with_content(cr_, CAIRO_CONTENT_ALPHA);
                ++groups_;
                alpha_ = node.opacity;
                PaintBrush(page_.brushes[node.opacityMask], NodeBounds(page_, nodes, index));
                --groups_;
                cairo_pattern_t* mask = cairo_pop_group(cr_);
                cairo_set_source(cr_, content);
                cairo_mask(cr_, mask);
                cairo_pattern_destroy(mask);
                cairo_pattern_destroy(content);
            } else {
                cairo_paint_with_alpha(cr_, node.opacity);
            }
        }
        alpha_ = savedAlpha;
        cairo_restore(cr_);
        if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) error_ = cairo_status_to_string(cairo_status(cr_));
    }

    void AppendFill(const Geometry& geometry)
    {
        for (const Figure& figure : geometry.figures) {
            if (!figure.filled) continue;
            cairo_move_to(cr_, figure.start.x, figure.start.y);
            for (const Segment& segment : figure.segments) AppendSegment(segment);
            cairo_close_path(cr_);
        }
    }

    void AppendSegment(const Segment& segment)
    {
        if (segment.kind == Segment::Cubic) {
            cairo_curve_to(cr_, segment.control1.x, segment.control1.y, segment.control2.x, segment.control2.y,
                           segment.end.x, segment.end.y);
        } else {
            cairo_line_to(cr_, segment.end.x, segment.end.y);
        }
    }

    void AppendStroke(const Geometry& geometry)
    {
        for (const Figure& figure : geometry.figures) {
            cairo_move_to(cr_, figure.start.x, figure.start.y);
            bool allStroked = true;
            for (const Segment& segment : figure.segments) {
                if (segment.stroked) {
                    AppendSegment(segment);
                } else {
                    allStroked = false;
                    cairo_move_to(cr_, segment.end.x, segment.end.y);
                }
            }
            if (figure.closed) {
                if (allStroked) {
                    cairo_close_path(cr_);
                } else {
                    cairo_line_to(cr_, figure.start.x, figure.start.y);
                }
            }
        }
    }

    // Sets the brush as the source; false when it paints nothing.
    bool SetBrush(const Brush& brush, const Rect& bounds)
    {
        double opacity = brush.opacity * alpha_;
        if (opacity <= 0) return false;
        if (brush.kind == Brush::Solid) {
            cairo_set_source_rgba(cr_, brush.colour.r, brush.colour.g, brush.colour.b, brush.colour.a * opacity);
            return true;
        }
        // Brush space to user space: the unit box onto the bounds when the
        // brush is relative to them, then the brush's own transform.
        Affine brushToUser = brush.transform;
        if (brush.mapping == MappingMode::RelativeToBoundingBox)
            brushToUser = Then(Affine{bounds.width, 0, 0, bounds.height, bounds.x, bounds.y}, brush.transform);
        cairo_pattern_t* pattern = nullptr;
        Affine patternToUser = brushToUser;
        if (brush.kind == Brush::LinearGradient) {
            pattern = cairo_pattern_create_linear(brush.start.x, brush.start.y, brush.end.x, brush.end.y);
        } else {
            if (brush.radiusX <= 0 || brush.radiusY <= 0) {
                // No ellipse: everything lies beyond it, in the last stop's
                // colour, as padding past the edge would give.
                const Rgba& last = brush.stops.back().colour;
                cairo_set_source_rgba(cr_, last.r, last.g, last.b, last.a * opacity);
                return true;
            }
            // The ellipse as the unit circle.
            Affine circleToBrush{brush.radiusX, 0, 0, brush.radiusY, brush.center.x, brush.center.y};
            patternToUser = Then(circleToBrush, brushToUser);
            pattern = cairo_pattern_create_radial((brush.origin.x - brush.center.x) / brush.radiusX,
                                                  (brush.origin.y - brush.center.y) / brush.radiusY, 0, 0, 0, 1);
        }
        const std::vector<GradientStop>& stops = brush.interpolation == ColourInterpolation::ScRgb
                                                     ? LinearLightStops(brush.stops, kLinearLightSteps)
                                                     : brush.stops;
        for (const GradientStop& stop : stops)
            cairo_pattern_add_color_stop_rgba(pattern, stop.offset, stop.colour.r, stop.colour.g, stop.colour.b,
                                              stop.colour.a * opacity);
        cairo_pattern_set_extend(pattern, brush.spread == SpreadMethod::Reflect  ? CAIRO_EXTEND_REFLECT
                                          : brush.spread == SpreadMethod::Repeat ? CAIRO_EXTEND_REPEAT
                                                                                 : CAIRO_EXTEND_PAD);
        cairo_matrix_t matrix = ToCairo(patternToUser);
        if (cairo_matrix_invert(&matrix) != CAIRO_STATUS_SUCCESS) {
            cairo_pattern_destroy(pattern);
            return false;  // a gradient squeezed flat paints nothing
        }
        cairo_pattern_set_matrix(pattern, &matrix);
        cairo_set_source(cr_, pattern);
        cairo_pattern_destroy(pattern);
        return true;
    }

    // Paints the brush over the whole clip.
    void PaintBrush(const Brush& brush, const Rect& bounds)
    {
        if (brush.IsTileBrush()) {
            PaintTileBrush(brush, bounds);
        } else if (SetBrush(brush, bounds)) {
            cairo_paint(cr_);
        }
    }

    // Fills the current path (which it consumes) with the brush.
    void FillPath(const Brush& brush, const Rect& bounds)
    {
        if (brush.IsTileBrush()) {
            cairo_save(cr_);
            cairo_clip(cr_);
            PaintTileBrush(brush, bounds);
            cairo_restore(cr_);
        } else if (SetBrush(brush, bounds)) {
            cairo_fill(cr_);
        } else {
            cairo_new_path(cr_);
        }
    }

    // Sets the brush as the source of an operation that marks no more than
    // `extents` (user space); an image or visual brush is first painted
    // into a group of that size. EndSource after the operation.
    bool BeginSource(const Brush& brush, const Rect& bounds, const Rect& extents)
    {
        if (!brush.IsTileBrush()) return SetBrush(brush, bounds);
        cairo_save(cr_);
        cairo_new_path(cr_);
        cairo_rectangle(cr_, extents.x, extents.y, extents.width, extents.height);
        cairo_clip(cr_);
        cairo_push_group(cr_);
        PaintTileBrush(brush, bounds);
        cairo_pop_group_to_source(cr_);
        return true;
    }

    void EndSource(const Brush& brush)
    {
        if (brush.IsTileBrush()) cairo_restore(cr_);
    }

    bool RasterTarget() const
    {
        return options_.raster || cairo_surface_get_type(cairo_get_target(cr_)) == CAIRO_SURFACE_TYPE_IMAGE;
    }

    // An image as a surface: the cache's pixels themselves on a raster,
    // which draws them at once; a copy for a PDF, which may write them out
    // later, marked so that every use of one image in the job is written
    // once.
    cairo_surface_t* ImageSurface(const DecodedImage& image)
    {
        auto* pixels = reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(image.pixels.data()));
        int stride = image.width * 4;
        if (RasterTarget())
            return cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_ARGB32, image.width, image.height, stride);
        cairo_surface_t* copy = cairo_image_surface_create(image.opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32,
                                                           image.width, image.height);
        if (cairo_surface_status(copy) != CAIRO_STATUS_SUCCESS) return copy;
        cairo_surface_flush(copy);
        unsigned char* data = cairo_image_surface_get_data(copy);
        int copyStride = cairo_image_surface_get_stride(copy);
        for (int y = 0; y < image.height; ++y)
            std::copy_n(pixels + static_cast<size_t>(y) * stride, stride, data + static_cast<size_t>(y) * copyStride);
        cairo_surface_mark_dirty(copy);
        auto* id = new std::string("tav-image-" + std::to_string(image.id));
        cairo_surface_set_mime_data(
            copy, CAIRO_MIME_TYPE_UNIQUE_ID, reinterpret_cast<const unsigned char*>(id->data()), id->size(),
            [](void* text) { delete static_cast<std::string*>(text); }, id);
        return copy;
    }

    // The brush's content (the image, or the visual) in content units at
    // the current user space, with the given opacity.
    void DrawContent(const Brush& brush, double opacity)
    {
        if (brush.kind == Brush::Image) {
            const DecodedImage& image = *brush.image;
            cairo_save(cr_);
            cairo_scale(cr_, 96.0 / image.dpiX, 96.0 / image.dpiY);
            cairo_surface_t* surface = ImageSurface(image);
            cairo_set_source_surface(cr_, surface, 0, 0);
            cairo_surface_destroy(surface);
            // Edge pixels repeat outward on a raster, so a stretched image
            // has no faded rim inside its clip; a PDF clips the image itself.
            cairo_pattern_set_extend(cairo_get_source(cr_), RasterTarget() ? CAIRO_EXTEND_PAD : CAIRO_EXTEND_NONE);
            cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
            cairo_paint_with_alpha(cr_, opacity);
            cairo_restore(cr_);
            return;
        }
        double savedAlpha = alpha_;
        alpha_ = 1;
        bool group = opacity < 1;
        if (group) cairo_push_group(cr_);
        const std::vector<Node>& visual = page_.visuals[brush.visual];
        DrawRange(visual, 0, visual.size());
        if (group) {
            cairo_pop_group_to_source(cr_);
            cairo_paint_with_alpha(cr_, opacity);
        }
        alpha_ = savedAlpha;
    }

    // Paints an image or visual brush over the whole clip.
    void PaintTileBrush(const Brush& brush, const Rect& bounds)
    {
        double opacity = brush.opacity * alpha_;
        if (opacity <= 0) return;
        Rect content = brush.kind == Brush::Image ? Rect{0, 0, brush.image->UnitWidth(), brush.image->UnitHeight()}
                                                  : ListBounds(page_, page_.visuals[brush.visual]);
        TilePlacement place = PlaceTile(brush, bounds, content);
        if (place.empty) return;
        if (brush.tileMode == TileMode::None) {
            cairo_save(cr_);
            cairo_matrix_t matrix = ToCairo(place.contentToUser);
            cairo_transform(cr_, &matrix);
            cairo_rectangle(cr_, place.viewbox.x, place.viewbox.y, place.viewbox.width, place.viewbox.height);
            cairo_clip(cr_);
            DrawContent(brush, opacity);
            cairo_restore(cr_);
            return;
        }
        double x1, y1, x2, y2;
        cairo_clip_extents(cr_, &x1, &y1, &x2, &y2);
        bool average = CellsOver(place, {x1, y1, x2 - x1, y2 - y1}) > kMaxCells;
        cairo_pattern_t* cell = MakeCell(brush, place, average);
        if (!cell) return;
        if (average) {
            Rgba colour = AverageColour(cell);
            cairo_pattern_destroy(cell);
            cairo_set_source_rgba(cr_, colour.r, colour.g, colour.b, colour.a);
        } else {
            cairo_set_source(cr_, cell);
            cairo_pattern_destroy(cell);
        }
        cairo_paint_with_alpha(cr_, opacity);
    }

    // The repeating cell of a tiled brush as a pattern in user space: a
    // raster cell at the sheet's resolution on a raster (or a small one
    // for an average colour), a recorded one a PDF keeps as vectors. Null
    // when the cell could not be made (the error is kept).
    cairo_pattern_t* MakeCell(const Brush& brush, const TilePlacement& place, bool small)
    {
        const Rect& box = place.viewbox;
        double cellWidth = box.width * place.copiesX, cellHeight = box.height * place.copiesY;
        double scaleX = 1, scaleY = 1;
        cairo_surface_t* surface;
        if (RasterTarget() || small) {
            cairo_matrix_t ctm;
            cairo_get_matrix(cr_, &ctm);
            Point scales = AxisScales(Then(place.contentToUser, FromCairo(ctm)));
            double width = std::max(1.0, std::ceil(cellWidth * scales.x));
            double height = std::max(1.0, std::ceil(cellHeight * scales.y));
            double most = small ? kAverageCellPixels : kMaxCellPixels;
            if (width * height > most) {
                double shrink = std::sqrt(most / (width * height));
                width = std::max(1.0, std::floor(width * shrink));
                height = std::max(1.0, std::floor(height * shrink));
                width = std::min(width, most), height = std::min(height, most);
            }
            surface =
                cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height));
            scaleX = width / cellWidth;
            scaleY = height / cellHeight;
        } else {
            cairo_rectangle_t extents{0, 0, cellWidth, cellHeight};
            surface = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents);
        }
        cairo_t* cell = cairo_create(surface);
        cairo_scale(cell, scaleX, scaleY);
        cairo_t* outer = cr_;
        cr_ = cell;
        for (int iy = 0; iy < place.copiesY; ++iy) {
            for (int ix = 0; ix < place.copiesX; ++ix) {
                cairo_save(cr_);
                cairo_matrix_t copy = ToCairo(ContentToCell(place, ix, iy));
                cairo_transform(cr_, &copy);
                cairo_rectangle(cr_, box.x, box.y, box.width, box.height);
                cairo_clip(cr_);
                DrawContent(brush, 1);
                cairo_restore(cr_);
            }
        }
        cr_ = outer;
        cairo_status_t status = cairo_status(cell);
        cairo_destroy(cell);
        if (status != CAIRO_STATUS_SUCCESS) {
            if (error_.empty()) error_ = std::string("a brush tile: ") + cairo_status_to_string(status);
            cairo_surface_destroy(surface);
            return nullptr;
        }
        cairo_pattern_t* pattern = cairo_pattern_create_for_surface(surface);
        cairo_surface_destroy(surface);
        cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
        cairo_pattern_set_filter(pattern, CAIRO_FILTER_BILINEAR);
        Affine cellToUser = Then(Then(Scaling(1 / scaleX, 1 / scaleY), Translation(box.x, box.y)), place.contentToUser);
        cairo_matrix_t matrix = ToCairo(cellToUser);
        cairo_matrix_invert(&matrix);  // invertible: the placement is not flat
        cairo_pattern_set_matrix(pattern, &matrix);
        return pattern;
    }

    // The average of a raster cell's pixels, not premultiplied.
    static Rgba AverageColour(cairo_pattern_t* cell)
    {
        cairo_surface_t* surface = nullptr;
        cairo_pattern_get_surface(cell, &surface);
        cairo_surface_flush(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
        int stride = cairo_image_surface_get_stride(surface);
        double sum[4] = {};
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < 4; ++c) sum[c] += (row[x] >> (24 - 8 * c)) & 0xFF;
        }
        double count = static_cast<double>(width) * height;
        double alpha = sum[0] / count / 255;
        if (alpha <= 0) return {0, 0, 0, 0};
        return {sum[1] / count / 255 / alpha, sum[2] / count / 255 / alpha, sum[3] / count / 255 / alpha, alpha};
    }

    static cairo_line_cap_t CairoCap(LineCap cap)
    {
        switch (cap) {
        case LineCap::Round: return CAIRO_LINE_CAP_ROUND;
        case LineCap::Square: return CAIRO_LINE_CAP_SQUARE;
        default: return CAIRO_LINE_CAP_BUTT;
        }
    }

    void DrawPath(const Node& node)
    {
        const Geometry& geometry = page_.geometries[node.geometry];
        Rect bounds = geometry.Bounds();
        if (node.fill != kNone) {
            cairo_new_path(cr_);
            AppendFill(geometry);
            cairo_set_fill_rule(
                cr_, geometry.fillRule == FillRule::NonZero ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
            FillPath(page_.brushes[node.fill], bounds);
        }
        const StrokeStyle& style = node.strokeStyle;
        if (node.stroke == kNone || style.thickness <= 0) return;
        const Brush& brush = page_.brushes[node.stroke];
        // Joins reach out at most half the miter limit times the thickness,
        // caps half the diagonal of a square.
        double reach = style.thickness / 2 * std::max(style.miterLimit, 1.5) + 1;
        Rect extents{bounds.x - reach, bounds.y - reach, bounds.width + 2 * reach, bounds.height + 2 * reach};
        if (!BeginSource(brush, bounds, extents)) return;
        DrawStroke(geometry, style);
        EndSource(brush);
    }

    void DrawStroke(const Geometry& geometry, const StrokeStyle& style)
    {
        cairo_set_line_width(cr_, style.thickness);
        cairo_set_line_join(cr_, style.join == LineJoin::Round   ? CAIRO_LINE_JOIN_ROUND
                                 : style.join == LineJoin::Bevel ? CAIRO_LINE_JOIN_BEVEL
                                                                 : CAIRO_LINE_JOIN_MITER);
        cairo_set_miter_limit(cr_, style.miterLimit);
        if (geometry.SegmentCount() > kMaxSegmentsPerStroke && style.dashes.empty()) {
            StrokeInPieces(geometry, style);
            return;
        }
        double dashTotal = 0;
        for (double dash : style.dashes) dashTotal += dash;
        bool dashed = !style.dashes.empty() && dashTotal > 0;
        std::vector<double> lengths;
        for (double dash : style.dashes) lengths.push_back(dash * style.thickness);
        bool allClosed = true;
        for (const Figure& figure : geometry.figures) allClosed = allClosed && figure.closed;
        // The library dashes by itself when every end of every dash takes
        // one cap it has.
        if (dashed && style.dashCap != LineCap::Triangle &&
            (allClosed || (style.startCap == style.dashCap && style.endCap == style.dashCap))) {
            cairo_set_dash(cr_, lengths.data(), static_cast<int>(lengths.size()), style.dashOffset * style.thickness);
            cairo_set_line_cap(cr_, CairoCap(style.dashCap));
            cairo_new_path(cr_);
            AppendStroke(geometry);
            cairo_stroke(cr_);
            cairo_set_dash(cr_, nullptr, 0, 0);
            return;
        }
        if (dashed) {
            DrawOwnDashes(geometry, style, lengths);
            return;
        }
        // What the library cannot draw itself: caps of their own, and miters
        // clipped at the limit where it would bevel them.
        double half = style.thickness / 2;
        bool sameCaps = style.startCap == style.endCap && style.startCap != LineCap::Triangle;
        std::vector<std::vector<Point>> outlines;
        std::vector<Point> discs;
        for (const Figure& figure : geometry.figures) {
            if (style.join == LineJoin::Miter)
                for (auto& outline : ClippedMiters(figure, half, style.miterLimit))
                    outlines.push_back(std::move(outline));
            if (sameCaps || figure.closed) continue;
            Point end = figure.segments.empty() ? figure.start : figure.segments.back().end;
            if (auto outward = OutwardAtStart(figure))
                AddCap(figure.start, *outward, half, style.startCap, &outlines, &discs);
            if (auto outward = OutwardAtEnd(figure)) AddCap(end, *outward, half, style.endCap, &outlines, &discs);
        }
        cairo_set_line_cap(cr_, sameCaps ? CairoCap(style.startCap) : CAIRO_LINE_CAP_BUTT);
        if (outlines.empty() && discs.empty()) {
            cairo_new_path(cr_);
            AppendStroke(geometry);
            cairo_stroke(cr_);
            return;
        }
        StrokeWithOutlines(geometry, outlines, discs, half);
    }

    // A stroke of very many segments, drawn a piece of a figure at a time
    // into one coverage mask: the drawing library's cost of one stroke grows
    // far faster than its segments where they cross, and a translucent
    // brush must not darken where pieces meet. The pieces take the library's
    // caps and joins; a join between two pieces is left out.
    void StrokeInPieces(const Geometry& geometry, const StrokeStyle& style)
    {
        cairo_pattern_t* source = cairo_get_source(cr_);
        cairo_pattern_reference(source);
        cairo_push_group_with_content(cr_, CAIRO_CONTENT_ALPHA);
        cairo_set_source_rgba(cr_, 0, 0, 0, 1);
        cairo_set_line_cap(cr_, CairoCap(style.startCap));
        for (const Figure& figure : geometry.figures) {
            Point at = figure.start;
            for (size_t first = 0; first < figure.segments.size() || first == 0; first += kSegmentsPerPiece) {
                cairo_new_path(cr_);
                cairo_move_to(cr_, at.x, at.y);
                size_t last = std::min(figure.segments.size(), first + kSegmentsPerPiece);
                for (size_t i = first; i < last; ++i) {
                    const Segment& segment = figure.segments[i];
                    if (segment.stroked)
                        AppendSegment(segment);
                    else
                        cairo_move_to(cr_, segment.end.x, segment.end.y);
                    at = segment.end;
                }
                if (figure.closed && last == figure.segments.size()) cairo_line_to(cr_, figure.start.x, figure.start.y);
                cairo_stroke(cr_);
                if (figure.segments.empty()) break;
            }
        }
        cairo_pattern_t* mask = cairo_pop_group(cr_);
        cairo_set_source(cr_, source);
        cairo_mask(cr_, mask);
        cairo_pattern_destroy(mask);
        cairo_pattern_destroy(source);
    }

    // Dashes whose caps the library lacks: each dash is stroked flat and
    // given its caps (the figure's own at its ends).
    void DrawOwnDashes(const Geometry& geometry, const StrokeStyle& style, const std::vector<double>& lengths)
    {
        double half = style.thickness / 2;
        Geometry pieces;
        std::vector<std::vector<Point>> outlines;
        std::vector<Point> discs;
        for (const Figure& figure : geometry.figures) {
            std::vector<Dash> dashes;
            if (!DashFigure(figure, lengths, style.dashOffset * style.thickness, kMaxOwnDashes, &dashes)) {
                // Too many to draw one by one: the library's own dashing.
                cairo_set_dash(cr_, lengths.data(), static_cast<int>(lengths.size()),
                               style.dashOffset * style.thickness);
                cairo_set_line_cap(cr_, CairoCap(style.dashCap));
                cairo_new_path(cr_);
                AppendStroke(geometry);
                cairo_stroke(cr_);
                cairo_set_dash(cr_, nullptr, 0, 0);
                return;
            }
            for (Dash& dash : dashes) {
                Point back{-dash.startDirection.x, -dash.startDirection.y};
                Point end = dash.piece.segments.empty() ? dash.piece.start : dash.piece.segments.back().end;
                AddCap(dash.piece.start, back, half, dash.atStart ? style.startCap : style.dashCap, &outlines, &discs);
                AddCap(end, dash.endDirection, half, dash.atEnd ? style.endCap : style.dashCap, &outlines, &discs);
                if (style.join == LineJoin::Miter)
                    for (auto& outline : ClippedMiters(dash.piece, half, style.miterLimit))
                        outlines.push_back(std::move(outline));
                pieces.figures.push_back(std::move(dash.piece));
            }
        }
        cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
        StrokeWithOutlines(pieces, outlines, discs, half);
    }

    // The stroke and its extra outlines gathered into one coverage mask, so
    // a translucent brush does not darken where they overlap.
    void StrokeWithOutlines(const Geometry& geometry, const std::vector<std::vector<Point>>& outlines,
                            const std::vector<Point>& discs, double half)
    {
        cairo_pattern_t* source = cairo_get_source(cr_);
        cairo_pattern_reference(source);
        cairo_push_group_with_content(cr_, CAIRO_CONTENT_ALPHA);
        cairo_set_source_rgba(cr_, 0, 0, 0, 1);
        cairo_new_path(cr_);
        AppendStroke(geometry);
        cairo_stroke(cr_);
        cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
        for (const std::vector<Point>& outline : outlines) {
            cairo_move_to(cr_, outline[0].x, outline[0].y);
            for (size_t i = 1; i < outline.size(); ++i) cairo_line_to(cr_, outline[i].x, outline[i].y);
            cairo_close_path(cr_);
            cairo_fill(cr_);
        }
        for (const Point& centre : discs) {
            cairo_new_path(cr_);
            cairo_arc(cr_, centre.x, centre.y, half, 0, 2 * std::numbers::pi);
            cairo_fill(cr_);
        }
        cairo_pattern_t* mask = cairo_pop_group(cr_);
        cairo_set_source(cr_, source);
        cairo_mask(cr_, mask);
        cairo_pattern_destroy(mask);
        cairo_pattern_destroy(source);
    }

    static void AddCap(Point at, Point outward, double half, LineCap cap, std::vector<std::vector<Point>>* outlines,
                       std::vector<Point>* discs)
    {
        if (cap == LineCap::Round) {
            discs->push_back(at);
        } else if (std::vector<Point> outline = CapOutline(at, outward, half, cap); !outline.empty()) {
            outlines->push_back(std::move(outline));
        }
    }

    void DrawGlyphs(const Node& node)
    {
        const GlyphRun& run = page_.glyphRuns[node.glyphRun];
        cairo_font_face_t* face = fonts_.Face(run.font);
        if (!face) {
            error_ = "a font face could not be made";
            return;
        }
        cairo_set_font_face(cr_, face);
        Affine fontMatrix{run.emSize, 0, run.italicSimulation ? -kItalicShear * run.emSize : 0, run.emSize, 0, 0};
        // Sideways glyphs are turned a quarter to the left.
        if (run.sideways) fontMatrix = Then(fontMatrix, Affine{0, -1, 1, 0, 0, 0});
        cairo_matrix_t matrix = ToCairo(fontMatrix);
        cairo_set_font_matrix(cr_, &matrix);

        std::vector<cairo_glyph_t> glyphs;
        glyphs.reserve(run.layout.glyphs.size());
        for (const PlacedGlyph& glyph : run.layout.glyphs)
            glyphs.push_back({glyph.index, glyph.origin.x, glyph.origin.y});
        if (glyphs.empty()) return;
        cairo_text_extents_t extents;
        cairo_glyph_extents(cr_, glyphs.data(), static_cast<int>(glyphs.size()), &extents);
        // The extents are measured from the first glyph's origin.
        Rect bounds{glyphs[0].x + extents.x_bearing, glyphs[0].y + extents.y_bearing, extents.width, extents.height};
        const Brush& brush = page_.brushes[node.fill];
        double reach = run.boldSimulation ? kBoldWidening * run.emSize + 1 : 1;
        Rect marked{bounds.x - reach, bounds.y - reach, bounds.width + 2 * reach, bounds.height + 2 * reach};
        if (!BeginSource(brush, bounds, marked)) return;
        if (options_.keepText && !run.layout.clusters.empty()) {
            std::vector<cairo_text_cluster_t> clusters;
            for (const TextCluster& cluster : run.layout.clusters) clusters.push_back({cluster.bytes, cluster.glyphs});
            cairo_show_text_glyphs(cr_, run.layout.utf8.data(), static_cast<int>(run.layout.utf8.size()), glyphs.data(),
                                   static_cast<int>(glyphs.size()), clusters.data(), static_cast<int>(clusters.size()),
                                   static_cast<cairo_text_cluster_flags_t>(0));
        } else {
            cairo_show_glyphs(cr_, glyphs.data(), static_cast<int>(glyphs.size()));
        }
        if (run.boldSimulation) {
            // The outlines stroked over the glyphs, the text itself kept.
            cairo_new_path(cr_);
            cairo_glyph_path(cr_, glyphs.data(), static_cast<int>(glyphs.size()));
            cairo_set_line_width(cr_, 2 * kBoldWidening * run.emSize);
            cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
            cairo_set_dash(cr_, nullptr, 0, 0);
            cairo_stroke(cr_);
        }
        EndSource(brush);
    }

    const Page& page_;
    cairo_t* cr_;
    CairoFonts& fonts_;
    const RenderOptions& options_;
    int groups_ = 0;    // translucency groups open
    double alpha_ = 1;  // opacity of translucent elements drawn without a group
    std::string error_;
};

}  // namespace

bool RenderPage(const Page& page, cairo_t* cr, CairoFonts& fonts, const RenderOptions& options, std::string* error)
{
    PageRenderer renderer(page, cr, fonts, options);
    renderer.Draw();
    std::string failure = renderer.Error();
    if (failure.empty() && cairo_status(cr) != CAIRO_STATUS_SUCCESS) failure = cairo_status_to_string(cairo_status(cr));
    if (!failure.empty()) {
        *error = "drawing failed: " + failure;
        return false;
    }
    return true;
}

}  // namespace tav::render
