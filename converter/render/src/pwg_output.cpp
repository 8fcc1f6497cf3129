#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "page_output.h"
#include "raster_header.h"
#include "raster_row_code.h"

namespace tav::render {

namespace {

// A sheet is recorded, then drawn and written a band of rows at a time: a
// band of about this many bytes, and no more than kMaxBands bands a sheet
// (each band replays the whole recording).
constexpr size_t kBandBytes = 2u << 20;
constexpr unsigned kMaxBands = 32;

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
        if (recording_) cairo_surface_destroy(recording_);
        if (band_) cairo_surface_destroy(band_);
        if (raster_) cupsRasterClose(raster_);
    }

    // The page is recorded on a white sheet; it is drawn when it ends.
    cairo_t* BeginPage(const SheetSetup& setup, std::string* error) override
    {
        Parsed<cups_page_header2_t> header = MakeRasterHeader(setup);
        if (!header.ok()) {
            *error = header.error;
            return nullptr;
        }
        header_ = header.value;
        if (recording_) cairo_surface_destroy(recording_);
        cairo_rectangle_t sheet{0, 0, static_cast<double>(header_.cupsWidth), static_cast<double>(header_.cupsHeight)};
        recording_ = cairo_recording_surface_create(CAIRO_CONTENT_COLOR, &sheet);
        cairo_t* cr = cairo_create(recording_);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        Affine toPixels = PageToSheetPixels(setup, header_);
        cairo_matrix_t matrix;
        cairo_matrix_init(&matrix, toPixels.m11, toPixels.m12, toPixels.m21, toPixels.m22, toPixels.dx, toPixels.dy);
        cairo_set_matrix(cr, &matrix);
        return cr;
    }

    bool EndPage(cairo_t* cr, std::string* error) override
    {
        cairo_destroy(cr);
        bool written = WriteSheet(error);
        cairo_surface_destroy(recording_);
        recording_ = nullptr;
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
    bool Rasterizes() const override { return true; }

private:
    // The recording drawn onto one band of rows after the other, each band
    // converted and written before the next is drawn: no image of the whole
    // sheet is held.
    bool WriteSheet(std::string* error)
    {
        if (!raster_) raster_ = cupsRasterOpenIO(WriteRasterBytes, records_, CUPS_RASTER_WRITE_PWG);
        if (!raster_ || !cupsRasterWriteHeader2(raster_, &header_)) {
            *error = "writing the raster page failed";
            return false;
        }
        const unsigned width = header_.cupsWidth, height = header_.cupsHeight;
        const size_t rowBytes = static_cast<size_t>(width) * 4;
        const unsigned rows = std::min(height, std::max<unsigned>({1, static_cast<unsigned>(kBandBytes / rowBytes),
                                                                   (height + kMaxBands - 1) / kMaxBands}));
        if (!BandImage(width, rows, error)) return false;
        const bool grey = header_.cupsColorSpace == CUPS_CSPACE_SW;
        // Each group of equal rows is a repeat count (rows - 1, at most 255)
        // and the row's code, written when the group ends.
        const uint32_t* previous = nullptr;
        std::vector<uint32_t> held(width);
        unsigned repeats = 0;
        std::string encoded;
        auto endGroup = [&] {
            if (!previous) return;
            encoded.push_back(static_cast<char>(repeats));
            EncodeRasterRow(previous, width, grey, &encoded);
        };
        for (unsigned top = 0; top < height; top += rows) {
            // The last row of the band before is kept: the band is drawn over.
            if (previous) {
                std::copy(previous, previous + width, held.begin());
                previous = held.data();
            }
            cairo_t* cr = cairo_create(band_);
            cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
            cairo_set_source_surface(cr, recording_, 0, -static_cast<double>(top));
            cairo_paint(cr);
            cairo_status_t status = cairo_status(cr);
            cairo_destroy(cr);
            if (status != CAIRO_STATUS_SUCCESS) {
                *error = std::string("drawing the sheet failed: ") + cairo_status_to_string(status);
                return false;
            }
            cairo_surface_flush(band_);
            const unsigned char* data = cairo_image_surface_get_data(band_);
            const size_t stride = static_cast<size_t>(cairo_image_surface_get_stride(band_));
            for (unsigned y = 0; y < rows && top + y < height; ++y) {
                const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
                if (previous && repeats < 255 && std::memcmp(row, previous, rowBytes) == 0) {
                    ++repeats;
                    continue;
                }
                endGroup();
                previous = row;
                repeats = 0;
            }
            if (top + rows >= height) endGroup();
            if (!records_->Write(kOutputRecordPrinterData, encoded.data(), encoded.size())) {
                *error = "writing the raster page failed";
                return false;
            }
            encoded.clear();
        }
        return true;
    }

    // The band image, kept from sheet to sheet while its size fits.
    bool BandImage(unsigned width, unsigned rows, std::string* error)
    {
        if (band_ && cairo_image_surface_get_width(band_) == static_cast<int>(width) &&
            cairo_image_surface_get_height(band_) == static_cast<int>(rows))
            return true;
        if (band_) cairo_surface_destroy(band_);
        band_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(width), static_cast<int>(rows));
        if (cairo_surface_status(band_) != CAIRO_STATUS_SUCCESS) {
            *error = std::string("the sheet's band image could not be made: ") +
                     cairo_status_to_string(cairo_surface_status(band_));
            cairo_surface_destroy(band_);
            band_ = nullptr;
            return false;
        }
        return true;
    }

    RecordWriter* records_;
    cups_raster_t* raster_ = nullptr;
    cups_page_header2_t header_{};
    cairo_surface_t* recording_ = nullptr;
    cairo_surface_t* band_ = nullptr;
};

}  // namespace

std::unique_ptr<PageOutput> MakePwgOutput(RecordWriter* records) { return std::make_unique<PwgOutput>(records); }

}  // namespace tav::render
