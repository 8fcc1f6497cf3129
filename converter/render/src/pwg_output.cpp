#include <cstring>
#include <vector>

#include "page_output.h"
#include "raster_header.h"

namespace tav::render {

namespace {

ssize_t WriteRasterBytes(void* context, unsigned char* buffer, size_t length)
{
    auto* records = static_cast<RecordWriter*>(context);
    return records->Write(kOutputRecordPrinterData, buffer, length) ? static_cast<ssize_t>(length) : -1;
}

class PwgOutput : public PageOutput {
public:
    explicit PwgOutput(RecordWriter* records) : records_(records) {}
    ~PwgOutput() override
    {
        if (surface_) cairo_surface_destroy(surface_);
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
        if (!SheetImage(error)) return nullptr;
        cairo_t* cr = cairo_create(surface_);
        Affine toPixels = PageToSheetPixels(setup, header_);
        cairo_matrix_t matrix;
        cairo_matrix_init(&matrix, toPixels.m11, toPixels.m12, toPixels.m21, toPixels.m22, toPixels.dx, toPixels.dy);
        cairo_set_matrix(cr, &matrix);
        return cr;
    }

    bool EndPage(cairo_t* cr, std::string* error) override
    {
        cairo_destroy(cr);
        cairo_surface_flush(surface_);
        bool written = WriteSheet();
        if (!written) *error = "writing the raster page failed";
        return written;
    }

    bool Finish(std::string* error) override
    {
        if (raster_) cupsRasterClose(raster_);
        raster_ = nullptr;
        if (records_->Failed()) {
            *error = "writing the raster failed";
            return false;
        }
        return true;
    }

    bool KeepsText() const override { return false; }

private:
    // A white sheet image of the header's size: the last page's image
    // again when the size is the same (a fresh one costs its pages' faults
    // on every sheet).
    bool SheetImage(std::string* error)
    {
        const int width = static_cast<int>(header_.cupsWidth), height = static_cast<int>(header_.cupsHeight);
        if (surface_ &&
            (cairo_image_surface_get_width(surface_) != width || cairo_image_surface_get_height(surface_) != height)) {
            cairo_surface_destroy(surface_);
            surface_ = nullptr;
        }
        if (!surface_) {
            surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
            if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
                *error = std::string("the sheet image could not be made: ") +
                         cairo_status_to_string(cairo_surface_status(surface_));
                cairo_surface_destroy(surface_);
                surface_ = nullptr;
                return false;
            }
        }
        cairo_surface_flush(surface_);
        std::memset(cairo_image_surface_get_data(surface_), 0xFF,
                    static_cast<size_t>(cairo_image_surface_get_stride(surface_)) * height);
        cairo_surface_mark_dirty(surface_);
        return true;
    }

    bool WriteSheet()
    {
        if (!raster_) raster_ = cupsRasterOpenIO(WriteRasterBytes, records_, CUPS_RASTER_WRITE_PWG);
        if (!raster_ || !cupsRasterWriteHeader2(raster_, &header_)) return false;
        const unsigned char* data = cairo_image_surface_get_data(surface_);
        int stride = cairo_image_surface_get_stride(surface_);
        bool grey = header_.cupsColorSpace == CUPS_CSPACE_SW;
        std::vector<unsigned char> line(header_.cupsBytesPerLine);
        for (unsigned y = 0; y < header_.cupsHeight; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
            for (unsigned x = 0; x < header_.cupsWidth; ++x) {
                uint32_t pixel = row[x];
                unsigned r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
                if (grey) {
                    line[x] = static_cast<unsigned char>((r * 77 + g * 150 + b * 29 + 128) >> 8);
                } else {
                    line[3 * x] = static_cast<unsigned char>(r);
                    line[3 * x + 1] = static_cast<unsigned char>(g);
                    line[3 * x + 2] = static_cast<unsigned char>(b);
                }
            }
            if (cupsRasterWritePixels(raster_, line.data(), header_.cupsBytesPerLine) != header_.cupsBytesPerLine)
                return false;
        }
        return !records_->Failed();
    }

    RecordWriter* records_;
    cups_raster_t* raster_ = nullptr;
    cups_page_header2_t header_{};
    cairo_surface_t* surface_ = nullptr;
};

}  // namespace

std::unique_ptr<PageOutput> MakePwgOutput(RecordWriter* records) { return std::make_unique<PwgOutput>(records); }

}  // namespace tav::render
