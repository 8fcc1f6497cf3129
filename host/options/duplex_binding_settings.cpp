#include "settings_writers.h"
#include "ticket_markup.h"

namespace tav::options {

namespace {

using enum OptionId;

// The filters' default number of sheets per booklet set, written when the
// booklet is printed all at once.
constexpr int kDefaultSheetsPerSet = 10;

bool IsTwoSided(const JobRequest& request) { return request.Given(Sides) && request.Text(Sides) != "one-sided"; }

void WriteDuplex(const JobRequest& request, TicketDocument& ticket)
{
    if (!request.Given(Sides)) return;
    xmlNodePtr feature = ticket.PutTopLevel("Feature", Ns::Keywords, "JobDuplexAllDocumentsContiguously");
    xmlNodePtr option = ticket.AddChild(feature, "Option", Ns::Keywords, request.Choice(Sides).keyword);
    if (IsTwoSided(request))
        AddStringScoredProperty(ticket, option, Ns::Keywords, "DuplexMode", request.Choice(DuplexMode).keyword);
}

void WriteDuplexData(const JobRequest& request, TicketDocument& ticket)
{
    if (!request.Given(Sides) && !request.GroupGiven(TicketGroup::DuplexData)) return;
    xmlNodePtr data = ticket.PutTopLevel("Property", Ns::Private, "JobDuplexData");
    AddStringProperty(ticket, data, Ns::Private, "TraySeparationMode", request.Choice(SeparateTrayScope).keyword);
    if (IsTwoSided(request))
        AddStringProperty(ticket, data, Ns::Private, "DuplexModeSubData", request.Choice(DuplexMode).keyword);
}

// A booklet is a binding option of its own; without one the binding edge
// is written. A gutter that was given turns the gutter on.
void WriteBinding(const JobRequest& request, TicketDocument& ticket)
{
    if (!request.GroupGiven(TicketGroup::Binding)) return;
    const Alternative& booklet = request.Choice(Booklet);
    const Alternative& binding = booklet.keyword.empty() ? request.Choice(Binding) : booklet;
    const ParsedValue& gutter = request.Value(BindingGutter);
    const Alternative& sets = request.Choice(BookletSheetsPerSet);
    int sheetsPerSet =
        sets.form == ValueForm::Integer ? request.Value(BookletSheetsPerSet).numbers[0] : kDefaultSheetsPerSet;

    xmlNodePtr feature = ticket.PutTopLevel("Feature", Ns::Keywords, "JobBindAllDocuments");
    xmlNodePtr option = ticket.AddChild(feature, "Option", NsOf(binding), binding.keyword);
    AddIntegerParameter(ticket, option, "BindingGutter", Ns::Keywords, "JobBindAllDocumentsGutter", gutter.numbers[0]);
    AddStringScoredProperty(ticket, option, Ns::Private, "DependOnDuplex", "True");
    AddStringProperty(ticket, feature, Ns::Private, "BindingOptionControl", "On");
    AddFeatureWithOption(ticket, feature, Ns::Private, "BindingGutterControl", Ns::Private,
                         request.Given(BindingGutter) ? "On" : "Off");
    AddFeatureWithOption(ticket, feature, Ns::Private, "BindingUnit", Ns::Private,
                         gutter.inches ? "inches" : "microns");
    AddFeatureWithOption(ticket, feature, Ns::Private, "BookletPrintingMethod", NsOf(sets), sets.keyword);
    PutIntegerParameterInit(ticket, Ns::Private, "JobBindBookletDivideSheets", sheetsPerSet);
}

}  // namespace

void WriteDuplexAndBinding(const JobRequest& request, TicketDocument& ticket)
{
    WriteDuplex(request, ticket);
    WriteDuplexData(request, ticket);
    WriteBinding(request, ticket);
}

}  // namespace tav::options
