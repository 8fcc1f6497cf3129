// The text of the header/footer line: the job's date and time in the
// ticket's formats, with names from the driver's language library, and the
// identification. ComposeLine for a header/footer's DecorationData hands
// this what it holds.
#pragma once

#include <string>

#include "header_footer_settings.h"
#include "language_library.h"
#include "platform/pipeline.h"
#include "platform/system_time.h"

// What the line is composed from (all borrowed).
struct LineSources {
    HANDLE printer = nullptr;  // the spooler's printer handle
    SYSTEMTIME timeStamp{};    // the job's local submission time, or the page's
    const HeaderFooterSettings* settings = nullptr;
    const WCHAR* defaultUserName = nullptr;  // of the job information
    IPrintPipelinePropertyBag* propertyBag = nullptr;
};

// The line: the date, then the time and the identification, each after one
// blank when something precedes it. Only the date and time need the printer
// and the language library: it is the file LangDllName64 names beside the driver's
// configuration file (GetPrinterDriverW), else that file itself, with the
// names' identifiers from DataTimeID; languages loads it, or has it from a
// line before. The result is S_OK, or the first
// failure of finding the driver, loading the library or loading a date
// name. Without the driver or the library the text is empty; after a
// failed name it holds what could be composed, but the line is not to be
// printed. E_POINTER for null settings or text.
//
// A user name is taken from the job information only: this platform does
// not impersonate a user token to ask for its name.
HRESULT ComposeHeaderFooterLine(const LineSources& sources, LanguageLibrary& languages, std::u16string* text);

// The items in order, empty ones left out, joined by one blank.
std::u16string JoinLineItems(const std::u16string& date, const std::u16string& time, const std::u16string& id);
