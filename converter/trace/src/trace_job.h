// The recording converter's job: everything that lives longer than one
// page. libpcorectl.so makes it at PrnCtrlOpen and hands it out as the
// converter context; libpcoreconv.so, loaded afresh for every page, keeps
// nothing of its own and works on it. It holds data only (no pointer into
// libpcoreconv.so's code, which is unloaded after each page), so both
// libraries can be built from this header.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "converter/converter_interface.h"
#include "platform/devmode.h"
#include "platform/hresult.h"

namespace tav::trace {

struct TraceJob {
    // What the filter gave PrnCtrlOpen.
    ConverterWriteCallback write = nullptr;
    void* writeContext = nullptr;
    // The page TAV_TRACE_REFUSE_PAGE names (0: none).
    uint32_t refusePage = 0;
    // Pages begun (DevModeSet) and completed.
    uint32_t pages = 0;
    uint32_t pagesEnded = 0;
    // The first failing write; the converter refuses further work then.
    HRESULT writeResult = S_OK;
    // Lines not yet handed to the write callback.
    std::string pending;

    // A manual two-sided job (the DEVMODE's driver settings say so): each
    // even page is its back side, recorded into a file of its own in
    // secondPassFolder instead of the printer stream and reported with a
    // type-1 record once it ends.
    std::string secondPassFolder;
    std::string secondPassPath;  // the file of the page under way; empty for none
    int secondPassFile = -1;

    // The page under way.
    void* pageObject = nullptr;
    ConverterPartCallback font = nullptr;
    ConverterPartCallback colourProfile = nullptr;
    ConverterImageCallback image = nullptr;
    int depth = 0;
    bool pageRefused = false;
    uint64_t elements = 0;
    uint64_t attributes = 0;
    std::string currentElement;
    // Fonts, colour profiles and images fetched for the page ("font /x.ttf").
    std::set<std::string> fetched;
    // The Source of the ResourceDictionary element being read; once it ends,
    // a dictionary fed right after it has its names relative to that Source.
    std::string pendingSource;
    int pendingDepth = -1;
    std::string dictionaryBase;
    int dictionaryDepth = -1;

    // Starts a new page's state.
    void BeginPage();
};

// Appends one line (without its line break) to the pending output and
// writes it out once enough has gathered.
void AppendLine(TraceJob& job, std::string_view line);
// Hands the pending lines to the filter as one printer-data record, or
// writes them into the second-pass file of the page under way.
void Flush(TraceJob& job);

// Whether the DEVMODE (size bytes, its driver settings included) asks for
// a manual two-sided job.
bool IsManualDuplex(const DEVMODEW* devmode, uint32_t size);
// Records the page that begins, number page, into a new second-pass file;
// when none can be made it stays in the stream, with a warning.
void BeginSecondPassPage(TraceJob& job, uint32_t page);
// Closes the second-pass file of the page under way, if any, and reports
// it to the filter (type 1, the path in UTF-16 with its terminator).
void EndSecondPassPage(TraceJob& job);
// A record of another type (a warning, a refusal's reason), written at once
// after the pending lines.
void WriteRecord(TraceJob& job, uint8_t type, std::string_view payload);

}  // namespace tav::trace
