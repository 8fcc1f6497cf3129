#include "settings_writers.h"
#include "ticket_markup.h"

namespace tav::options {

namespace {

using enum OptionId;

// The pages per sheet sit in an Option without name, with the order and the
// border as sub-features.
void WriteNUp(const JobRequest& request, TicketDocument& ticket)
{
    if (!request.Given(NumberUp)) return;
    xmlNodePtr feature = ticket.PutTopLevel("Feature", Ns::Keywords, "JobNUpAllDocumentsContiguously");
    xmlNodePtr option = ticket.AddChild(feature, "Option", Ns::Keywords, "");
    AddIntegerScoredProperty(ticket, option, Ns::Keywords, "PagesPerSheet", request.Choice(NumberUp).number);
    const Alternative& direction = request.Choice(NumberUpLayout);
    AddFeatureWithOption(ticket, feature, Ns::Keywords, "PresentationDirection", NsOf(direction), direction.keyword);
    const Alternative& border = request.Choice(PageBorder);
    AddFeatureWithOption(ticket, feature, Ns::Private, "BorderLine", NsOf(border), border.keyword);
}

void WritePoster(const JobRequest& request, TicketDocument& ticket)
{
    if (!request.Given(Poster)) return;
    xmlNodePtr feature = ticket.PutTopLevel("Feature", Ns::Keywords, "PagePoster");
    xmlNodePtr option = ticket.AddChild(feature, "Option", Ns::Keywords, "");
    AddIntegerScoredProperty(ticket, option, Ns::Keywords, "SheetsPerPage", request.Choice(Poster).number);
    const Alternative& cutLines = request.Choice(PosterCutLines);
    AddFeatureWithOption(ticket, feature, Ns::Private, "PagePrintCutOutLine", NsOf(cutLines), cutLines.keyword);
    xmlNodePtr data = ticket.PutTopLevel("Property", Ns::Private, "PagePosterData");
    AddIntegerProperty(ticket, data, Ns::Private, "HideFlag", 0);
}

}  // namespace

void WriteChoiceFeature(const JobRequest& request, TicketDocument& ticket, OptionId id, Ns featureNs,
                        std::string_view feature)
{
    if (!request.Given(id)) return;
    const Alternative& choice = request.Choice(id);
    PutFeatureWithOption(ticket, featureNs, feature, NsOf(choice), choice.keyword);
}

void WriteSheetSettings(const JobRequest& request, TicketDocument& ticket)
{
    WriteNUp(request, ticket);
    WritePoster(request, ticket);
    WriteChoiceFeature(request, ticket, Mirror, Ns::Keywords, "PageMirrorImage");
    WriteChoiceFeature(request, ticket, ReverseImage, Ns::Private, "PageReverseImage");
    WriteChoiceFeature(request, ticket, InputSlot, Ns::Keywords, "PageInputBin");
    WriteChoiceFeature(request, ticket, SecondInputSlot, Ns::Private, "JobInput2ndBin");
}

}  // namespace tav::options
