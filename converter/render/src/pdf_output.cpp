#include <cairo-pdf.h>

#include "page_output.h"

namespace tav::render {

namespace {

constexpr double kPointsPerUnit = 72.0 / 96.0;

cairo_status_t WritePdfBytes(void* closure, const unsigned char* data, unsigned int length)
{
    auto* records = static_cast<RecordWriter*>(closure);
    return records->Write(kOutputRecordPrinterData, data, length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

class PdfOutput : public PageOutput {
public:
    PdfOutput(RecordWriter* records, std::string title) : records_(records), title_(std::move(title)) {}
    ~PdfOutput() override
    {
        if (surface_) cairo_surface_destroy(surface_);
    }

    cairo_t* BeginPage(const SheetSetup& setup, std::string* error) override
    {
        double width = setup.pageWidth * kPointsPerUnit, height = setup.pageHeight * kPointsPerUnit;
        if (!surface_) {
            surface_ = cairo_pdf_surface_create_for_stream(WritePdfBytes, records_, width, height);
            if (!title_.empty()) cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, title_.c_str());
            cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "tavpipe");
        } else {
            cairo_pdf_surface_set_size(surface_, width, height);
        }
        if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
            *error = std::string("the PDF surface failed: ") + cairo_status_to_string(cairo_surface_status(surface_));
            return nullptr;
        }
        cairo_t* cr = cairo_create(surface_);
        cairo_scale(cr, kPointsPerUnit, kPointsPerUnit);
        return cr;
    }

    bool EndPage(cairo_t* cr, std::string* error) override
    {
        cairo_show_page(cr);
        cairo_status_t status = cairo_status(cr);
        cairo_destroy(cr);
        if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface_);
        if (status != CAIRO_STATUS_SUCCESS) {
            *error = std::string("writing the PDF page failed: ") + cairo_status_to_string(status);
            return false;
        }
        return true;
    }

    bool Finish(std::string* error) override
    {
        if (!surface_) return true;  // no page, no document
        cairo_surface_finish(surface_);
        cairo_status_t status = cairo_surface_status(surface_);
        cairo_surface_destroy(surface_);
        surface_ = nullptr;
        if (status != CAIRO_STATUS_SUCCESS) {
            *error = std::string("finishing the PDF failed: ") + cairo_status_to_string(status);
            return false;
        }
        return true;
    }

    bool Rasterizes() const override { return false; }
    bool KeepsText() const override { return true; }

private:
    RecordWriter* records_;
    std::string title_;
    cairo_surface_t* surface_ = nullptr;
};

}  // namespace

std::unique_ptr<PageOutput> MakePdfOutput(RecordWriter* records, const std::string& title)
{
    return std::make_unique<PdfOutput>(records, title);
}

}  // namespace tav::render
