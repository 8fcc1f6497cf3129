// Print Schema elements built in a ticket: features with their option,
// properties and scored properties with a typed value, parameters.
#pragma once

#include <string_view>

#include "option_value.h"
#include "ticket_document.h"

namespace tav::options {

inline Ns NsOf(const Alternative& alternative) { return alternative.isPrivate ? Ns::Private : Ns::Keywords; }

// A top-level Feature holding one Option; returns the Feature.
xmlNodePtr PutFeatureWithOption(TicketDocument& ticket, Ns featureNs, std::string_view feature, Ns optionNs,
                                std::string_view option);
// The same as a sub-feature of parent.
xmlNodePtr AddFeatureWithOption(TicketDocument& ticket, xmlNodePtr parent, Ns featureNs, std::string_view feature,
                                Ns optionNs, std::string_view option);

// A Property or ScoredProperty holding one Value of type integer or string.
void AddIntegerProperty(TicketDocument& ticket, xmlNodePtr parent, Ns ns, std::string_view name, long long value);
void AddStringProperty(TicketDocument& ticket, xmlNodePtr parent, Ns ns, std::string_view name, std::string_view text);
void AddIntegerScoredProperty(TicketDocument& ticket, xmlNodePtr parent, Ns ns, std::string_view name, long long value);
void AddStringScoredProperty(TicketDocument& ticket, xmlNodePtr parent, Ns ns, std::string_view name,
                             std::string_view text);

// A top-level ParameterInit with an integer Value.
void PutIntegerParameterInit(TicketDocument& ticket, Ns ns, std::string_view name, long long value);
// A ScoredProperty of parent holding a ParameterRef to the top-level integer
// ParameterInit initName, which is put with the value.
void AddIntegerParameter(TicketDocument& ticket, xmlNodePtr parent, std::string_view scoredName, Ns initNs,
                         std::string_view initName, long long value);

}  // namespace tav::options
