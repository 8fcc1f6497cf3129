#include "ticket_markup.h"

#include <string>

namespace tav::options {

xmlNodePtr PutFeatureWithOption(TicketDocument& ticket, Ns featureNs, std::string_view feature, Ns optionNs,
                                std::string_view option)
{
    xmlNodePtr element = ticket.PutTopLevel("Feature", featureNs, feature);
    ticket.AddChild(element, "Option", optionNs, option);
    return element;
}

xmlNodePtr AddFeatureWithOption(TicketDocument& ticket, xmlNodePtr parent, Ns featureNs, std::string_view feature,
                                Ns optionNs, std::string_view option)
{
    xmlNodePtr element = ticket.AddChild(parent, "Feature", featureNs, feature);
    ticket.AddChild(element, "Option", optionNs, option);
    return element;
}

void AddIntegerProperty(TicketDocument& ticket, xmlNodePtr parent, Ns ns, std::string_view name, long long value)
{
    ticket.AddValue(ticket.AddChild(parent, "Property", ns, name), "integer", std::to_string(value));
}

void AddStringProperty(TicketDocument& ticket, xmlNodePtr parent, Ns ns, std::string_view name, std::string_view text)
{
    ticket.AddValue(ticket.AddChild(parent, "Property", ns, name), "string", text);
}

void AddIntegerScoredProperty(TicketDocument& ticket, xmlNodePtr parent, Ns ns, std::string_view name, long long value)
{
    ticket.AddValue(ticket.AddChild(parent, "ScoredProperty", ns, name), "integer", std::to_string(value));
}

void AddStringScoredProperty(TicketDocument& ticket, xmlNodePtr parent, Ns ns, std::string_view name,
                             std::string_view text)
{
    ticket.AddValue(ticket.AddChild(parent, "ScoredProperty", ns, name), "string", text);
}

void PutIntegerParameterInit(TicketDocument& ticket, Ns ns, std::string_view name, long long value)
{
    ticket.AddValue(ticket.PutTopLevel("ParameterInit", ns, name), "integer", std::to_string(value));
}

void AddIntegerParameter(TicketDocument& ticket, xmlNodePtr parent, std::string_view scoredName, Ns initNs,
                         std::string_view initName, long long value)
{
    xmlNodePtr scored = ticket.AddChild(parent, "ScoredProperty", Ns::Keywords, scoredName);
    ticket.AddChild(scored, "ParameterRef", initNs, initName);
    PutIntegerParameterInit(ticket, initNs, initName, value);
}

}  // namespace tav::options
