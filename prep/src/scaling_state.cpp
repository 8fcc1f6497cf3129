#include "scaling_state.h"

#include "filtercore/imageable_area.h"
#include "gdiplus_status.h"
#include "platform/gdiplus_matrix.h"
#include "platform/wformat.h"

namespace {

// Negative zero written as "0.00", not "-0.00".
float WithoutNegativeZero(float value) { return value + 0.0f; }

// ` RenderTransform="..."` of the transform, built on a GDI+ matrix: the
// scale, then the translation, each appended. With strict, a failing
// operation is the result; otherwise the matrix keeps the operations that
// succeeded.
HRESULT AppendRenderTransform(const UniformTransform& transform, bool strict, std::u16string& text)
{
    Gdiplus::Matrix matrix;
    Gdiplus::Status status = matrix.Scale(transform.factor, transform.factor, Gdiplus::MatrixOrderAppend);
    if (status != Gdiplus::Ok && strict) return HResultFromGdiplusStatus(status);
    status = matrix.Translate(transform.dx, transform.dy, Gdiplus::MatrixOrderAppend);
    if (status != Gdiplus::Ok && strict) return HResultFromGdiplusStatus(status);
    Gdiplus::REAL elements[6] = {};
    if (matrix.GetElements(elements) != Gdiplus::Ok) return E_FAIL;
    for (Gdiplus::REAL& element : elements) element = WithoutNegativeZero(element);
    text += FormatWideString(u" RenderTransform=\"%.6f,%.6f,%.6f,%.6f,%.2f,%.2f\"", elements[0], elements[1],
                             elements[2], elements[3], elements[4], elements[5]);
    return S_OK;
}

void AppendClip(const Gdiplus::RectF& box, std::u16string& text)
{
    float right = box.X + box.Width;
    float bottom = box.Y + box.Height;
    text += FormatWideString(u" Clip=\"M %.2f,%.2f L %.2f,%.2f %.2f,%.2f %.2f,%.2f z\"", box.X, box.Y, right, box.Y,
                             right, bottom, box.X, bottom);
}

}  // namespace

ScalingState::ScalingState(const PageScalingSettings& settings, const PageGeometry& pageMedia,
                           const ImageableArea& source, const ImageableArea& target)
    : settings_(settings)
{
    frame_.source = PrintableRectInPageUnits(source);
    frame_.target = PrintableRectInPageUnits(target);
    PageSize paper = ScaledPageSize(settings_, pageMedia);
    frame_.paperWidth = paper.width;
    frame_.paperHeight = paper.height;
    PageSize media = OrientedMediaSize(pageMedia);
    frame_.mediaWidth = media.width;
    frame_.mediaHeight = media.height;
}

bool ScalingState::RewritesPage() const { return settings_.option != kScalingNone || settings_.correctFixedPageSize; }

void ScalingState::SetPage(float width, float height, const std::optional<Gdiplus::RectF>& bleedBox,
                           const std::optional<Gdiplus::RectF>& contentBox)
{
    frame_.pageWidth = width;
    frame_.pageHeight = height;
    frame_.bleedBox = PageBox(bleedBox, width, height);
    frame_.contentBox = PageBox(contentBox, width, height);
}

std::u16string ScalingState::PageWidth() const { return FormatWideString(u"%.2f", frame_.paperWidth); }

std::u16string ScalingState::PageHeight() const { return FormatWideString(u"%.2f", frame_.paperHeight); }

HRESULT ScalingState::OpeningTags(std::u16string_view canvas, std::u16string& text) const
{
    return OpeningTagsClippedTo(frame_.contentBox, canvas, text);
}

bool ScalingState::ContentBoxCutsPage() const
{
    const Gdiplus::RectF& box = frame_.contentBox;
    return box.X > 0 || box.Y > 0 || box.X + box.Width < frame_.pageWidth || box.Y + box.Height < frame_.pageHeight;
}

HRESULT ScalingState::OpeningTagsClippingPage(std::u16string_view canvas, std::u16string& text) const
{
    return OpeningTagsClippedTo({0, 0, frame_.pageWidth, frame_.pageHeight}, canvas, text);
}

void ScalingState::ContentCanvasTag(std::u16string_view canvas, std::u16string& text) const
{
    text += u'<';
    text += canvas;
    AppendClip(frame_.contentBox, text);
    text += u'>';
}

HRESULT ScalingState::OpeningTagsClippedTo(const Gdiplus::RectF& clip, std::u16string_view canvas,
                                           std::u16string& text) const
{
    std::u16string tags;
    if (std::optional<UniformTransform> outer = OuterTransform(settings_, frame_)) {
        tags += u'<';
        tags += canvas;
        HRESULT hr = AppendRenderTransform(*outer, true, tags);
        if (FAILED(hr)) return hr;
        tags += u'>';
    }
    tags += u'<';
    tags += canvas;
    HRESULT hr = AppendRenderTransform(InnerTransform(settings_, frame_), false, tags);
    if (FAILED(hr)) return hr;
    AppendClip(clip, tags);
    tags += u'>';
    text += tags;
    return S_OK;
}

void ScalingState::ClosingTags(std::u16string_view canvas, std::u16string& text) const
{
    int count = OuterTransform(settings_, frame_) ? 2 : 1;
    for (int i = 0; i < count; ++i) {
        text += u"</";
        text += canvas;
        text += u">\n";
    }
}
