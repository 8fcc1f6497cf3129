#include "opc/page_schema/geometry_syntax.h"

#include "opc/page_schema/value_syntax.h"

namespace tav::host::page_schema {
namespace {

class GeometryScanner {
public:
    explicit GeometryScanner(std::string_view text) : text_(text) {}

    std::optional<GeometrySyntaxError> Check(bool fillRuleAllowed)
    {
        SkipBlanks(text_, &at_);
        if (at_ < text_.size() && text_[at_] == 'F') {
            if (!fillRuleAllowed) return Error("a fill rule (F) is not allowed here");
            ++at_;
            SkipBlanks(text_, &at_);
            if (at_ >= text_.size() || (text_[at_] != '0' && text_[at_] != '1'))
                return Error("F is not followed by 0 or 1");
            ++at_;
        }
        bool figureStarted = false;
        for (SkipBlanks(text_, &at_); at_ < text_.size(); SkipBlanks(text_, &at_)) {
            char command = text_[at_];
            if (command == 'F') return Error("a fill rule (F) may only begin the geometry");
            size_t commandAt = at_;
            ++at_;
            if (!figureStarted && command != 'M' && command != 'm') {
                at_ = commandAt;
                return Error("the geometry does not begin with a move (M)");
            }
            switch (command) {
            case 'M':
            case 'm':
                figureStarted = true;
                // Further points after a move are lines.
                if (!Repeated(2)) return failure_;
                break;
            case 'L':
            case 'l':
                if (!Repeated(2)) return failure_;
                break;
            case 'H':
            case 'h':
            case 'V':
            case 'v':
                if (!Repeated(1)) return failure_;
                break;
            case 'C':
            case 'c':
                if (!Repeated(6)) return failure_;
                break;
            case 'Q':
            case 'q':
            case 'S':
            case 's':
                if (!Repeated(4)) return failure_;
                break;
            case 'A':
            case 'a':
                if (!Arcs()) return failure_;
                break;
            case 'Z':
            case 'z': break;
            default: at_ = commandAt; return Error("this is no geometry command");
            }
        }
        return std::nullopt;
    }

private:
    GeometrySyntaxError Error(const char* reason) { return failure_ = GeometrySyntaxError{at_, reason}; }

    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    static bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

    // After a group of parameters: whether another group follows (the
    // command repeated without its letter), blanks skipped.
    bool GroupFollows()
    {
        SkipBlanks(text_, &at_);
        if (at_ == text_.size()) return false;
        char c = text_[at_];
        return IsDigit(c) || c == ',' || c == '-' || c == '+' || c == '.';
    }

    // One number, read in place (this is most of a page's markup); first
    // says it is the first of its command, which no comma may precede.
    // negative, when asked for, tells a number below 0.
    bool Number(bool first, bool* negative = nullptr)
    {
        const char* begin = text_.data();
        const char* end = begin + text_.size();
        const char* p = begin + at_;
        while (p < end && IsBlank(*p)) ++p;
        if (!first && p < end && *p == ',') {
            ++p;
            while (p < end && IsBlank(*p)) ++p;
        }
        const char* start = p;
        if (p < end && (*p == '+' || *p == '-')) ++p;
        const char* digits = p;
        while (p < end && IsDigit(*p)) ++p;
        bool whole = p > digits;
        if (p < end && *p == '.') {
            const char* fraction = ++p;
            while (p < end && IsDigit(*p)) ++p;
            if (p == fraction) return Malformed(start);  // "1." is no number
        } else if (!whole) {
            return Malformed(start);
        }
        const char* mantissaEnd = p;
        if (p < end && (*p == 'e' || *p == 'E')) {
            ++p;
            if (p < end && (*p == '+' || *p == '-')) ++p;
            const char* exponent = p;
            while (p < end && IsDigit(*p)) ++p;
            if (p == exponent) return Malformed(start);
        }
        if (negative != nullptr) {
            // Below 0: a minus sign before a digit other than 0 ("-0" is 0).
            *negative = false;
            for (const char* q = start; *start == '-' && q < mantissaEnd; ++q)
                *negative = *negative || (*q >= '1' && *q <= '9');
        }
        at_ = static_cast<size_t>(p - begin);
        return true;
    }

    bool Malformed(const char* at)
    {
        at_ = static_cast<size_t>(at - text_.data());
        Error("a number is missing or malformed");
        return false;
    }

    // Groups of count numbers, at least one group.
    bool Repeated(int count)
    {
        bool first = true;
        do {
            for (int i = 0; i < count; ++i) {
                if (!Number(first && i == 0)) return false;
            }
            first = false;
        } while (GroupFollows());
        return true;
    }

    bool Flag(bool first)
    {
        SkipBlanks(text_, &at_);
        if (!first && at_ < text_.size() && text_[at_] == ',') {
            ++at_;
            SkipBlanks(text_, &at_);
        }
        if (at_ >= text_.size() || (text_[at_] != '0' && text_[at_] != '1')) {
            Error("an arc's flag is neither 0 nor 1");
            return false;
        }
        ++at_;
        return true;
    }

    // Size (x,y >= 0), rotation angle, large-arc flag, sweep flag, end point.
    bool Arcs()
    {
        bool first = true;
        do {
            bool negativeWidth = false, negativeHeight = false;
            size_t sizeAt = at_;
            if (!Number(first, &negativeWidth) || !Number(false, &negativeHeight)) return false;
            if (negativeWidth || negativeHeight) {
                at_ = sizeAt;
                SkipBlanks(text_, &at_);
                Error("an arc's size is negative");
                return false;
            }
            if (!Number(false) || !Flag(false) || !Flag(false) || !Number(false) || !Number(false)) return false;
            first = false;
        } while (GroupFollows());
        return true;
    }

    std::string_view text_;
    size_t at_ = 0;
    GeometrySyntaxError failure_{0, nullptr};
};

}  // namespace

std::optional<GeometrySyntaxError> CheckAbbreviatedGeometry(std::string_view text, bool fillRuleAllowed)
{
    return GeometryScanner(text).Check(fillRuleAllowed);
}

}  // namespace tav::host::page_schema
