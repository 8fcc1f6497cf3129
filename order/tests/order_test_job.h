// Jobs for the Order filter's tests over the pipeline doubles: booklet
// tickets written by hand, jobs of numbered pages, and the order in which
// the pages reached the consumer.
#pragma once

#include <string>
#include <vector>

#include "platform/comobject.h"
#include "testsupport/pipeline_doubles.h"

namespace ordertest {

// The job-level duplex feature with an option ("psk:TwoSidedShortEdge") and,
// when given, its DuplexMode ("Manual").
std::string Duplex(const std::string& option, const std::string& mode = "");
// The job-level binding feature with an option ("psk:Booklet",
// "ns0000:BookletReverseFlip") and, when given, the booklet printing method
// ("ns0000:DivideIntoSets") nested in it.
std::string Binding(const std::string& option, const std::string& method = "");
// The private parameter of the sheets per booklet set.
std::string SheetsPerSet(int sheets);
// The private JobSettingData with a DivideCondition.
std::string DivideCondition(const std::string& value);
// A ticket with the default device's prefixes around the pieces.
std::string Ticket(const std::string& body);

// The first page is 500 x 700, every other one 816 x 1056, so that a
// padding page shows whose size it took.
inline constexpr char kFirstPageWidth[] = "500";
inline constexpr char kFirstPageHeight[] = "700";

struct JobShape {
    // Pages per document.
    std::vector<int> documents{1};
    std::string jobTicket;
    // Tickets of the first documents ("" for none).
    std::vector<std::string> documentTickets;
    // Tickets of the first pages of the job ("" for none).
    std::vector<std::string> pageTickets;
};

// The XPS document part, the sequence, then each document with its pages.
// Pages are numbered through the job: /Documents/<d>/Pages/<n>.fpage.
std::vector<ComPtr<IUnknown>> MakeJob(const JobShape& shape);
// The markup of page n (1 for the first page of the job).
std::string PageMarkup(int page);

// The pages sent, in order: the job's pages by number ("3"), padding pages
// (any other FixedPage) as "pad".
std::vector<std::string> SentPages(const testsupport::RecordingConsumer& consumer);
// The labels for a list of numbers, 0 standing for a padding page.
std::vector<std::string> Pages(const std::vector<int>& numbers);

}  // namespace ordertest
