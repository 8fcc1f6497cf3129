#include <string>

#include "settings_writers.h"
#include "ticket_markup.h"

namespace tav::options {

namespace {

using enum OptionId;

struct WatermarkSource {
    OptionId text;
    OptionId image;
};

constexpr WatermarkSource kEveryPage = {WatermarkText, WatermarkImage};
constexpr WatermarkSource kFirstPage = {WatermarkFirstText, WatermarkFirstImage};

bool Given(const JobRequest& request, WatermarkSource source)
{
    return request.Given(source.text) || request.Given(source.image);
}

std::string BaseName(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Title(const JobRequest& request)
{
    for (WatermarkSource source : {kEveryPage, kFirstPage}) {
        if (request.Given(source.text)) return request.Value(source.text).text;
        if (request.Given(source.image)) return BaseName(request.Value(source.image).text);
    }
    return std::string();
}

// One watermark entry with every member, in the order they are read.
void AddEntry(const JobRequest& request, TicketDocument& ticket, xmlNodePtr data, std::string_view name,
              WatermarkSource source)
{
    bool isText = request.Given(source.text);
    bool isImage = request.Given(source.image);
    int style = request.Choice(WatermarkStyle).number;
    const std::vector<int>& position = request.Value(WatermarkPosition).numbers;
    xmlNodePtr entry = ticket.AddChild(data, "Property", Ns::Private, name);
    auto addInteger = [&](std::string_view member, long long value) {
        AddIntegerProperty(ticket, entry, Ns::Private, member, value);
    };
    auto addString = [&](std::string_view member, std::string_view value) {
        AddStringProperty(ticket, entry, Ns::Private, member, value);
    };
    addInteger("ID", 0);
    addString("Type", isText ? "Text" : isImage ? "Bitmap" : "None");
    addInteger("PostionX", position[0]);
    addInteger("PostionY", position[1]);
    addInteger("FontColor", request.Value(WatermarkColor).numbers[0]);
    addInteger("FontSize", request.Value(WatermarkSize).numbers[0]);
    addString("Text", isText ? request.Value(source.text).text : std::string());
    addInteger("Angle", request.Value(WatermarkAngle).numbers[0]);
    addString("FontName", request.Value(WatermarkFont).text);
    addInteger("FontItalicStyle", (style & kItalicStyle) ? 1 : 0);
    addInteger("FontBoldStyle", (style & kBoldStyle) ? 1 : 0);
    addString("Filename", isImage ? request.Value(source.image).text : std::string());
    addInteger("Scaling", request.Value(WatermarkScale).numbers[0]);
    addInteger("SubData", kDefaultCharacterSet);
    addInteger("BmpLightness", 0);
}

}  // namespace

// A watermark of its own on the first page uses the custom entries: the
// first page's, and the other pages' (the every-page watermark, if any).
void WriteWatermark(const JobRequest& request, TicketDocument& ticket)
{
    bool everyPage = Given(request, kEveryPage);
    bool firstPage = Given(request, kFirstPage);
    if (!everyPage && !firstPage) return;
    xmlNodePtr feature = PutFeatureWithOption(ticket, Ns::Keywords, "PageWatermark", Ns::Keywords, "On");
    AddFeatureWithOption(ticket, feature, Ns::Private, "LayoutOrder", Ns::Private, "Foreground");
    const Alternative& overlay = request.Choice(WatermarkOverlay);
    AddFeatureWithOption(ticket, feature, Ns::Private, "OverlayMethod", NsOf(overlay), overlay.keyword);
    const Alternative& outline = request.Choice(WatermarkOutline);
    AddFeatureWithOption(ticket, feature, Ns::Private, "OutlineTxt", NsOf(outline), outline.keyword);
    AddFeatureWithOption(ticket, feature, Ns::Private, "CustomSettings", Ns::Private, firstPage ? "On" : "Off");

    xmlNodePtr data = ticket.PutTopLevel("Property", Ns::Private, "PageWatermarkData");
    AddStringProperty(ticket, data, Ns::Private, "Title", Title(request));
    AddEntry(request, ticket, data, "WatermarkSettings", kEveryPage);
    if (firstPage) {
        AddEntry(request, ticket, data, "CustomWatermarkSettingsFirst", kFirstPage);
        AddEntry(request, ticket, data, "CustomWatermarkSettingsOther", kEveryPage);
    }
}

}  // namespace tav::options
