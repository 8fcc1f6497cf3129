// Reads the numbers of a markup value one after the other: decimal numbers
// with an optional sign, fraction and exponent, separated by white space or
// by one comma with white space around it. Never reads past the text, never
// accepts "nan", "inf" or hexadecimal forms, and formats nothing, so the
// process locale plays no part.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tav::render {

class NumberScanner {
public:
    explicit NumberScanner(std::string_view text) : text_(text) {}

    // Skips white space and at most one comma; false when it met a second
    // comma, which then stays unread.
    bool SkipSeparator();
    void SkipSpace();
    bool AtEnd();
    // The next number, after SkipSeparator. False (nothing consumed) when the
    // next characters are not a number or the number is not finite.
    bool Number(double* value);
    // The next character without consuming it (after white space); '\0' at
    // the end.
    char Peek();
    void Advance() { ++position_; }
    size_t Position() const { return position_; }
    // "at character N" (1-based) or "at the end", for messages.
    std::string Where() const;

private:
    std::string_view text_;
    size_t position_ = 0;
};

}  // namespace tav::render
