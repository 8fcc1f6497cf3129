#include "opc/page_schema/geometry_syntax.h"

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

}  // namespace

std::optional<GeometrySyntaxError> CheckAbbreviatedGeometry(std::string_view text, bool fillRuleAllowed)
{
    return GeometryScanner(text).Check(fillRuleAllowed);
}

}  // namespace tav::host::page_schema
