// Steps shared by the settings writers: the root a new setting is appended
// to, and a Feature with its named Option appended there.
#pragma once

#include "filtercore/print_ticket_dom.h"

// The ticket's root element; E_UNEXPECTED when the ticket has none.
HRESULT SelectTicketRoot(PrintTicketDom& ticket, ComPtr<IXMLDOMNode>* root);

// Creates the Feature name with its Option optionName (each in the private
// or the keywords namespace) and appends it to root. option (optional)
// gets the Option, for settings that add ScoredProperties to it.
HRESULT AppendFeatureWithOption(PrintTicketDom& ticket, IXMLDOMNode* root, BOOL featureIsPrivate, const WCHAR* name,
                                BOOL optionIsPrivate, const WCHAR* optionName, ComPtr<IXMLDOMElement>* option);
