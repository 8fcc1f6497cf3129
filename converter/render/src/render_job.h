// The rendering converter's job: what libpcorectl.so makes at PrnCtrlOpen
// and ends at PrnCtrlClose.
#pragma once

#include <memory>
#include <string>

#include "converter/converter_interface.h"
#include "converter_job.h"
#include "font_cache.h"
#include "image_cache.h"
#include "page_output.h"
#include "record_writer.h"

namespace tav::render {

enum class OutputLanguage { Pdf, PwgRaster };

// The language an encoder library path names by its file name:
// "tavenc-pdf.so" or "tavenc-pwg.so"; false for any other.
bool LanguageForEncoder(std::u16string_view encoderPath, OutputLanguage* language);

class RenderJob final : public ConverterJob {
public:
    RenderJob(ConverterWriteCallback write, void* writeContext, OutputLanguage language, const std::string& title);
    ~RenderJob() override;

    ConverterHandle JobHandle() { return reinterpret_cast<ConverterHandle>(&jobHandle_); }
    ConverterHandle ConversionHandle() { return reinterpret_cast<ConverterHandle>(&conversionHandle_); }
    ConverterHandle ContextHandle() { return reinterpret_cast<ConverterHandle>(&context_); }
    static RenderJob* FromJobHandle(ConverterHandle handle);
    static RenderJob* FromConversionHandle(ConverterHandle handle);

    void SetDevMode(const DEVMODEW* devmode, uint32_t size);
    // Ends the output after the last page; a failure is written as a refusal.
    void FinishConversion();
    RecordWriter& Records() { return records_; }

    // ConverterJob.
    void BeginPageFeed(void* pageObject, ConverterPartCallback font, ConverterPartCallback colourProfile,
                       ConverterImageCallback image) override;
    void SetPageDevice(const PageDevice& device) override { device_ = device; }
    const PageDevice& CurrentPageDevice() const override { return device_; }
    ModelBuilder* PageBuilder() override { return builder_; }
    void SetPageBuilder(ModelBuilder* builder) override { builder_ = builder; }
    cairo_t* BeginSheet(double pageWidth, double pageHeight, std::string* error) override;
    bool EndSheet(cairo_t* cr, std::string* error) override;
    bool KeepsText() const override { return output_->KeepsText(); }
    bool Rasterizes() const override { return output_->Rasterizes(); }
    int32_t Refuse(const std::string& reason) override;
    bool Refused() const override { return refused_; }
    uint32_t PageNumber() const override { return pageNumber_; }

    // PageResources.
    const FontMetrics* Font(const FontReference& font, std::string* error) override;
    const DecodedImage* Image(const std::string& uri, const std::string& profileUri, std::string* error) override;
    bool ProfileColour(const std::string& profileUri, const std::vector<double>& channels, Rgba* colour) override;

    // CairoFonts.
    cairo_font_face_t* Face(const FontMetrics* font) override { return fonts_.Face(font); }

private:
    struct Handle {
        uint32_t mark;
        RenderJob* job;
    };
    static constexpr uint32_t kJobMark = 0x54415631;         // "TAV1"
    static constexpr uint32_t kConversionMark = 0x54415632;  // "TAV2"

    Handle jobHandle_{kJobMark, this};
    Handle conversionHandle_{kConversionMark, this};
    ConverterContext context_;
    RecordWriter records_;
    std::unique_ptr<PageOutput> output_;
    FontCache fonts_;
    FontSource fontSource_;
    FontSource profileSource_;
    ImageSource imageSource_;
    ProfileCache profiles_;
    ImageCache images_;
    PageDevice device_;
    DeviceSettings settings_;
    ModelBuilder* builder_ = nullptr;
    uint32_t pageNumber_ = 0;
    bool refused_ = false;
    bool finished_ = false;
    bool warnedApproximation_ = false;

    // Once a job: colours drawn as the nearest sRGB for want of a profile.
    void WarnApproximated(const std::string& what);
};

}  // namespace tav::render
