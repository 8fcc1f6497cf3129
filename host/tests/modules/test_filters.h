// Class identifiers of the test filter module (libtavtestfilters.so), a
// module built only for the host's tests. Its filters implement
// IPrintPipelineFilter directly over the pipeline interfaces.
#pragma once

#include "platform/guid.h"

// Copies every part from provider to consumer.
constexpr CLSID CLSID_TestPassThrough = {0x7E57F117, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x01}};
// Asks the pipeline to shut down (E_FAIL) before reading anything.
constexpr CLSID CLSID_TestFailAtStart = {0x7E57F117, 0x0002, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x02}};
// Reads one part, waits a little (so that the filters after it are waiting
// on their providers), then asks the pipeline to shut down (E_FAIL).
constexpr CLSID CLSID_TestFailLater = {0x7E57F117, 0x0003, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x03}};
// Passes every part on, rewriting each page's markup through its write
// stream, and adds a page at the end of the last document: new markup, a
// new print ticket, and the first page's resources.
#define TEST_ADDED_PAGE_NAME u"/Added/added_page.fpage"
#define TEST_ADDED_TICKET_NAME u"/Added/added_ticket.xml"
constexpr CLSID CLSID_TestAddPage = {0x7E57F117, 0x0004, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x04}};
// Passes on the XPS document, the sequence and the documents but drops
// every page.
constexpr CLSID CLSID_TestDropPages = {0x7E57F117, 0x0005, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x05}};

// Reads two parts, closes its sender and ends with S_OK: a filter that
// stops early while the one before it still sends.
constexpr CLSID CLSID_TestStopEarly = {0x7E57F117, 0x0006, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x06}};

// Passes every part on after logging what the spooler says through the
// property bag's PrinterHandle and PrintJobId: "spooler job DOCUMENT|USER|
// YYYY-MM-DD", "spooler config FILE" and "spooler month NAME" (the third
// month's name from the language library found beside the configuration
// file, by LangDllName64 and the month run of DataTimeID).
constexpr CLSID CLSID_TestReportSpooler = {0x7E57F117, 0x0007, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x07}};

// Writes the printer stream instead of XPS parts (a chain's last filter,
// output = stream): "page N" and a line break for each page it reads, each
// reported to the property bag's ProgressReport once written.
constexpr CLSID CLSID_TestWriteStream = {0x7E57F117, 0x0008, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x08}};

// Each filter appends lines ("<tag> started", "<tag> shutdown",
// "<tag> ended <hresult>") to the file named by the property "TestLog".
