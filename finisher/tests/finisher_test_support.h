// Helpers of the finisher's tests: page tickets with the settings the
// finisher reads, written by hand in the default device's prefixes, and
// pages rewritten by the finisher's page writer.
#pragma once

#include <string>

#include "finisher_settings.h"
#include "platform/com.h"
#include "testsupport/com_apartment.h"

namespace finishertest {

inline constexpr char kXpsNamespace[] = "http://schemas.microsoft.com/xps/2005/06";
inline constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";

using testsupport::ComApartment;

// A PrintTicket declaring psf, psk, xsi, xsd and the private prefix ns0000
// around body.
std::string Ticket(const std::string& body);
// PageMediaSize with its option (a keywords name) and size in microns.
std::string Media(const std::string& name, int width, int height);
// PageOrientation ("Portrait", "Landscape", ...).
std::string Orientation(const std::string& name);
// The private PageMediaSizeData with TransverseMode "On" or "Off".
std::string Transverse(const std::string& mode);
// PageMirrorImage ("MirrorImageWidth", "MirrorImageHeight", "None").
std::string Mirror(const std::string& option);
// The private PageReverseImage ("On" or "Off").
std::string ReverseImage(const std::string& mode);
// PagePoster of four sheets with the private PagePrintCutOutLine "On".
std::string PosterCutOutLines();

// The content of a FixedPage part after FinisherPageWriter rewrote it.
struct Rewritten {
    HRESULT result = E_FAIL;
    std::string markup;
};
Rewritten RewritePage(const std::string& markup, const FinisherSettings& settings);

// <FixedPage xmlns=... Width= Height=> around body.
std::string FixedPage(const std::string& attributes, const std::string& body);

}  // namespace finishertest
