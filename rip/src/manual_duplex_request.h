// The texts of a manual two-sided job's start: the argument string that
// names the manual duplex program and the file list ("%d %s %s": the
// program name's length in characters, the name, the list's path), the
// asynchronous print UI request document that carries it to
// StartManualDuplex, and the argument string taken apart again there.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tav::rip {

// The longest argument string, and the longest request document, in
// characters (without the terminator).
constexpr size_t kMaxManualDuplexArguments = 259;
constexpr size_t kMaxManualDuplexRequest = 1024;

// The argument string; none when it would be longer than 259 characters,
// which would cut the list's path.
std::optional<std::u16string> ManualDuplexArguments(std::u16string_view program, std::u16string_view listPath);

// The request document naming TAVRIP.DLL's StartManualDuplex with the
// arguments as the text of customUI (escaped); none when it would be longer
// than 1024 characters.
std::optional<std::u16string> ManualDuplexRequest(std::u16string_view arguments);

struct ManualDuplexCall {
    std::u16string program;
    std::u16string listPath;
    bool operator==(const ManualDuplexCall&) const = default;
};

// The program name and list path of an argument string. The stated length
// is checked against the string: none when it is not a decimal number, or
// when the name it states would run past the string or is not followed by
// a blank and a path.
std::optional<ManualDuplexCall> ParseManualDuplexArguments(std::u16string_view arguments);

}  // namespace tav::rip
