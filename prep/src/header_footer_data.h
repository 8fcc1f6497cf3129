// The header/footer line's DecorationData: its settings with the printer,
// the user, the job's time and the property bag the line is composed from,
// and the composition itself (ComposeLine).
#pragma once

#include <string>

#include "decoration_data.h"
#include "language_library.h"

// The data of the line for a page: the printer handle and user token from
// the property bag ("PrinterHandle", "UserSecurityToken"), the job's
// submission time in local time when the spooler has the job
// ("PrintJobId") with a document name, else the local time now.
DecorationData HeaderFooterDecorationData(const HeaderFooterSettings& settings, const PageScalingSettings& scaling,
                                          const JobInfoSettings& jobInfo, IPrintPipelinePropertyBag* bag);

// The line's text (see ComposeHeaderFooterLine), with the language library
// from languages. Without a printer handle
// the date and time count as None, and a line with neither is only the
// identification, which needs no language library. E_POINTER for a null
// text.
HRESULT ComposeLine(const DecorationData& data, LanguageLibrary& languages, std::u16string* text);
