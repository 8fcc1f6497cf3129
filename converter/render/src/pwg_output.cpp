#include <cstring>
#include <future>
#include <string>
#include <system_error>
#include <vector>

#include "page_output.h"
#include "raster_header.h"

namespace tav::render {

namespace {

// Sheet images up to this size are encoded on a worker thread while the
// next page is drawn on a second image; a larger sheet is encoded before
// the next one is drawn, so that no more than one such image is held.
constexpr uint64_t kMaxOverlappedSheetBytes = 256ull << 20;

ssize_t AppendRasterBytes(void* context, unsigned char* buffer, size_t length)
{
    static_cast<std::string*>(context)->append(reinterpret_cast<const char*>(buffer), length);
    return static_cast<ssize_t>(length);
}

uint64_t ImageBytes(cairo_surface_t* image)
{
    return static_cast<uint64_t>(cairo_image_surface_get_stride(image)) * cairo_image_surface_get_height(image);
}

// Whether a row of RGB24 pixels is all white: at once by memcmp when the
// row is as the sheet was cleared, else pixel by pixel (the unused top
// byte aside) until one is not white.
bool WhiteRow(const uint32_t* row, const uint32_t* cleared, unsigned width)
{
    if (std::memcmp(row, cleared, width * sizeof(uint32_t)) == 0) return true;
    for (unsigned x = 0; x < width; ++x)
        if ((row[x] | 0xFF000000) != 0xFFFFFFFF) return false;
    return true;
}

// A row of RGB24 pixels as grey or RGB samples.
void ConvertRow(const uint32_t* row, unsigned width, bool grey, unsigned char* out)
{
    if (grey) {
        for (unsigned x = 0; x < width; ++x) {
            uint32_t pixel = row[x];
            out[x] = static_cast<unsigned char>(
                ((pixel >> 16 & 0xFF) * 77 + (pixel >> 8 & 0xFF) * 150 + (pixel & 0xFF) * 29 + 128) >> 8);
        }
        return;
    }
    for (unsigned x = 0; x < width; ++x, out += 3) {
        uint32_t pixel = row[x];
        out[0] = static_cast<unsigned char>(pixel >> 16);
        out[1] = static_cast<unsigned char>(pixel >> 8);
        out[2] = static_cast<unsigned char>(pixel);
    }
}

// Rows of a sheet image, [first, end).
struct RowSpan {
    unsigned first = 0, end = 0;
};

// The sheet image's rows as the header's grey or RGB samples, compressed by
// the raster writer into its buffer; *drawn gets the rows that are not all
// white. White rows, most of a printed sheet, are not converted.
bool EncodeSheet(cups_raster_t* raster, cairo_surface_t* image, cups_page_header2_t header, RowSpan* drawn)
{
    *drawn = {};
    if (!cupsRasterWriteHeader2(raster, &header)) return false;
    const unsigned char* data = cairo_image_surface_get_data(image);
    const size_t stride = static_cast<size_t>(cairo_image_surface_get_stride(image));
    const bool grey = header.cupsColorSpace == CUPS_CSPACE_SW;
    const std::vector<unsigned char> white(header.cupsBytesPerLine, 0xFF);
    const std::vector<uint32_t> cleared(header.cupsWidth, 0xFFFFFFFF);
    std::vector<unsigned char> line(header.cupsBytesPerLine);
    for (unsigned y = 0; y < header.cupsHeight; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        const unsigned char* samples = white.data();
        if (!WhiteRow(row, cleared.data(), header.cupsWidth)) {
            ConvertRow(row, header.cupsWidth, grey, line.data());
            samples = line.data();
            if (drawn->end == 0) drawn->first = y;
            drawn->end = y + 1;
        }
        if (cupsRasterWritePixels(raster, const_cast<unsigned char*>(samples), header.cupsBytesPerLine) !=
            header.cupsBytesPerLine)
            return false;
    }
    return true;
}

// Each sheet is drawn on an image of its own and then encoded on a worker
// thread while the caller draws the next page on a second image. The
// encoded bytes are sent from the caller's thread, when the next page ends
// or the job finishes, so the write callback is never called from another
// thread. The raster writer is used only by the encoding of one page at a
// time.
class PwgOutput : public PageOutput {
public:
    explicit PwgOutput(RecordWriter* records) : records_(records) {}
    ~PwgOutput() override
    {
        if (encoding_.valid()) encoding_.wait();
        for (cairo_surface_t* image : {drawing_, encodingImage_, spare_})
            if (image) cairo_surface_destroy(image);
        if (raster_) cupsRasterClose(raster_);
    }

