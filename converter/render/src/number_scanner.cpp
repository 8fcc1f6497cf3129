#include "number_scanner.h"

#include <charconv>
#include <cmath>

namespace tav::render {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void NumberScanner::SkipSpace()
{
    while (position_ < text_.size() && IsSpace(text_[position_])) ++position_;
}

bool NumberScanner::SkipSeparator()
{
    SkipSpace();
    if (position_ < text_.size() && text_[position_] == ',') {
        ++position_;
        SkipSpace();
        if (position_ < text_.size() && text_[position_] == ',') return false;
    }
    return true;
}

bool NumberScanner::AtEnd()
{
    SkipSpace();
    return position_ >= text_.size();
}

char NumberScanner::Peek()
{
    SkipSpace();
    return position_ < text_.size() ? text_[position_] : '\0';
}

bool NumberScanner::Number(double* value)
{
    SkipSpace();
    size_t end = position_;
    size_t digitsStart = end;
    if (end < text_.size() && (text_[end] == '+' || text_[end] == '-')) ++end;
    size_t mantissaStart = end;
    size_t digits = 0;
    while (end < text_.size() && IsDigit(text_[end])) ++end, ++digits;
    if (end < text_.size() && text_[end] == '.') {
        ++end;
        while (end < text_.size() && IsDigit(text_[end])) ++end, ++digits;
    }
    if (digits == 0) return false;
    if (end < text_.size() && (text_[end] == 'e' || text_[end] == 'E')) {
        size_t exponent = end + 1;
        if (exponent < text_.size() && (text_[exponent] == '+' || text_[exponent] == '-')) ++exponent;
        size_t exponentDigits = exponent;
        while (exponentDigits < text_.size() && IsDigit(text_[exponentDigits])) ++exponentDigits;
        if (exponentDigits > exponent) end = exponentDigits;
    }
    // from_chars takes no leading '+'; the sign is applied here.
    bool negative = text_[digitsStart] == '-';
    double parsed = 0;
    auto [last, error] = std::from_chars(text_.data() + mantissaStart, text_.data() + end, parsed);
    if (error != std::errc() || last != text_.data() + end || !std::isfinite(parsed)) return false;
    *value = negative ? -parsed : parsed;
    position_ = end;
    return true;
}

std::string NumberScanner::Where() const
{
    if (position_ >= text_.size()) return "at the end";
    return "at character " + std::to_string(position_ + 1);
}

}  // namespace tav::render
