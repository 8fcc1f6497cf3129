// How a CUPS job's options become the job options of the chain: the job's
// own options (argv[5]) over the queue's PPD defaults, the PPD's standard
// keywords (PageSize, Duplex) turned into the option names the chain uses,
// "Custom." values of custom PPD options unwrapped, and the output language
// chosen from the type the queue wants at the end of its filters.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tav::cups {

using OptionList = std::vector<std::pair<std::string, std::string>>;

// "pdf" for application/vnd.cups-pdf and application/pdf, "pwg" for
// image/pwg-raster; nothing for any other type (parameters after ';' and
// case are ignored, as in MIME).
std::optional<std::string> OutputFormatForContentType(std::string_view contentType);

// The "*DefaultNAME: VALUE" lines of a PPD, in file order. Lines that are
// not defaults, or whose value is not a single keyword, are skipped.
OptionList ReadPpdDefaults(std::istream& ppd);

// The PPD choices of Duplex and the sides values they stand for.
std::optional<std::string_view> SidesOfDuplexChoice(std::string_view choice);

struct JobOptions {
    OptionList options;                // what the chain is given, each name once
    std::vector<std::string> ignored;  // names the chain does not know (CUPS's own attributes)
};

// The options of the job: every job option the chain knows, then every PPD
// default of an option the job does not set. A value that is the option's
// own default, or "None" for one that has none (the PPD's choice for "not
// given"), is left out: the scheduler adds the queue's
// defaults (number-up=1, sides=one-sided) to every job, and they must not
// override what other options imply (booklet implies 2-up, two-sided).
// PageSize, Duplex and Resolution stand for media, sides and
// printer-resolution; a job option wins over its PPD keyword. A value "Custom.TEXT" of a custom PPD option is TEXT.
// output-format is never taken from the job: the queue decides it.
JobOptions MergeJobOptions(const OptionList& job, const OptionList& ppdDefaults);

}  // namespace tav::cups
