#include "settings_writers.h"
#include "ticket_markup.h"

namespace tav::options {

namespace {

using enum OptionId;

constexpr int kFitToCustomPaperTemp = 256;

// Custom scaling carries its percent and offsets as parameters; fitting to
// another paper names that paper in the FitMediaSize sub-feature.
void WritePageScaling(const JobRequest& request, TicketDocument& ticket)
{
    if (!request.Given(PrintScaling)) return;
    const Alternative& scaling = request.Choice(PrintScaling);
    const ParsedValue& value = request.Value(PrintScaling);
    xmlNodePtr feature = ticket.PutTopLevel("Feature", Ns::Keywords, "PageScaling");
    xmlNodePtr option = ticket.AddChild(feature, "Option", NsOf(scaling), scaling.keyword);
    if (scaling.form == ValueForm::Integer) {
        const ParsedValue& offset = request.Value(ScaleOffset);
        AddIntegerParameter(ticket, option, "Scale", Ns::Keywords, "PageScalingScale", value.numbers[0]);
        AddIntegerParameter(ticket, option, "OffsetWidth", Ns::Keywords, "PageScalingOffsetWidth", offset.numbers[0]);
        AddIntegerParameter(ticket, option, "OffsetHeight", Ns::Keywords, "PageScalingOffsetHeight", offset.numbers[1]);
    }
    const Alternative& alignment = request.Choice(ScaleAlignment);
    AddFeatureWithOption(ticket, feature, Ns::Keywords, "ScaleOffsetAlignment", NsOf(alignment), alignment.keyword);
    if (scaling.form == ValueForm::Media) {
        xmlNodePtr fit = ticket.AddChild(feature, "Feature", Ns::Private, "FitMediaSize");
        xmlNodePtr paper = ticket.AddChild(fit, "Option", Ns::Keywords, value.media.keyword);
        AddIntegerScoredProperty(ticket, paper, Ns::Keywords, "FitMediaSizeWidth", value.media.width);
        AddIntegerScoredProperty(ticket, paper, Ns::Keywords, "FitMediaSizeHeight", value.media.height);
    }
}

void WriteScalingData(const JobRequest& request, TicketDocument& ticket)
{
    if (!request.GroupGiven(TicketGroup::ScalingData)) return;
    xmlNodePtr data = ticket.PutTopLevel("Property", Ns::Private, "PageScalingData");
    AddStringProperty(ticket, data, Ns::Private, "ScalePrintableArea", "Off");
    AddStringProperty(ticket, data, Ns::Private, "CorrectFixedPageSize", request.Choice(PageSizeToMedia).keyword);
    AddIntegerProperty(ticket, data, Ns::Private, "FitToCustomPaperTemp", kFitToCustomPaperTemp);
}

}  // namespace

void WriteScaling(const JobRequest& request, TicketDocument& ticket)
{
    WritePageScaling(request, ticket);
    WriteScalingData(request, ticket);
}

}  // namespace tav::options
