// FinisherSettings: what the finisher does with the pages of one ticket, and
// the examination that reads it from a PrintTicket and, for transverse feed,
// turns the ticket's media.
#pragma once

#include "filtercore/owned_bstr.h"
#include "filtercore/page_geometry.h"
#include "filtercore/print_ticket_manager.h"
#include "finisher_geometry.h"

struct FinisherSettings {
    // Raises CXDException(E_OUTOFMEMORY) when the namespace cannot be copied.
    FinisherSettings(PrintTicketManager& manager, const WCHAR* privateNamespaceUri)
        : ticketManager(manager), privateNamespace(OwnedBstr::Copy(privateNamespaceUri))
    {
    }

    // The source of the device's PrintCapabilities.
    PrintTicketManager& ticketManager;
    OwnedBstr privateNamespace;
    RotationKind rotationKind = kNoTransverseFeed;
    MirrorKind mirrorKind = kNoMirror;
    BOOL cutOutLines = FALSE;
    // Where the cut-out lines go, in microns; read only when cutOutLines is
    // set.
    ImageableArea imageableArea;
};

// True when a page of these settings has its markup rewritten: its content
// is turned or flipped, or clipped for cut-out lines. A Landscape page in
// transverse feed alone keeps its markup.
bool RewritesPage(const FinisherSettings& settings);

// Fills the settings afresh from the ticket: the page geometry, the mirror
// and reverse image and the poster's cut-out lines, and, for the lines, the
// imageable area of the device's capabilities under this ticket (the default
// device's margins on the ticket's media when the capabilities cannot be
// read). For transverse feed the ticket's media gets width and height
// exchanged and the orientation Portrait, and *changed becomes TRUE;
// otherwise the ticket is not touched and *changed is FALSE.
//
// The first failing read of the geometry, mirror or poster settings ends the
// examination and is returned, as is a failure to write the turned media
// (the ticket may then be half changed and must not be stored).
HRESULT ExamineTicket(FinisherSettings* settings, IXMLDOMDocument2* ticket, BOOL* changed);
