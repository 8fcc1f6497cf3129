#include <string>

#include "settings_writers.h"
#include "ticket_markup.h"

namespace tav::options {

namespace {

using enum OptionId;

// A named size carries its size as scored properties; a custom size refers
// to the two parameters that hold it.
void WritePageMediaSize(const MediaSize& media, TicketDocument& ticket)
{
    xmlNodePtr feature = ticket.PutTopLevel("Feature", Ns::Keywords, "PageMediaSize");
    xmlNodePtr option = ticket.AddChild(feature, "Option", Ns::Keywords, media.keyword);
    if (media.custom) {
        AddIntegerParameter(ticket, option, "MediaSizeWidth", Ns::Keywords, "PageMediaSizeMediaSizeWidth", media.width);
        AddIntegerParameter(ticket, option, "MediaSizeHeight", Ns::Keywords, "PageMediaSizeMediaSizeHeight",
                            media.height);
    } else {
        AddIntegerScoredProperty(ticket, option, Ns::Keywords, "MediaSizeWidth", media.width);
        AddIntegerScoredProperty(ticket, option, Ns::Keywords, "MediaSizeHeight", media.height);
    }
}

void AddMargins(TicketDocument& ticket, xmlNodePtr data, const ParsedValue& margins, std::string_view prefix)
{
    static constexpr std::string_view kSides[] = {"Left", "Right", "Top", "Bottom"};
    for (size_t side = 0; side < 4; ++side) {
        int microns = margins.numbers.size() == 4 ? margins.numbers[side] : -1;  // -1: not given
        AddIntegerProperty(ticket, data, Ns::Private, std::string(prefix) + std::string(kSides[side]), microns);
    }
}

// The driver's paper data, with every member in the order it is read.
void WriteMediaSizeData(const JobRequest& request, TicketDocument& ticket)
{
    bool customMedia = request.Given(Media) && request.Value(Media).media.custom;
    if (!request.GroupGiven(TicketGroup::MediaSizeData) && !customMedia) return;
    constexpr int kCustomPaperTemp = 256;
    xmlNodePtr data = ticket.PutTopLevel("Property", Ns::Private, "PageMediaSizeData");
    bool inches = customMedia && request.Value(Media).media.inches;
    AddStringProperty(ticket, data, Ns::Private, "CustomUnitType", inches ? "inch" : "mm");
    AddStringProperty(ticket, data, Ns::Private, "TransverseMode", request.Choice(Transverse).keyword);
    AddStringProperty(ticket, data, Ns::Private, "ThicknessType", request.Choice(MediaType).keyword);
    AddStringProperty(ticket, data, Ns::Private, "UseFixedMargin", request.Choice(FixedMargin).keyword);
    AddMargins(ticket, data, request.Value(DocumentMargins), "DocMargin");
    AddMargins(ticket, data, request.Value(OutputMargins), "OutMargin");
    AddIntegerProperty(ticket, data, Ns::Private, "CustomPaperTemp", kCustomPaperTemp);
}

void WriteResolution(const JobRequest& request, TicketDocument& ticket)
{
    int dpi = request.Choice(PrinterResolution).number;
    std::string name = "Resolution" + std::to_string(dpi) + "x" + std::to_string(dpi);
    xmlNodePtr feature = ticket.PutTopLevel("Feature", Ns::Keywords, "PageResolution");
    xmlNodePtr option = ticket.AddChild(feature, "Option", Ns::Private, name);
    AddIntegerScoredProperty(ticket, option, Ns::Keywords, "ResolutionX", dpi);
    AddIntegerScoredProperty(ticket, option, Ns::Keywords, "ResolutionY", dpi);
}

}  // namespace

bool WritesPageMediaSize(const JobRequest& request) { return request.Given(Media); }

bool WritesPageOrientation(const JobRequest& request) { return request.Given(OrientationRequested); }

void WriteMediaSettings(const JobRequest& request, TicketDocument& ticket)
{
    if (WritesPageMediaSize(request)) WritePageMediaSize(request.Value(Media).media, ticket);
    WriteChoiceFeature(request, ticket, OrientationRequested, Ns::Keywords, "PageOrientation");
    WriteMediaSizeData(request, ticket);
    if (request.Given(PrinterResolution)) WriteResolution(request, ticket);
    WriteChoiceFeature(request, ticket, PrintColorMode, Ns::Keywords, "PageOutputColor");
}

}  // namespace tav::options
