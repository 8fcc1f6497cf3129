#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <system_error>
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
// Written bytes of a sheet waiting to be sent, at most.
constexpr size_t kMaxQueuedBytes = 16u << 20;

// The bytes of one sheet at a time, passed from the thread that draws and
// codes it to the thread that sends them.
class ByteChannel {
public:
    // Waits while the queue is full; drops the bytes once cancelled.
    void Put(std::string bytes)
    {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [this] { return queued_.size() < kMaxQueuedBytes || cancelled_; });
        if (cancelled_) return;
        queued_ += bytes;
        changed_.notify_all();
    }

    // After the sheet's last bytes.
    void End()
    {
        std::lock_guard<std::mutex> hold(lock_);
        ended_ = true;
        changed_.notify_all();
    }

    // What is queued, waiting for bytes or the sheet's end; false at the
    // end with nothing left, the channel then ready for the next sheet.
    bool Take(std::string* bytes)
    {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [this] { return !queued_.empty() || ended_ || cancelled_; });
        if (queued_.empty()) {
            ended_ = false;
            return false;
        }
        bytes->swap(queued_);
        queued_.clear();
        changed_.notify_all();
        return true;
    }

    // Nobody takes any more: Put returns at once.
    void Cancel()
    {
        std::lock_guard<std::mutex> hold(lock_);
        cancelled_ = true;
        changed_.notify_all();
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    std::string queued_;
    bool ended_ = false;
    bool cancelled_ = false;
};

// Plays recorded sheets back a band at a time and codes their rows: used
// by one thread at a time, one sheet after the other.
class SheetPlayer {
public:
    // Takes the bytes made so far; false when they cannot be sent.
    using Deliver = std::function<bool(std::string bytes)>;

    ~SheetPlayer()
    {
        if (band_) cairo_surface_destroy(band_);
        if (raster_) cupsRasterClose(raster_);
    }

    // The recording drawn onto one band of rows after the other, each band
    // coded and delivered before the next is drawn: no image of the whole
    // sheet is held. Empty, or what went wrong.
    std::string Play(cairo_surface_t* recording, cups_page_header2_t header, const Deliver& deliver)
    {
        if (!raster_) raster_ = cupsRasterOpenIO(AppendBytes, &coded_, CUPS_RASTER_WRITE_PWG);
        if (!raster_ || !cupsRasterWriteHeader2(raster_, &header)) return "the raster header could not be written";
        const unsigned width = header.cupsWidth, height = header.cupsHeight;
        const size_t rowBytes = static_cast<size_t>(width) * 4;
        const unsigned rows = std::min(height, std::max<unsigned>({1, static_cast<unsigned>(kBandBytes / rowBytes),
                                                                   (height + kMaxBands - 1) / kMaxBands}));
        std::string error;
        if (!BandImage(width, rows, &error)) return error;
        const bool grey = header.cupsColorSpace == CUPS_CSPACE_SW;
        // Each group of equal rows is a repeat count (rows - 1, at most 255)
        // and the row's code, written when the group ends.
        const uint32_t* previous = nullptr;
        std::vector<uint32_t> held(width);
        unsigned repeats = 0;
        auto endGroup = [&] {
            if (!previous) return;
            coded_.push_back(static_cast<char>(repeats));
            EncodeRasterRow(previous, width, grey, &coded_);
        };
        for (unsigned top = 0; top < height; top += rows) {
            // The last row of the band before is kept: the band is drawn over.
            if (previous) {
                std::copy(previous, previous + width, held.begin());
                previous = held.data();
            }
            cairo_t* cr = cairo_create(band_);
            cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
            cairo_set_source_surface(cr, recording, 0, -static_cast<double>(top));
            cairo_paint(cr);
            cairo_status_t status = cairo_status(cr);
            cairo_destroy(cr);
            if (status != CAIRO_STATUS_SUCCESS) return std::string("drawing failed: ") + cairo_status_to_string(status);
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
            if (!deliver(std::move(coded_))) return "the raster could not be written";
            coded_.clear();
        }
        return "";
    }

