// GIF through giflib's record interface: the first image of the file, drawn
// on the logical screen, which is transparent where the image leaves it.
#include <gif_lib.h>

#include <cstring>

#include "image_decoders.h"

namespace tav::imaging {

namespace {

struct GifSource {
    const uint8_t* data;
    size_t size;
    size_t offset;
};

int ReadGifBytes(GifFileType* gif, GifByteType* out, int count)
{
    auto* source = static_cast<GifSource*>(gif->UserData);
    if (count <= 0) return 0;
    const size_t available = source->size - source->offset;
    const size_t taken = static_cast<size_t>(count) < available ? static_cast<size_t>(count) : available;
    std::memcpy(out, source->data + source->offset, taken);
    source->offset += taken;
    return static_cast<int>(taken);
}

class GifReader {
public:
    explicit GifReader(GifSource* source) { gif_ = DGifOpen(source, ReadGifBytes, &openError_); }
    ~GifReader()
    {
        if (gif_ != nullptr) DGifCloseFile(gif_, nullptr);
    }
    GifReader(const GifReader&) = delete;
    GifReader& operator=(const GifReader&) = delete;

    GifFileType* gif() const { return gif_; }
    int openError() const { return openError_; }

private:
    GifFileType* gif_ = nullptr;
    int openError_ = 0;
};

ImageOutcome GifFailure(int error)
{
    const char* text = GifErrorString(error);
    return ImageFailure(Gdiplus::GenericError,
                        std::string("the GIF image is damaged: ") + (text != nullptr ? text : "unknown error"));
}

// The transparent colour index of a graphic control extension, or -1.
int TransparentIndex(const GifByteType* extension)
{
    GraphicsControlBlock control{};
    if (extension == nullptr || extension[0] != 4 || DGifExtensionToGCB(4, extension + 1, &control) != GIF_OK) {
        return -1;
    }
    return control.TransparentColor;
}

// Writes one decoded line of the image at screen row y, clipped to the
// screen.
void DrawGifLine(const GifImageDesc& frame, const ColorMapObject& colours, int transparent, const GifPixelType* line,
                 int64_t y, DecodedImage* image)
{
    if (y < 0 || y >= image->height) return;
    uint8_t* row = image->Row(static_cast<uint32_t>(y));
    for (int x = 0; x < frame.Width; ++x) {
        const int64_t screenX = int64_t{frame.Left} + x;
        if (screenX >= image->width) break;
        uint8_t* pixel = row + screenX * 4;
        if (line[x] == transparent) continue;
        if (line[x] < colours.ColorCount) {
            pixel[0] = colours.Colors[line[x]].Red;
            pixel[1] = colours.Colors[line[x]].Green;
            pixel[2] = colours.Colors[line[x]].Blue;
        }
        pixel[3] = 255;
    }
}

// The image's rows in the order the file stores them: all rows, or for an
// interlaced image every eighth from 0, every eighth from 4, every fourth
// from 2 and every second from 1.
ImageOutcome ReadGifImage(GifFileType* gif, int transparent, DecodedImage* image)
{
    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* colours = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
    if (colours == nullptr) return ImageFailure(Gdiplus::GenericError, "the GIF image has no colour table");
    if (frame.Width <= 0 || frame.Height <= 0)
        return ImageFailure(Gdiplus::GenericError, "the GIF image has no pixels");
    // The image is decoded in full even where the screen clips it; it is
    // held to the same limits as the screen.
    ImageOutcome outcome = CheckImageSize(uint64_t(frame.Width), uint64_t(frame.Height), "GIF");
    if (outcome.Failed()) return outcome;
    std::vector<GifPixelType> line(static_cast<size_t>(frame.Width));
    static const int kStart[] = {0, 4, 2, 1};
    static const int kStep[] = {8, 8, 4, 2};
    const int passes = frame.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = frame.Interlace ? kStart[pass] : 0;
        const int step = frame.Interlace ? kStep[pass] : 1;
        for (int y = start; y < frame.Height; y += step) {
            if (DGifGetLine(gif, line.data(), frame.Width) != GIF_OK) return GifFailure(gif->Error);
            DrawGifLine(frame, *colours, transparent, line.data(), int64_t{frame.Top} + y, image);
        }
    }
    return {};
}

}  // namespace

ImageOutcome DecodeGif(const uint8_t* data, size_t size, DecodedImage* image)
{
    GifSource source{data, size, 0};
    GifReader reader(&source);
    GifFileType* gif = reader.gif();
    if (gif == nullptr) return GifFailure(reader.openError());
    int transparent = -1;
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &record) != GIF_OK) return GifFailure(gif->Error);
        if (record == TERMINATE_RECORD_TYPE) return ImageFailure(Gdiplus::GenericError, "the GIF file holds no image");
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* extension = nullptr;
            if (DGifGetExtension(gif, &code, &extension) != GIF_OK) return GifFailure(gif->Error);
            if (code == GRAPHICS_EXT_FUNC_CODE) transparent = TransparentIndex(extension);
            while (extension != nullptr) {
                if (DGifGetExtensionNext(gif, &extension) != GIF_OK) return GifFailure(gif->Error);
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE) continue;
        if (DGifGetImageDesc(gif) != GIF_OK) return GifFailure(gif->Error);
        const GifImageDesc& frame = gif->Image;
        // A screen of no size is taken to be the image's extent.
        const bool screenless = gif->SWidth <= 0 || gif->SHeight <= 0;
        const uint64_t width = screenless ? uint64_t(frame.Left) + uint64_t(frame.Width) : uint64_t(gif->SWidth);
        const uint64_t height = screenless ? uint64_t(frame.Top) + uint64_t(frame.Height) : uint64_t(gif->SHeight);
        ImageOutcome outcome = AllocatePixels(image, width, height, "GIF");
        if (outcome.Failed()) return outcome;
        outcome = ReadGifImage(gif, transparent, image);
        if (outcome.Failed()) {
            image->rgba.clear();
            return outcome;
        }
        image->hasAlpha = transparent >= 0 || frame.Left > 0 || frame.Top > 0 ||
                          uint64_t(frame.Left) + uint64_t(frame.Width) < width ||
                          uint64_t(frame.Top) + uint64_t(frame.Height) < height;
        return {};
    }
}

}  // namespace tav::imaging
