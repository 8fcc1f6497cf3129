// The writers that turn a request into ticket settings. Each writes its
// settings only when one of their options was given (or implied), in the
// form the filters' readers take them.
#pragma once

#include "job_request.h"
#include "ticket_document.h"

namespace tav::options {

// The character set written for the fonts of added text (DEFAULT_CHARSET:
// the font's own character set serves the text).
inline constexpr int kDefaultCharacterSet = 1;

// Media: PageMediaSize, PageOrientation, PageMediaSizeData, PageResolution,
// PageOutputColor.
void WriteMediaSettings(const JobRequest& request, TicketDocument& ticket);
// Whether WriteMediaSettings writes a PageMediaSize, a PageOrientation.
bool WritesPageMediaSize(const JobRequest& request);
bool WritesPageOrientation(const JobRequest& request);
// Two-sided printing and binding: JobDuplexAllDocumentsContiguously,
// JobDuplexData, JobBindAllDocuments with its parameters.
void WriteDuplexAndBinding(const JobRequest& request, TicketDocument& ticket);
// Sheets: JobNUpAllDocumentsContiguously, PagePoster, PagePosterData,
// PageMirrorImage, PageReverseImage, PageInputBin, JobInput2ndBin.
void WriteSheetSettings(const JobRequest& request, TicketDocument& ticket);
// Job data: JobSettingData, JobInfoData, JobSecretFunctionData.
void WriteJobData(const JobRequest& request, TicketDocument& ticket);
// PageScaling with its parameters, PageScalingData.
void WriteScaling(const JobRequest& request, TicketDocument& ticket);
// PageWatermark, PageWatermarkData.
void WriteWatermark(const JobRequest& request, TicketDocument& ticket);
// PageHeaderFooter, PageHeaderFooterData.
void WriteHeaderFooter(const JobRequest& request, TicketDocument& ticket);

// A top-level feature whose one option is the keyword of the option's
// value, when the option was given.
void WriteChoiceFeature(const JobRequest& request, TicketDocument& ticket, OptionId id, Ns featureNs,
                        std::string_view feature);

// All of them, in this order.
void WriteJobSettings(const JobRequest& request, TicketDocument& ticket);

}  // namespace tav::options