    // After the last sheet; delivers whatever the raster writer still had.
    bool Close(const Deliver& deliver)
    {
        if (raster_) cupsRasterClose(raster_);
        raster_ = nullptr;
        bool delivered = coded_.empty() || deliver(std::move(coded_));
        coded_.clear();
        return delivered;
    }

private:
    static ssize_t AppendBytes(void* context, unsigned char* buffer, size_t length)
    {
        static_cast<std::string*>(context)->append(reinterpret_cast<const char*>(buffer), length);
        return static_cast<ssize_t>(length);
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
            *error =
                std::string("the band image could not be made: ") + cairo_status_to_string(cairo_surface_status(band_));
            cairo_surface_destroy(band_);
            band_ = nullptr;
            return false;
        }
        return true;
    }

    cups_raster_t* raster_ = nullptr;
    cairo_surface_t* band_ = nullptr;
    std::string coded_;  // made, not yet delivered
};

// Each page is recorded on the caller's thread; when it ends, a worker
// thread of this library plays it back and codes it while the caller
// builds and records the next page. The coded bytes are sent from the
// caller's thread (when the next page ends, or the job finishes), so the
// write callback is never called from elsewhere and pages leave in order.
class PwgOutput : public PageOutput {
public:
    explicit PwgOutput(RecordWriter* records) : records_(records) {}
    ~PwgOutput() override
    {
        channel_.Cancel();
        if (playing_.valid()) playing_.wait();
        if (recording_) cairo_surface_destroy(recording_);
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
        // The page before goes out first.
        bool sent = SendPlayed(error);
        cairo_surface_t* recording = recording_;
        recording_ = nullptr;
        auto play = [this, recording, header = header_] {
            std::string failure = player_.Play(recording, header, [this](std::string bytes) {
                channel_.Put(std::move(bytes));
                return true;
            });
            cairo_surface_destroy(recording);
            channel_.End();
            return failure;
        };
        try {
            playing_ = std::async(std::launch::async, play);
        } catch (const std::system_error&) {
            // No thread to be had: played here, its bytes sent at once.
            std::string failure = player_.Play(recording, header_, [this](std::string bytes) { return Send(bytes); });
            cairo_surface_destroy(recording);
            if (!failure.empty() && sent) {
                *error = failure;
                sent = false;
            }
        }
        return sent;
    }

    bool Finish(std::string* error) override
    {
        bool sent = SendPlayed(error);
        if (!player_.Close([this](std::string bytes) { return Send(bytes); }) && sent) {
            *error = "writing the raster failed";
            sent = false;
        }
        return sent;
    }

    bool KeepsText() const override { return false; }
    bool Rasterizes() const override { return true; }

private:
    // Sends the page being played back as its bytes come, until it ends;
    // true when there was none or all of it went out.
    bool SendPlayed(std::string* error)
    {
        if (!playing_.valid()) return true;
        bool sent = true;
        std::string bytes;
        while (channel_.Take(&bytes)) sent = Send(bytes) && sent;
        std::string failure = playing_.get();
        if (!failure.empty()) {
            *error = "the sheet before could not be written: " + failure;
            return false;
        }
        if (!sent) *error = "writing the raster failed";
        return sent;
    }

    bool Send(const std::string& bytes)
    {
        return (bytes.empty() || records_->Write(kOutputRecordPrinterData, bytes.data(), bytes.size())) &&
               !records_->Failed();
    }

    RecordWriter* records_;
    cups_page_header2_t header_{};
    cairo_surface_t* recording_ = nullptr;  // the page being recorded
    SheetPlayer player_;                    // the worker's, one sheet at a time
    ByteChannel channel_;
    std::future<std::string> playing_;
};

}  // namespace

std::unique_ptr<PageOutput> MakePwgOutput(RecordWriter* records) { return std::make_unique<PwgOutput>(records); }

}  // namespace tav::render
