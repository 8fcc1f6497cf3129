#include "preview/preview.h"

#include <cairo.h>
#include <poppler.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <regex>
#include <stdexcept>

#include "preview/contact_sheet.h"

namespace tav::host {
namespace {

constexpr double kPixelsPerInch = 96;

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

template <typename T>
struct GObjectDeleter {
    void operator()(T* object) const { g_object_unref(object); }
};
using Document = std::unique_ptr<PopplerDocument, GObjectDeleter<PopplerDocument>>;
using Page = std::unique_ptr<PopplerPage, GObjectDeleter<PopplerPage>>;

Document OpenDocument(const std::string& path)
{
    GError* error = nullptr;
    std::string absolute = std::filesystem::absolute(path).string();
    gchar* uri = g_filename_to_uri(absolute.c_str(), nullptr, &error);
    PopplerDocument* document = uri ? poppler_document_new_from_file(uri, nullptr, &error) : nullptr;
    g_free(uri);
    if (document == nullptr) {
        std::string reason = error ? error->message : "unknown error";
        if (error) g_error_free(error);
        throw std::runtime_error("the printed sheets cannot be read: " + reason);
    }
    return Document(document);
}

PixelSize SideSize(PopplerPage* page)
{
    double width = 0, height = 0;
    poppler_page_get_size(page, &width, &height);
    return {std::max(1, static_cast<int>(std::lround(width * kPixelsPerInch / 72))),
            std::max(1, static_cast<int>(std::lround(height * kPixelsPerInch / 72)))};
}

std::string SideFileName(size_t side, bool twoSided)
{
    if (!twoSided) return "sheet-" + std::to_string(side + 1) + ".png";
    return "sheet-" + std::to_string(side / 2 + 1) + (side % 2 == 0 ? "-front.png" : "-back.png");
}

void WritePng(cairo_surface_t* surface, const std::string& path)
{
    cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    if (status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error(path + ": cannot be written: " + cairo_status_to_string(status));
}

// One side drawn on white at the preview's resolution.
Surface DrawSide(PopplerPage* page, PixelSize size)
{
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.width, size.height));
    Context context(cairo_create(surface.get()));
    cairo_set_source_rgb(context.get(), 1, 1, 1);
    cairo_paint(context.get());
    cairo_scale(context.get(), kPixelsPerInch / 72, kPixelsPerInch / 72);
    poppler_page_render_for_printing(page, context.get());
    if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error(std::string("a sheet cannot be drawn: ") +
                                 cairo_status_to_string(cairo_status(context.get())));
    return surface;
}

// Images of an earlier preview that this one does not write again.
void RemoveOlderSideImages(const std::string& folder)
{
    static const std::regex kSideImage("sheet-[0-9]+(-front|-back)?\\.png");
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.is_regular_file() && std::regex_match(entry.path().filename().string(), kSideImage))
            std::filesystem::remove(entry.path(), error);
    }
}

void WriteSideImages(const std::string& pdf, const std::string& folder, bool twoSided)
{
    Document document = OpenDocument(pdf);
    int count = poppler_document_get_n_pages(document.get());
    std::vector<PixelSize> sizes;
    for (int index = 0; index < count; ++index) {
        Page page(poppler_document_get_page(document.get(), index));
        if (!page) throw std::runtime_error("sheet " + std::to_string(index + 1) + " cannot be read");
        sizes.push_back(SideSize(page.get()));
    }
    ContactLayout layout = LayOutContactSheet(sizes, twoSided);
    Surface contact(cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(1, layout.size.width),
                                               std::max(1, layout.size.height)));
    Context contactContext(cairo_create(contact.get()));
    cairo_set_source_rgb(contactContext.get(), 0.5, 0.5, 0.5);
    cairo_paint(contactContext.get());

    RemoveOlderSideImages(folder);
    for (int index = 0; index < count; ++index) {
        Page page(poppler_document_get_page(document.get(), index));
        Surface side = DrawSide(page.get(), sizes[index]);
        WritePng(side.get(), folder + "/" + SideFileName(index, twoSided));
        for (const ContactCell& cell : layout.cells) {
            if (cell.side != static_cast<size_t>(index)) continue;
            cairo_t* context = contactContext.get();
            cairo_save(context);
            cairo_translate(context, cell.x, cell.y);
            cairo_scale(context, static_cast<double>(cell.width) / sizes[index].width,
                        static_cast<double>(cell.height) / sizes[index].height);
            cairo_set_source_surface(context, side.get(), 0, 0);
            cairo_pattern_set_filter(cairo_get_source(context), CAIRO_FILTER_GOOD);
            cairo_paint(context);
            cairo_restore(context);
        }
    }
    WritePng(contact.get(), folder + "/contact.png");
}

}  // namespace

bool PreviewTwoSided(const std::vector<std::pair<std::string, std::string>>& options)
{
    bool twoSided = false;
    for (const auto& [name, value] : options) {
        if (name == "sides") twoSided = value.starts_with("two-sided");
        if (name == "booklet") twoSided = value != "off";
    }
    return twoSided;
}

JobOutcome RunPreview(const JobRequest& given)
{
    const std::string folder = given.output;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder)) {
        JobOutcome outcome;
        outcome.status = kExitUsage;
        outcome.message = folder + ": cannot make the preview folder" + (error ? ": " + error.message() : "");
        return outcome;
    }
    JobRequest request = given;
    request.output = folder + "/.tavpipe-preview-" + std::to_string(getpid()) + ".pdf";
    request.options.push_back({"output-format", "pdf"});
    JobOutcome outcome = RunJob(request);
    if (outcome.status == kExitSuccess) {
        try {
            WriteSideImages(request.output, folder, PreviewTwoSided(request.options));
        } catch (const std::runtime_error& failure) {
            outcome.status = kExitJobFailed;
            outcome.message = FailureMessage(folder, "", failure.what());
        }
    }
    std::filesystem::remove(request.output, error);
    return outcome;
}

}  // namespace tav::host
