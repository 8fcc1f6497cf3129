// Loading PrintTicket documents into new DOM documents, and copying them:
// for the ticket manager, and for the filters that change a copy of a
// merged ticket before storing it as a ticket part of their own.
#pragma once

#include "platform/comobject.h"
#include "platform/xml.h"

// A new, empty DOM document.
HRESULT CreateTicketDocument(ComPtr<IXMLDOMDocument2>* document);

// Loads source (an IStream or ISequentialStream) into document. E_FAIL when
// the markup does not load (not well-formed, a DOCTYPE, too large); the
// stream's own failure when it cannot be read.
HRESULT LoadTicketDocument(IXMLDOMDocument2* document, IUnknown* source);

// A new document loaded from the stream, read from its start.
HRESULT LoadTicketDocumentFromStream(IStream* stream, ComPtr<IXMLDOMDocument2>* document);

// A new document with the markup of source, independent of it.
HRESULT CopyTicketDocument(IXMLDOMDocument2* source, ComPtr<IXMLDOMDocument2>* copy);

// The document's persistence stream, positioned at 0.
HRESULT TicketDocumentStream(IXMLDOMDocument2* document, ComPtr<IStream>* stream);
