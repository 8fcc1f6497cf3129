#include "settings_writers.h"
#include "ticket_markup.h"

namespace tav::options {

namespace {

using enum OptionId;

// Texts in the ticket are UTF-8; the names given here are in that code page.
constexpr int kUtf8CodePage = 65001;

void WriteJobSettingData(const JobRequest& request, TicketDocument& ticket)
{
    if (!request.GroupGiven(TicketGroup::JobSetting)) return;
    xmlNodePtr data = ticket.PutTopLevel("Property", Ns::Private, "JobSettingData");
    AddStringProperty(ticket, data, Ns::Private, "SeparateTrayMode", request.Choice(SeparateTray).keyword);
    AddStringProperty(ticket, data, Ns::Private, "DivideCondition", request.Value(DivideCondition).text);
    for (const char* banding :
         {"BandingPortraitFlag", "BandingPortraitSize", "BandingLandscapeFlag", "BandingLandscapeSize"})
        AddIntegerProperty(ticket, data, Ns::Private, banding, 0);
}

void WriteJobInfoData(const JobRequest& request, TicketDocument& ticket)
{
    if (!request.GroupGiven(TicketGroup::JobInfo)) return;
    xmlNodePtr data = ticket.PutTopLevel("Property", Ns::Private, "JobInfoData");
    AddStringProperty(ticket, data, Ns::Private, "DefaultUserName", request.Value(JobOriginatingUserName).text);
    AddStringProperty(ticket, data, Ns::Private, "ComputerName", request.Value(JobOriginatingHostName).text);
    AddIntegerProperty(ticket, data, Ns::Private, "CodePage", kUtf8CodePage);
}

void WriteSecretFunctionData(const JobRequest& request, TicketDocument& ticket)
{
    if (!request.GroupGiven(TicketGroup::SecretFunction)) return;
    xmlNodePtr data = ticket.PutTopLevel("Property", Ns::Private, "JobSecretFunctionData");
    AddStringProperty(ticket, data, Ns::Private, "HalftoneReduction", request.Choice(HalftoneReduction).keyword);
    AddStringProperty(ticket, data, Ns::Private, "DraftMode", request.Choice(DraftMode).keyword);
}

}  // namespace

void WriteJobData(const JobRequest& request, TicketDocument& ticket)
{
    WriteJobSettingData(request, ticket);
    WriteJobInfoData(request, ticket);
    WriteSecretFunctionData(request, ticket);
}

}  // namespace tav::options
