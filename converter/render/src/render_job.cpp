#include "render_job.h"

namespace tav::render {

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
    // First the output: a sheet still being played back on its worker
    // thread draws the cached images and fonts, which go after it.
    output_.reset();
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

void RenderJob::BeginPageFeed(void* pageObject, ConverterPartCallback font, ConverterPartCallback colourProfile,
                              ConverterImageCallback image)
{
    fontSource_ = {font, pageObject};
    profileSource_ = {colourProfile, pageObject};
    imageSource_ = {image, pageObject};
    device_ = {};
    // The page before this one may still be being written (a raster sheet
    // is played back on a worker thread), so its images stay.
    if (pageNumber_ > 1) images_.Trim(pageNumber_ - 1);
    ++pageNumber_;
}

const FontMetrics* RenderJob::Font(const FontReference& font, std::string* error)
{
    return fonts_.Font(font, fontSource_, error);
}

const DecodedImage* RenderJob::Image(const std::string& uri, const std::string& profileUri, std::string* error)
{
    ImageCache::Request request{uri, nullptr, profileUri};
    if (!profileUri.empty()) {
        std::string profileError;
        request.profile = profiles_.Profile(profileUri, profileSource_, &profileError);
        if (!request.profile)
            WarnApproximated("colour profile " + profileUri + " of image " + uri + ": " + profileError);
    }
    std::string approximation;
    const DecodedImage* image = images_.Image(request, imageSource_, pageNumber_, error, &approximation);
    if (!approximation.empty()) WarnApproximated("image " + uri + ": " + approximation);
    return image;
}

bool RenderJob::ProfileColour(const std::string& profileUri, const std::vector<double>& channels, Rgba* colour)
{
    std::string error;
    const ColourProfile* profile = profiles_.Profile(profileUri, profileSource_, &error);
    if (profile && profile->Channels() != channels.size())
        error = "it is a profile of " + std::to_string(profile->Channels()) + " channels, the colour has " +
                std::to_string(channels.size());
    if (!profile || !error.empty()) {
        WarnApproximated("colour profile " + profileUri + ": " + error);
        return false;
    }
    std::vector<uint16_t> samples;
    for (double channel : channels) samples.push_back(static_cast<uint16_t>(channel * 65535 + 0.5));
    uint16_t rgb[3];
    if (!profile->ToSrgb(samples.data(), samples.size(), 1, rgb)) {
        WarnApproximated("colour profile " + profileUri + ": its colours cannot be converted");
        return false;
    }
    *colour = {rgb[0] / 65535.0, rgb[1] / 65535.0, rgb[2] / 65535.0, 1};
    return true;
}

void RenderJob::WarnApproximated(const std::string& what)
{
    if (warnedApproximation_) return;
    warnedApproximation_ = true;
    records_.WriteText(kOutputRecordWarning, "page " + std::to_string(pageNumber_) + ": " + what +
                                                 "; its colours are drawn as the nearest sRGB (said once a job)");
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
