// The settings only the layout filter reads and writes: the N-up request
// ("JobNUpAllDocumentsContiguously") and the input bins ("PageInputBin",
// private "JobInput2ndBin" and "PageInputBinData"), and the written forms of
// the duplex and binding settings whose readers are in job_settings.h.
//
// Readers fill only what they find and keep the caller's values for the
// rest; absence is no failure. Writers first remove the settings they are
// about to write, then append the new elements to the ticket's root; the
// first failure ends a writer, and the caller must not store the ticket then.
#pragma once

#include "filtercore/job_settings.h"
#include "nup_options.h"

// Values of NUpSettings::direction ("PresentationDirection") and
// NUpSettings::border (the private "BorderLine"): the codes of the options.
inline constexpr INT kNUpRightBottom = static_cast<INT>(PresentationDirection::RightBottom);
inline constexpr INT kNUpBottomRight = static_cast<INT>(PresentationDirection::BottomRight);
inline constexpr INT kNUpLeftBottom = static_cast<INT>(PresentationDirection::LeftBottom);
inline constexpr INT kNUpBottomLeft = static_cast<INT>(PresentationDirection::BottomLeft);
inline constexpr INT kNUpBorderNone = static_cast<INT>(BorderLineKind::None);
inline constexpr INT kNUpBorderSolid = static_cast<INT>(BorderLineKind::Solid);
inline constexpr INT kNUpBorderDashed = static_cast<INT>(BorderLineKind::Dashed);

struct NUpSettings {
    INT scope = kSettingScopeNone;  // job when the feature carries pages per sheet and a direction
    INT pagesPerSheet = 0;
    INT direction = kNUpRightBottom;
    INT border = kNUpBorderSolid;
};

// The options a record's codes stand for.
inline PresentationDirection DirectionOf(const NUpSettings& settings)
{
    return static_cast<PresentationDirection>(settings.direction);
}
inline BorderLineKind BorderOf(const NUpSettings& settings) { return static_cast<BorderLineKind>(settings.border); }

// Rows of the bin table: 0 "AutoSelect" and 10 "Manual" are Print Schema
// keywords, the others private.
inline constexpr INT kBinAutoSelect = 0;
inline constexpr INT kBinSameTray = 1;
inline constexpr INT kBinTableSize = 12;

struct InputBinSettings {
    INT pageBin = kBinAutoSelect;
    INT secondBin = kBinSameTray;
    RecordString pageBinName{u"AutoSelect"};
    RecordString secondBinName{u"SameTray"};
    BOOL pageBinIsPrivate = FALSE;
    BOOL secondBinIsPrivate = TRUE;
    BOOL secondBinInvalid = FALSE;
};

// Only the job-level feature is read, never "DocumentNUp". Pages per sheet
// is stored as soon as it is read; with a direction as well the scope
// becomes job, except that a count below 1 is read as 1 and leaves the
// scope. Without the feature, its count or its direction the scope becomes
// none. Names compare with the locale comparison.
HRESULT ReadNUp(PrintTicketDom& ticket, NUpSettings* settings);
// Removes "JobNUpAllDocumentsContiguously" and "DocumentNUp"; for a count of
// 1 or more appends the job feature with the count, the direction and the
// border.
HRESULT WriteNUp(PrintTicketDom& ticket, const NUpSettings& settings);

// Bin names compare exactly; a name written in the wrong namespace for its
// row falls back to "AutoSelect" (page bin) or "SameTray" (second bin). The
// result is that of reading "PageInputBinData".
HRESULT ReadInputBins(PrintTicketDom& ticket, InputBinSettings* settings);
// Writes both bins (a row outside the table leaves its feature out) and,
// when the second bin is invalid, "PageInputBinData" saying so.
HRESULT WriteInputBins(PrintTicketDom& ticket, const InputBinSettings& settings);

// Replaces the duplex feature (none for scope none) and "JobDuplexData".
// E_INVALIDARG for a scope, kind or mode outside its range.
HRESULT WriteDuplex(PrintTicketDom& ticket, const DuplexSettings& settings);
// Replaces the binding feature with its gutter and booklet parameters
// (nothing new for scope none). E_INVALIDARG for an option, scope or unit
// outside its range.
HRESULT WriteBinding(PrintTicketDom& ticket, const BindingSettings& settings);
