// The job options parser: `-o` strings ("booklet mirror=width
// number-up=4", quoted values included) split into settings and turned
// into a job ticket, over no base ticket or, after a NUL byte, over the
// base ticket that follows (tavpipe's --ticket). A ticket it makes must be
// one the ticket summary reads back.
#include <cstdio>

#include "fuzz_support.h"
#include "job_options.h"
#include "option_settings.h"
#include "ticket_summary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tav::fuzz::EnsureComApartment();
    auto [text, base] = tav::fuzz::SplitAtNul(data, size);
    std::vector<std::pair<std::string, std::string>> options;
    std::string error;
    // Each line is one -o argument.
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        if (!tav::options::SplitOptionSettings(text.substr(start, end - start), &options, &error)) return 0;
        start = end + 1;
    }
    std::string ticket;
    std::vector<std::string> warnings;
    if (!BuildJobTicket(options, std::string(base), &ticket, &warnings, &error)) return 0;
    if (ticket.empty()) {
        std::fprintf(stderr, "fuzz: the options were accepted but made no ticket\n");
        __builtin_trap();
    }
    TicketSettingsInOptionNames(ticket);
    return 0;
}
