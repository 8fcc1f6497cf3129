#include "jobgen/page_decoder.h"

namespace jobgen {

namespace {

enum class Tone { White, Black, Red, Blue, Other, Outside };

// The average colour of a 3x3 pixel square, classified with a wide margin
// for anti-aliasing and colour management.
Tone Classify(const RgbImage& raster, Point pixel)
{
    // Compared as doubles first: a frame far outside (or not a number)
    // must not reach the conversion to int.
    if (!(pixel.x >= 1 && pixel.y >= 1 && pixel.x < raster.Width() - 1 && pixel.y < raster.Height() - 1))
        return Tone::Outside;
    int cx = static_cast<int>(pixel.x);
    int cy = static_cast<int>(pixel.y);
    int r = 0, g = 0, b = 0;
    for (int y = cy - 1; y <= cy + 1; ++y) {
        for (int x = cx - 1; x <= cx + 1; ++x) {
            Rgb c = raster.At(x, y);
            r += c.r;
            g += c.g;
            b += c.b;
        }
    }
    r /= 9;
    g /= 9;
    b /= 9;
    constexpr int kHigh = 200, kLow = 90, kStrong = 160;
    if (r >= kHigh && g >= kHigh && b >= kHigh) return Tone::White;
    if (r <= kLow && g <= kLow && b <= kLow) return Tone::Black;
    if (r >= kStrong && g <= kLow && b <= kLow) return Tone::Red;
    if (b >= kStrong && r <= kLow && g <= kLow) return Tone::Blue;
    return Tone::Other;
}

// The tone at a point of the logical page (in its own units).
Tone ToneAt(const RgbImage& raster, const PageFrame& frame, Point onPage)
{
    Point unit = MapUnitPoint(frame.orientation, {onPage.x / frame.page.width, onPage.y / frame.page.height});
    return Classify(raster, {frame.area.x + unit.x * frame.area.width, frame.area.y + unit.y * frame.area.height});
}

// What the probes of one orientation see.
struct Probes {
    Tone band;
    Tone triangle;
    Tone bars[kIdentityBits];

    bool MarksPresent() const { return band == Tone::Red && triangle == Tone::Blue; }
    bool AllWhite() const
    {
        for (Tone bar : bars) {
            if (bar != Tone::White) return false;
        }
        return band == Tone::White && triangle == Tone::White;
    }
};

Probes Probe(const RgbImage& raster, const PageFrame& frame)
{
    Probes probes;
    probes.band = ToneAt(raster, frame, ColourBand(frame.page).Centre());
    probes.triangle = ToneAt(raster, frame, TriangleProbe(frame.page));
    for (int bit = 0; bit < kIdentityBits; ++bit)
        probes.bars[bit] = ToneAt(raster, frame, IdentityBar(frame.page, bit).Centre());
    return probes;
}

bool UsableFrame(const PageFrame& frame)
{
    return IsUsablePageSize(frame.page) && frame.area.width > 0 && frame.area.height > 0;
}

}  // namespace

int DecodePageNumber(const RgbImage& raster, const PageFrame& frame)
{
    if (!UsableFrame(frame)) return kUnrecognisedPage;
    Probes probes = Probe(raster, frame);
    if (probes.MarksPresent()) {
        int number = 0;
        for (int bit = 0; bit < kIdentityBits; ++bit) {
            if (probes.bars[bit] == Tone::Black)
                number |= 1 << bit;
            else if (probes.bars[bit] != Tone::White)
                return kUnrecognisedPage;
        }
        return number;
    }
    // Blank only when no orientation finds anything where its marks would
    // be: a page lying otherwise than said is not blank.
    for (Orientation orientation : AllOrientations()) {
        if (!Probe(raster, PageFrame{frame.area, frame.page, orientation}).AllWhite()) return kUnrecognisedPage;
    }
    return kBlankPage;
}

std::optional<Orientation> DetectOrientation(const RgbImage& raster, const Rect& area, PageSize page)
{
    for (Orientation orientation : AllOrientations()) {
        PageFrame frame{area, page, orientation};
        if (UsableFrame(frame) && Probe(raster, frame).MarksPresent()) return orientation;
    }
    return std::nullopt;
}

PageFrame WholeRasterFrame(const RgbImage& raster, PageSize page, Orientation orientation)
{
    return PageFrame{Rect{0, 0, double(raster.Width()), double(raster.Height())}, page, orientation};
}

}  // namespace jobgen
