// The job options of one request: each option's value, from the command
// line, implied by another option, or the default.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "option_table.h"

namespace tav::options {

class JobRequest {
public:
    JobRequest();

    // Sets an option from the command line (a later setting replaces an
    // earlier one). False and *error, naming the option and listing what it
    // accepts, when the name or the value is not accepted.
    bool Set(std::string_view name, std::string_view value, std::string* error);

    // Sets an option that another option implies; value must be accepted.
    void Imply(OptionId id, std::string_view value);
    // Forgets an option that has no effect: it goes back to its default.
    void Ignore(OptionId id);

    bool Given(OptionId id) const;     // from the command line or implied
    bool Explicit(OptionId id) const;  // from the command line
    bool GroupGiven(TicketGroup group) const;

    // The value (given, implied or default); alternative is null for an
    // option without default that was not given.
    const ParsedValue& Value(OptionId id) const;
    // The keyword or argument form chosen; only for options with a value.
    const Alternative& Choice(OptionId id) const;
    // The value as typed, or the default.
    const std::string& Text(OptionId id) const;

private:
    enum class Source { Default, CommandLine, Implied };
    struct Slot {
        ParsedValue value;
        std::string text;
        Source source = Source::Default;
    };

    void Reset(OptionId id);

    std::vector<Slot> slots_;
};

// The message for a value an option does not accept.
std::string ValueError(const OptionSpec& spec, std::string_view value, const std::string& problem);

}  // namespace tav::options
