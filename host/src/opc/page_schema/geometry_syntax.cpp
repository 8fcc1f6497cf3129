#include "opc/page_schema/geometry_syntax.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "opc/page_schema/number_scan.h"

namespace tav::host::page_schema {
namespace {

class GeometryScanner {
public:
    explicit GeometryScanner(std::string_view text) : begin_(text.data()), p_(begin_), end_(begin_ + text.size()) {}

    std::optional<GeometrySyntaxError> Check(bool fillRuleAllowed)
    {
        p_ = SkipBlanks(p_, end_);
        if (p_ != end_ && *p_ == 'F') {
            if (!fillRuleAllowed) return Error("a fill rule (F) is not allowed here");
            p_ = SkipBlanks(p_ + 1, end_);
            if (p_ == end_ || (*p_ != '0' && *p_ != '1')) return Error("F is not followed by 0 or 1");
            ++p_;
        }
        bool figureStarted = false;
        for (p_ = SkipBlanks(p_, end_); p_ != end_; p_ = SkipBlanks(p_, end_)) {
            char command = *p_;
            if (command == 'F') return Error("a fill rule (F) may only begin the geometry");
            if (!figureStarted && command != 'M' && command != 'm') {
                return Error("the geometry does not begin with a move (M)");
            }
            const char* commandAt = p_++;
            bool read = true;
            switch (command) {
            case 'M':
            case 'm':
                figureStarted = true;
                // Further points after a move are lines.
                read = Repeated(2);
                break;
            case 'L':
            case 'l': read = Repeated(2); break;
            case 'H':
            case 'h':
            case 'V':
            case 'v': read = Repeated(1); break;
            case 'C':
            case 'c': read = Repeated(6); break;
            case 'Q':
            case 'q':
            case 'S':
            case 's': read = Repeated(4); break;
            case 'A':
            case 'a': read = Arcs(); break;
            case 'Z':
            case 'z': break;
            default: p_ = commandAt; return Error("this is no geometry command");
            }
            if (!read) return failure_;
        }
        return std::nullopt;
    }

private:
    GeometrySyntaxError Error(const char* reason)
    {
        return failure_ = GeometrySyntaxError{static_cast<size_t>(p_ - begin_), reason};
    }

    bool Malformed(const char* at)
    {
        p_ = at;
        Error("a number is missing or malformed");
        return false;
    }

    // Whether another group of parameters follows (the command repeated
    // without its letter); moves past the blanks before it.
    static bool GroupFollows(const char** p, const char* end)
    {
        *p = SkipBlanks(*p, end);
        return *p != end && ClassOf(**p) != kBlankChar && ClassOf(**p) != kOtherChar;
    }

    // Groups of count numbers, at least one group; a comma may stand
    // before every number but the command's first.
    bool Repeated(int count)
    {
        const char* p = p_;
        const char* end = end_;
        bool first = true;
        int left = count;
        for (;;) {
            p = SkipBlanks(p, end);
            if (!first && p != end && *p == ',') p = SkipBlanks(p + 1, end);
            first = false;
            const char* number = ScanNumber(p, end);
            if (number == nullptr) return Malformed(p);
            p = number;
            if (--left == 0) {
                if (!GroupFollows(&p, end)) break;
                left = count;
            }
        }
        p_ = p;
        return true;
    }

    // One number after blanks and, unless first, a comma; *negative tells
    // a number below 0 when asked for.
    bool Number(bool first, bool* negative = nullptr)
    {
        const char* p = SkipBlanks(p_, end_);
        if (!first && p != end_ && *p == ',') p = SkipBlanks(p + 1, end_);
        const char* number = ScanNumber(p, end_);
        if (number == nullptr) return Malformed(p);
        if (negative != nullptr) *negative = IsNegativeNumber(p, number);
        p_ = number;
        return true;
    }

    bool Flag()
    {
        p_ = SkipBlanks(p_, end_);
        if (p_ != end_ && *p_ == ',') p_ = SkipBlanks(p_ + 1, end_);
        if (p_ == end_ || (*p_ != '0' && *p_ != '1')) {
            Error("an arc's flag is neither 0 nor 1");
            return false;
        }
        ++p_;
        return true;
    }

