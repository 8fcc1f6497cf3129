// The lines a CUPS filter writes on standard error: "PREFIX: text", one
// line each, which the scheduler logs and shows as the job's state.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tav::cups {

// "PREFIX: text" with every control character of text (a newline would
// start a line the scheduler reads on its own) made a blank.
std::string MessageLine(std::string_view prefix, std::string_view text);

// Writes MessageLine(prefix, text) and a newline to standard error.
void Message(std::string_view prefix, std::string_view text);

// A job's failure message names the file the chain read: the scheduler's
// spool file, or "standard input". For users it names the document: the
// leading "INPUT: " becomes "TITLE: " (when there is a title).
std::string NameDocumentInMessage(std::string_view message, std::string_view input, std::string_view title);

// "PAGE: N 1": one more page reached the output.
void PageMessage(uint64_t page);

// The whole percent of total that done is, 0 to 100; 0 while the total is
// not known.
int ProgressPercent(uint64_t done, uint64_t total);

// The job id of argv[1]: a decimal number from 1 to 2^31 - 1.
std::optional<uint32_t> ParseJobId(std::string_view text);

}  // namespace tav::cups
