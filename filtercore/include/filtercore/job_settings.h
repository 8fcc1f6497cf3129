// The driver's own job settings that several filters share, and their
// readers and writers: job information and job setting data, duplex,
// binding and booklet, mirror and reverse image, poster.
//
// Each reader takes the merged ticket of the level a filter works at and
// fills only what the ticket carries; every other field keeps the value the
// caller put there. A setting that is absent is never a failure. "Private"
// names are in the private keywords namespace, the others in the Print
// Schema keywords namespace.
#pragma once

#include "filtercore/print_ticket_dom.h"
#include "filtercore/record_string.h"

// Scope of a job-level setting: the ticket carries the feature or not.
inline constexpr INT kSettingScopeJob = 0;
inline constexpr INT kSettingScopeNone = -1;

// The private "JobInfoData", "JobSettingData" and "JobSecretFunctionData"
// Properties.
struct JobInfoSettings {
    RecordString defaultUserName;   // JobInfoData / DefaultUserName
    RecordString computerName;      // JobInfoData / ComputerName
    INT codePage = 1252;            // JobInfoData / CodePage
    INT separateTrayMode = 0;       // JobSettingData / SeparateTrayMode: "Off" 0, "On" 1
    RecordString divideCondition;   // JobSettingData / DivideCondition
    SHORT bandingPortraitFlag = 0;  // JobSettingData / Banding*: written as 0 to 65535
    SHORT bandingPortraitSize = 0;
    SHORT bandingLandscapeFlag = 0;
    SHORT bandingLandscapeSize = 0;
    BOOL halftoneReduction = FALSE;  // JobSecretFunctionData / HalftoneReduction
    BOOL draftMode = FALSE;          // JobSecretFunctionData / DraftMode
};

// DuplexSettings::kind: the row of the duplex table that matched.
enum DuplexKind : INT {
    kDuplexOneSided = 0,
    kDuplexShortEdge = 1,  // automatic or unspecified
    kDuplexShortEdgeManual = 2,
    kDuplexLongEdge = 3,  // automatic or unspecified
    kDuplexLongEdgeManual = 4,
};

// DuplexSettings::mode and subMode.
enum DuplexMode : INT {
    kDuplexModeNone = 0,
    kDuplexModeAutomatic = 1,
    kDuplexModeManual = 2,
};

// The keywords feature "JobDuplexAllDocumentsContiguously" with its
// "DuplexMode", and the private "JobDuplexData".
struct DuplexSettings {
    INT scope = kSettingScopeNone;
    INT kind = kDuplexOneSided;
    INT mode = kDuplexModeNone;
    BOOL firstPaper = FALSE;        // TraySeparationMode is "DuplexPrintFirstPaper"
    INT subMode = kDuplexModeNone;  // DuplexModeSubData
};

// BindingSettings::option, the options of "JobBindAllDocuments".
enum BindingOption : INT {
    kBindBottom = 0,
    kBindLeft = 1,
    kBindRight = 2,
    kBindTop = 3,
    kBindBooklet = 4,
    kBindBookletReverseFlip = 5,
};

// The keywords feature "JobBindAllDocuments" with its private sub-features
// and properties, and the private ParameterInit "JobBindBookletDivideSheets".
struct BindingSettings {
    INT scope = kSettingScopeNone;
    INT option = kBindLeft;
    INT gutter = 0;              // BindingGutter, microns
    INT gutterControl = 0;       // BindingGutterControl: "Off" 0, "On" 1
    INT unit = 0;                // BindingUnit: "microns" 0, "inches" 1
    BOOL dependOnDuplex = TRUE;  // DependOnDuplex: 0 only for "False"
    INT optionControl = 1;       // BindingOptionControl: "Off" 0, "On" 1
    INT bookletMethod = 0;       // BookletPrintingMethod: "AllPagesAtOnce" 0, "DivideIntoSets" 1
    INT sheetsPerSet = 10;       // JobBindBookletDivideSheets
};

// MirrorSettings::mirror, the options of "PageMirrorImage".
enum MirrorOption : INT {
    kMirrorImageWidth = 0,
    kMirrorImageHeight = 1,
    kMirrorNone = 2,
};

// The keywords feature "PageMirrorImage" and the private "PageReverseImage".
struct MirrorSettings {
    INT mirror = kMirrorNone;
    INT reverse = 0;  // "Off" 0, "On" 1
};

// The keywords feature "PagePoster" with its private "PagePrintCutOutLine",
// and the private "PagePosterData".
struct PosterSettings {
    INT sheetsPerPage = 0;         // SheetsPerPage; 0 or less reads as 0
    INT hideFlag = 0;              // PagePosterData / HideFlag
    BOOL printCutOutLine = FALSE;  // PagePrintCutOutLine: "Off" 0, "On" 1
};

// Readers. Each returns S_OK when the ticket carried the settings or only
// lacked some, and the first failure otherwise (see each).

// All three Properties are read; a Property or member that is absent is
// skipped. SeparateTrayMode compares exactly. The first failure of any of
// the three is returned, after all three were read as far as they go.
HRESULT ReadJobInfo(PrintTicketDom& ticket, JobInfoSettings* settings);
// Only the job-level feature is read, never "DocumentDuplex". Without it the
// scope becomes none. Its option (compared exactly) selects the row of the
// duplex table; for a two-sided option "DuplexMode" picks the manual or
// automatic row, and without one the kind is the option's unspecified row
// with mode none. firstPaper and subMode are 0 unless "JobDuplexData" says
// otherwise.
HRESULT ReadDuplex(PrintTicketDom& ticket, DuplexSettings* settings);
// Only the job-level feature is read, never "DocumentBinding". Its option is
// compared exactly; gutter and DependOnDuplex are read only for a known
// option. The sub-features, the sheets per set and the option control are
// read with or without the feature. Stops at the first failure.
HRESULT ReadBinding(PrintTicketDom& ticket, BindingSettings* settings);
// The mirror option (exact comparison; a failure reading it is ignored) and
// the reverse option, which counts only when it is private (exact). The
// result is that of reading the reverse option.
HRESULT ReadMirror(PrintTicketDom& ticket, MirrorSettings* settings);
// Without "PagePoster" the sheets per page become 0.
HRESULT ReadPoster(PrintTicketDom& ticket, PosterSettings* settings);

// Writers: replace the settings in a ticket the filter is about to store as
// a new ticket part. They stop at the first failure and return it; the
// caller must not store the ticket then.

// Replaces the three private Properties (16-bit banding values as 0 to
// 65535, flags as "On" for non-zero).
HRESULT WriteJobInfo(PrintTicketDom& ticket, const JobInfoSettings& settings);
// Replaces "PageMirrorImage" and the private "PageReverseImage".
// E_INVALIDARG for a mirror value outside its table.
HRESULT WriteMirror(PrintTicketDom& ticket, const MirrorSettings& settings);