    // Size (x,y >= 0), rotation angle, large-arc flag, sweep flag, end point.
    bool Arcs()
    {
        bool first = true;
        do {
            bool negativeWidth = false, negativeHeight = false;
            const char* sizeAt = p_;
            if (!Number(first, &negativeWidth) || !Number(false, &negativeHeight)) return false;
            if (negativeWidth || negativeHeight) {
                p_ = SkipBlanks(sizeAt, end_);
                Error("an arc's size is negative");
                return false;
            }
            if (!Number(false) || !Flag() || !Flag() || !Number(false) || !Number(false)) return false;
            first = false;
        } while (GroupFollows(&p_, end_));
        return true;
    }

    const char* begin_;
    const char* p_;
    const char* end_;
    GeometrySyntaxError failure_{0, nullptr};
};

// The quick look reads a copy of the text ended by a NUL, which ends
// every loop without a bound to compare.
constexpr size_t kPlainLongest = 512;

// The numbers each command takes; -1 for those the quick look leaves to
// the careful check (arcs) and for characters that are no command.
constexpr std::array<int8_t, 256> kPlainArity = [] {
    std::array<int8_t, 256> table{};
    table.fill(-1);
    for (char c : std::string_view("MmLl")) table[static_cast<unsigned char>(c)] = 2;
    for (char c : std::string_view("HhVv")) table[static_cast<unsigned char>(c)] = 1;
    for (char c : std::string_view("Cc")) table[static_cast<unsigned char>(c)] = 6;
    for (char c : std::string_view("QqSs")) table[static_cast<unsigned char>(c)] = 4;
    for (char c : std::string_view("Zz")) table[static_cast<unsigned char>(c)] = 0;
    return table;
}();

inline bool IsDecimalDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

inline const char* SkipEndedBlanks(const char* p)
{
    while (IsBlankChar(*p)) ++p;
    return p;
}

// A number at p, in NUL-ended text: its end, or null. The form is
// ScanNumber's.
inline const char* EndedNumber(const char* p)
{
    if (*p == '-' || *p == '+') ++p;
    const char* digits = p;
    while (IsDecimalDigit(*p)) ++p;
    if (*p == '.') {
        const char* fraction = ++p;
        while (IsDecimalDigit(*p)) ++p;
        if (p == fraction) return nullptr;
    } else if (p == digits) {
        return nullptr;
    }
    if ((*p | 0x20) == 'e') {
        ++p;
        if (*p == '-' || *p == '+') ++p;
        const char* exponent = p;
        while (IsDecimalDigit(*p)) ++p;
        if (p == exponent) return nullptr;
    }
    return p;
}

}  // namespace

bool IsPlainValidGeometry(std::string_view text, bool fillRuleAllowed)
{
    if (text.size() > kPlainLongest) return false;
    char copy[kPlainLongest + 1];
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    const char* end = copy + text.size();
    const char* p = SkipEndedBlanks(copy);
    if (*p == 'F') {
        if (!fillRuleAllowed) return false;
        p = SkipEndedBlanks(p + 1);
        if (*p != '0' && *p != '1') return false;
        p = SkipEndedBlanks(p + 1);
    }
    if (*p == '\0') return p == end;
    if (*p != 'M' && *p != 'm') return false;
    for (;;) {
        int arity = kPlainArity[static_cast<unsigned char>(*p)];
        if (arity < 0) return false;
        p = SkipEndedBlanks(p + 1);
        if (arity > 0) {
            // The first number, which no comma precedes; then the rest of
            // the group and as many more groups as follow.
            p = EndedNumber(p);
            if (p == nullptr) return false;
            for (int left = arity - 1;; --left) {
                p = SkipEndedBlanks(p);
                if (left == 0) {
                    char c = *p;
                    if (!IsDecimalDigit(c) && c != '-' && c != '+' && c != '.' && c != ',') break;
                    left = arity;
                }
                if (*p == ',') p = SkipEndedBlanks(p + 1);
                p = EndedNumber(p);
                if (p == nullptr) return false;
            }
        }
        if (*p == '\0') return p == end;
    }
}

std::optional<GeometrySyntaxError> CheckAbbreviatedGeometry(std::string_view text, bool fillRuleAllowed)
{
    return GeometryScanner(text).Check(fillRuleAllowed);
}

}  // namespace tav::host::page_schema
