#include "render_job.h"

namespace tav::render {

namespace {

const char* NotDrawnMessage(NotDrawnYet what)
{
    switch (what) {
    case NotDrawnYet::ImageBrush: return "images are not drawn yet: each ImageBrush is drawn as a grey area";
    case NotDrawnYet::VisualBrush: return "visual brushes are not drawn yet: each VisualBrush is drawn as a grey area";
    case NotDrawnYet::OpacityMask: return "opacity masks are not applied yet: masked content is drawn unmasked";
    case NotDrawnYet::ColourProfile:
        return "colour-profile colours are not converted yet: their channel values are drawn as sRGB or CMYK";
    }
    return "";
}

}  // namespace

bool LanguageForEncoder(std::u16string_view path, OutputLanguage* language)
{
    size_t slash = path.find_last_of(u"/\\");
    std::u16string_view name = slash == std::u16string_view::npos ? path : path.substr(slash + 1);
    if (name == u"tavenc-pdf.so") {
        *language = OutputLanguage::Pdf;
        return true;
    }
    if (name == u"tavenc-pwg.so") {
        *language = OutputLanguage::PwgRaster;
        return true;
    }
    return false;
}

RenderJob::RenderJob(ConverterWriteCallback write, void* writeContext, OutputLanguage language,
                     const std::string& title)
    : records_(write, writeContext)
{
    context_.job = this;
    output_ = language == OutputLanguage::Pdf ? MakePdfOutput(&records_, title) : MakePwgOutput(&records_);
}

RenderJob::~RenderJob()
{
    // A page whose feed was broken off: its model was made by page-library
    // code, which holds no code pointers, so this copy of the code frees it.
    delete builder_;
    jobHandle_.mark = conversionHandle_.mark = context_.mark = 0;
}

RenderJob* RenderJob::FromJobHandle(ConverterHandle handle)
{
    auto* found = reinterpret_cast<Handle*>(handle);
    return found && found->mark == kJobMark ? found->job : nullptr;
}

RenderJob* RenderJob::FromConversionHandle(ConverterHandle handle)
{
    auto* found = reinterpret_cast<Handle*>(handle);
    return found && found->mark == kConversionMark ? found->job : nullptr;
}

void RenderJob::SetDevMode(const DEVMODEW* devmode, uint32_t size) { settings_ = ReadDeviceSettings(devmode, size); }

void RenderJob::BeginPageFeed(void* pageObject, ConverterPartCallback font, ConverterPartCallback)
{
    fontSource_ = {font, pageObject};
    device_ = {};
    ++pageNumber_;
}

const FontMetrics* RenderJob::Font(const FontReference& font, std::string* error)
{
    return fonts_.Font(font, fontSource_, error);
}

void RenderJob::NotDrawn(NotDrawnYet what)
{
    bool& warned = warned_[static_cast<size_t>(what)];
    if (warned) return;
    warned = true;
    records_.WriteText(kOutputRecordWarning, NotDrawnMessage(what));
}

cairo_t* RenderJob::BeginSheet(double pageWidth, double pageHeight, std::string* error)
{
    SheetSetup setup{pageWidth, pageHeight, device_, settings_};
    return output_->BeginPage(setup, error);
}

bool RenderJob::EndSheet(cairo_t* cr, std::string* error) { return output_->EndPage(cr, error); }

int32_t RenderJob::Refuse(const std::string& reason)
{
    if (!refused_) {
        refused_ = true;
        std::string line = "page " + std::to_string(pageNumber_) + ": " + reason;
        for (char& c : line)
            if (c == '\n' || c == '\r') c = ' ';
        records_.WriteText(kOutputRecordRefusalReason, line);
    }
    return 0;
}

void RenderJob::FinishConversion()
{
    if (finished_) return;
    finished_ = true;
    delete builder_;
    builder_ = nullptr;
    std::string error;
    if (!output_->Finish(&error) && !refused_) {
        refused_ = true;
        records_.WriteText(kOutputRecordRefusalReason, "the output could not be finished: " + error);
    }
}

}  // namespace tav::render