    cairo_t* BeginPage(const SheetSetup& setup, std::string* error) override
    {
        Parsed<cups_page_header2_t> header = MakeRasterHeader(setup);
        if (!header.ok()) {
            *error = header.error;
            return nullptr;
        }
        header_ = header.value;
        if (!TakeWhiteImage(error)) return nullptr;
        cairo_t* cr = cairo_create(drawing_);
        Affine toPixels = PageToSheetPixels(setup, header_);
        cairo_matrix_t matrix;
        cairo_matrix_init(&matrix, toPixels.m11, toPixels.m12, toPixels.m21, toPixels.m22, toPixels.dx, toPixels.dy);
        cairo_set_matrix(cr, &matrix);
        return cr;
    }

    bool EndPage(cairo_t* cr, std::string* error) override
    {
        cairo_destroy(cr);
        cairo_surface_flush(drawing_);
        // The page before is sent first, so pages leave in order.
        bool sent = SendEncoded();
        encodingImage_ = drawing_;
        drawing_ = nullptr;
        if (!raster_) raster_ = cupsRasterOpenIO(AppendRasterBytes, &encoded_, CUPS_RASTER_WRITE_PWG);
        if (!raster_) {
            *error = "the raster writer could not be made";
            return false;
        }
        auto encode = [raster = raster_, image = encodingImage_, header = header_, drawn = &encodedRows_] {
            return EncodeSheet(raster, image, header, drawn);
        };
        try {
            encoding_ = std::async(std::launch::async, encode);
        } catch (const std::system_error&) {
            // No thread to be had: encoded when the result is asked for.
            encoding_ = std::async(std::launch::deferred, encode);
        }
        if (ImageBytes(encodingImage_) > kMaxOverlappedSheetBytes) sent = SendEncoded() && sent;
        if (!sent) *error = "writing the raster page failed";
        return sent;
    }

    bool Finish(std::string* error) override
    {
        bool sent = SendEncoded();
        if (raster_) cupsRasterClose(raster_);
        raster_ = nullptr;
        sent = Send() && sent;
        if (!sent) {
            *error = "writing the raster failed";
            return false;
        }
        return true;
    }

    bool KeepsText() const override { return false; }

private:
    // A white image of the header's size for the caller to draw on: the
    // spare one when it has that size (a fresh one costs its pages' faults
    // on every sheet).
    bool TakeWhiteImage(std::string* error)
    {
        const int width = static_cast<int>(header_.cupsWidth), height = static_cast<int>(header_.cupsHeight);
        if (drawing_) cairo_surface_destroy(drawing_);
        drawing_ = spare_;
        spare_ = nullptr;
        RowSpan stained = spareRows_;
        if (drawing_ &&
            (cairo_image_surface_get_width(drawing_) != width || cairo_image_surface_get_height(drawing_) != height)) {
            cairo_surface_destroy(drawing_);
            drawing_ = nullptr;
        }
        if (!drawing_) {
            stained = {0, static_cast<unsigned>(height)};
            drawing_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
            if (cairo_surface_status(drawing_) != CAIRO_STATUS_SUCCESS) {
                *error = std::string("the sheet image could not be made: ") +
                         cairo_status_to_string(cairo_surface_status(drawing_));
                cairo_surface_destroy(drawing_);
                drawing_ = nullptr;
                return false;
            }
        }
        // Only the rows the last page drew on need clearing again.
        cairo_surface_flush(drawing_);
        const size_t stride = static_cast<size_t>(cairo_image_surface_get_stride(drawing_));
        if (stained.end > stained.first)
            std::memset(cairo_image_surface_get_data(drawing_) + stained.first * stride, 0xFF,
                        (stained.end - stained.first) * stride);
        cairo_surface_mark_dirty(drawing_);
        return true;
    }

    // Waits for the page being encoded, sends its bytes and keeps its image
    // as the spare; true when there was none or it went out whole.
    bool SendEncoded()
    {
        if (!encoding_.valid()) return true;
        bool encoded = encoding_.get();
        if (spare_) cairo_surface_destroy(spare_);
        spare_ = encodingImage_;
        spareRows_ = encoded ? encodedRows_ : RowSpan{0, static_cast<unsigned>(cairo_image_surface_get_height(spare_))};
        encodingImage_ = nullptr;
        return Send() && encoded;
    }

    bool Send()
    {
        bool written = encoded_.empty() || records_->Write(kOutputRecordPrinterData, encoded_.data(), encoded_.size());
        encoded_.clear();
        return written && !records_->Failed();
    }

    RecordWriter* records_;
    cups_raster_t* raster_ = nullptr;
    cups_page_header2_t header_{};
    cairo_surface_t* drawing_ = nullptr;        // the caller draws on this
    cairo_surface_t* encodingImage_ = nullptr;  // the worker encodes this
    cairo_surface_t* spare_ = nullptr;          // free for the next sheet
    RowSpan spareRows_;                         // the rows of it not white
    RowSpan encodedRows_;                       // likewise of the image encoded
    std::future<bool> encoding_;
    std::string encoded_;  // the encoded page's bytes, not yet sent
};

}  // namespace

std::unique_ptr<PageOutput> MakePwgOutput(RecordWriter* records) { return std::make_unique<PwgOutput>(records); }

}  // namespace tav::render
