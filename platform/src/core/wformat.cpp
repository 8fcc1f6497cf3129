// printf-style formatting for UTF-16 and 8-bit text, with '.' as the decimal
// point whatever the locale (numbers go through std::to_chars), and the
// matching number parsers.
#include "platform/wformat.h"

#include "utf8.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace {

template <class Char>
struct Spec {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool zero = false;
    bool alternate = false;
    int width = 0;
    int precision = -1;
    enum Length { kDefault, kChar, kShort, kLong, kLongLong, kSize } length = kDefault;
    bool wideString = false;    // %ls / %ws
    bool narrowString = false;  // %hs
};

template <class Out>
void Pad(Out& out, int count, typename Out::value_type fill)
{
    if (count > 0) out.append(static_cast<size_t>(count), fill);
}

// Appends 8-bit text (digits, signs, "(null)") as characters of the output.
template <class Out>
void AppendAscii(Out& out, const char* text, size_t length)
{
    for (size_t i = 0; i < length; ++i) out.push_back(static_cast<typename Out::value_type>(text[i]));
}

template <class Out, class Char>
void EmitPadded(Out& out, const Spec<Char>& spec, const std::string& sign, const std::string& prefix,
                const std::string& digits)
{
    int length = static_cast<int>(sign.size() + prefix.size() + digits.size());
    int padding = spec.width > length ? spec.width - length : 0;
    if (!spec.left && !spec.zero) Pad(out, padding, ' ');
    AppendAscii(out, sign.data(), sign.size());
    AppendAscii(out, prefix.data(), prefix.size());
    if (!spec.left && spec.zero) Pad(out, padding, '0');
    AppendAscii(out, digits.data(), digits.size());
    if (spec.left) Pad(out, padding, ' ');
}

template <class Out, class Char>
void EmitInteger(Out& out, Spec<Char> spec, bool negative, unsigned long long magnitude, int base, bool upper)
{
    char buffer[72];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, base);
    std::string digits(buffer, result.ptr);
    if (upper)
        for (char& c : digits) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (spec.precision >= 0) {
        spec.zero = false;
        if (spec.precision == 0 && magnitude == 0) digits.clear();
        if (static_cast<int>(digits.size()) < spec.precision)
            digits.insert(0, static_cast<size_t>(spec.precision) - digits.size(), '0');
    }
    std::string sign = negative ? "-" : spec.plus ? "+" : spec.space ? " " : "";
    std::string prefix;
    if (spec.alternate && magnitude != 0) {
        if (base == 16) prefix = upper ? "0X" : "0x";
        if (base == 8 && (digits.empty() || digits[0] != '0')) prefix = "0";
    }
    EmitPadded(out, spec, sign, prefix, digits);
}

template <class Out, class Char>
void EmitFloat(Out& out, Spec<Char> spec, double value, char conversion)
{
    bool upper = conversion >= 'A' && conversion <= 'Z';
    bool negative = std::signbit(value);
    double magnitude = std::fabs(value);
    std::string digits;
    if (std::isnan(value)) {
        digits = upper ? "NAN" : "nan";
        spec.zero = false;
    } else if (std::isinf(value)) {
        digits = upper ? "INF" : "inf";
        spec.zero = false;
    } else {
        int precision = spec.precision < 0 ? 6 : spec.precision;
        std::chars_format format = std::chars_format::fixed;
        char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(conversion)));
        if (lower == 'e') format = std::chars_format::scientific;
        if (lower == 'g') {
            format = std::chars_format::general;
            if (precision == 0) precision = 1;
        }
        char buffer[512];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, format, precision);
        if (result.ec != std::errc()) {
            digits = "?";
        } else {
            digits.assign(buffer, result.ptr);
        }
        if (spec.alternate && precision == 0 && lower == 'f') digits.push_back('.');
        if (upper)
            for (char& c : digits) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    std::string sign = negative ? "-" : spec.plus ? "+" : spec.space ? " " : "";
    EmitPadded(out, spec, sign, std::string(), digits);
}

template <class Out, class Text>
void EmitString(Out& out, const Text* text, int precision, int width, bool left)
{
    using OutChar = typename Out::value_type;
    Out converted;
    if (text == nullptr) {
        AppendAscii(converted, "(null)", 6);
    } else if constexpr (sizeof(Text) == sizeof(OutChar)) {
        size_t length = 0;
        while (text[length] != 0 && (precision < 0 || length < static_cast<size_t>(precision))) ++length;
        converted.assign(reinterpret_cast<const OutChar*>(text), length);
        precision = -1;
    } else if constexpr (sizeof(Text) == 1) {
        converted = Utf8ToWide(reinterpret_cast<const char*>(text), std::strlen(reinterpret_cast<const char*>(text)));
    } else {
        converted = WideToUtf8(reinterpret_cast<const WCHAR*>(text));
    }
    if (precision >= 0 && converted.size() > static_cast<size_t>(precision))
        converted.resize(static_cast<size_t>(precision));
    int padding = width - static_cast<int>(converted.size());
    if (!left) Pad(out, padding, ' ');
    out.append(converted);
    if (left) Pad(out, padding, ' ');
}

// Formats into out; false for a malformed format.
template <class Char>
bool FormatInto(std::basic_string<Char>& out, const Char* format, va_list args)
{
    using Out = std::basic_string<Char>;
    static_assert(sizeof(Char) == 1 || sizeof(Char) == 2);
    constexpr bool kWide = sizeof(Char) == 2;
    if (format == nullptr) return false;
    for (const Char* p = format; *p != 0; ++p) {
        if (*p != '%') {
            out.push_back(*p);
            continue;
        }
        ++p;
        if (*p == '%') {
            out.push_back('%');
            continue;
        }
        Spec<Char> spec;
        for (;; ++p) {
            if (*p == '-')
                spec.left = true;
            else if (*p == '+')
                spec.plus = true;
            else if (*p == ' ')
                spec.space = true;
            else if (*p == '0')
                spec.zero = true;
            else if (*p == '#')
                spec.alternate = true;
            else
                break;
        }
        if (*p == '*') {
            spec.width = va_arg(args, int);
            if (spec.width < 0) {
                spec.left = true;
                spec.width = -spec.width;
            }
            ++p;
        } else {
            while (*p >= '0' && *p <= '9') {
                if (spec.width > 100000) return false;
                spec.width = spec.width * 10 + (*p++ - '0');
            }
        }
        if (*p == '.') {
            ++p;
            spec.precision = 0;
            if (*p == '*') {
                spec.precision = va_arg(args, int);
                if (spec.precision < 0) spec.precision = -1;
                ++p;
            } else {
                while (*p >= '0' && *p <= '9') {
                    if (spec.precision > 100000) return false;
                    spec.precision = spec.precision * 10 + (*p++ - '0');
                }
            }
        }
        if (*p == 'h') {
            ++p;
            if (*p == 'h') {
                spec.length = Spec<Char>::kChar;
                ++p;
            } else if (*p == 's') {
                spec.narrowString = true;
            } else {
                spec.length = Spec<Char>::kShort;
            }
        } else if (*p == 'l') {
            ++p;
            if (*p == 'l') {
                spec.length = Spec<Char>::kLongLong;
                ++p;
            } else {
                spec.length = Spec<Char>::kLong;
                spec.wideString = true;
            }
        } else if (*p == 'w') {
            spec.wideString = true;
            ++p;
        } else if (*p == 'z') {
            spec.length = Spec<Char>::kSize;
            ++p;
        } else if (*p == 'I' && p[1] == '6' && p[2] == '4') {
            spec.length = Spec<Char>::kLongLong;
            p += 3;
        }
        switch (*p) {
        case 'd':
        case 'i': {
            long long value;
            switch (spec.length) {
            case Spec<Char>::kLongLong: value = va_arg(args, long long); break;
            case Spec<Char>::kLong: value = va_arg(args, long); break;
            case Spec<Char>::kSize: value = va_arg(args, ptrdiff_t); break;
            case Spec<Char>::kShort: value = static_cast<short>(va_arg(args, int)); break;
            case Spec<Char>::kChar: value = static_cast<signed char>(va_arg(args, int)); break;
            default: value = va_arg(args, int); break;
            }
            unsigned long long magnitude =
                value < 0 ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
            EmitInteger(out, spec, value < 0, magnitude, 10, false);
            break;
        }
        case 'u':
        case 'x':
        case 'X':
        case 'o': {
            unsigned long long value;
            switch (spec.length) {
            case Spec<Char>::kLongLong: value = va_arg(args, unsigned long long); break;
            case Spec<Char>::kLong: value = va_arg(args, unsigned long); break;
            case Spec<Char>::kSize: value = va_arg(args, size_t); break;
            case Spec<Char>::kShort: value = static_cast<unsigned short>(va_arg(args, unsigned)); break;
            case Spec<Char>::kChar: value = static_cast<unsigned char>(va_arg(args, unsigned)); break;
            default: value = va_arg(args, unsigned); break;
            }
            int base = *p == 'u' ? 10 : *p == 'o' ? 8 : 16;
            EmitInteger(out, spec, false, value, base, *p == 'X');
            break;
        }
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G': EmitFloat(out, spec, va_arg(args, double), static_cast<char>(*p)); break;
        case 'c': {
            Char c = static_cast<Char>(va_arg(args, int));
            Out single(1, c);
            int padding = spec.width - 1;
            if (!spec.left) Pad(out, padding, ' ');
            out.append(single);
            if (spec.left) Pad(out, padding, ' ');
            break;
        }
        case 's':
        case 'S': {
            // Which kind of string the argument is.
            bool argumentIsWide = kWide ? !spec.narrowString : spec.wideString;
            if (*p == 'S') argumentIsWide = !kWide;
            if (argumentIsWide)
                EmitString(out, va_arg(args, const WCHAR*), spec.precision, spec.width, spec.left);
            else
                EmitString(out, va_arg(args, const char*), spec.precision, spec.width, spec.left);
            break;
        }
        case 'p': {
            auto value = reinterpret_cast<uintptr_t>(va_arg(args, void*));
            spec.alternate = true;
            EmitInteger(out, spec, false, value, 16, false);
            break;
        }
        default: return false;
        }
    }
    return true;
}

template <class Char>
int FormatBuffer(Char* out, size_t capacity, const Char* format, va_list args)
{
    std::basic_string<Char> text;
    if (!FormatInto(text, format, args)) return -1;
    if (text.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return -1;
    if (out != nullptr && capacity > 0) {
        size_t copied = text.size() < capacity ? text.size() : capacity - 1;
        std::memcpy(out, text.data(), copied * sizeof(Char));
        out[copied] = 0;
    }
    return static_cast<int>(text.size());
}

bool IsSpace(WCHAR c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Moves p past leading white space and one sign, as strtod and strtoll do;
// true when the sign was a minus.
bool SkipSpaceAndSign(const WCHAR*& p)
{
    while (IsSpace(*p)) ++p;
    if (*p != '+' && *p != '-') return false;
    return *p++ == '-';
}

}  // namespace

int FormatWideV(WCHAR* out, size_t capacity, const WCHAR* format, va_list args)
{
    return FormatBuffer(out, capacity, format, args);
}

int FormatWide(WCHAR* out, size_t capacity, const WCHAR* format, ...)
{
    va_list args;
    va_start(args, format);
    int result = FormatWideV(out, capacity, format, args);
    va_end(args);
    return result;
}

int FormatNarrowV(char* out, size_t capacity, const char* format, va_list args)
{
    return FormatBuffer(out, capacity, format, args);
}

int CountFormatWideV(const WCHAR* format, va_list args) { return FormatBuffer<WCHAR>(nullptr, 0, format, args); }

int CountFormatNarrowV(const char* format, va_list args) { return FormatBuffer<char>(nullptr, 0, format, args); }

std::u16string FormatWideString(const WCHAR* format, ...)
{
    std::u16string text;
    va_list args;
    va_start(args, format);
    if (!FormatInto(text, format, args)) text.clear();
    va_end(args);
    return text;
}

std::string FormatNarrowString(const char* format, ...)
{
    std::string text;
    va_list args;
    va_start(args, format);
    if (!FormatInto(text, format, args)) text.clear();
    va_end(args);
    return text;
}

double WideToDouble(const WCHAR* text, const WCHAR** end)
{
    if (end != nullptr) *end = text;
    if (text == nullptr) return 0.0;
    const WCHAR* p = text;
    bool negative = SkipSpaceAndSign(p);
    // from_chars reads the longest number at the start of an 8-bit copy.
    std::string candidate;
    for (const WCHAR* q = p; *q != 0 && *q < 0x80 && candidate.size() < 1024; ++q)
        candidate.push_back(static_cast<char>(*q));
    if (candidate.empty() || candidate[0] == '-' || candidate[0] == '+') return 0.0;
    double value = 0.0;
    auto result =
        std::from_chars(candidate.data(), candidate.data() + candidate.size(), value, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) return 0.0;
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone where strtod gives HUGE_VAL or 0.
        size_t exponent = candidate.find_first_of("eE");
        bool tiny = exponent != std::string::npos && exponent + 1 < candidate.size() && candidate[exponent + 1] == '-';
        value = tiny ? 0.0 : HUGE_VAL;
    }
    if (end != nullptr) *end = p + (result.ptr - candidate.data());
    return negative ? -value : value;
}

long long WideToInteger(const WCHAR* text, const WCHAR** end)
{
    if (end != nullptr) *end = text;
    if (text == nullptr) return 0;
    const WCHAR* p = text;
    bool negative = SkipSpaceAndSign(p);
    if (!(*p >= '0' && *p <= '9')) return 0;
    unsigned long long magnitude = 0;
    bool overflow = false;
    constexpr unsigned long long kLimit = static_cast<unsigned long long>(std::numeric_limits<long long>::max()) + 1;
    while (*p >= '0' && *p <= '9') {
        unsigned digit = static_cast<unsigned>(*p - '0');
        if (magnitude > (kLimit - digit) / 10) overflow = true;
        if (!overflow) magnitude = magnitude * 10 + digit;
        ++p;
    }
    if (end != nullptr) *end = p;
    if (overflow || (!negative && magnitude == kLimit))
        return negative ? std::numeric_limits<long long>::min() : std::numeric_limits<long long>::max();
    return negative ? static_cast<long long>(0ull - magnitude) : static_cast<long long>(magnitude);
}

size_t WideLength(const WCHAR* text)
{
    if (text == nullptr) return 0;
    size_t length = 0;
    while (text[length] != 0) ++length;
    return length;
}

int WideCompare(const WCHAR* a, const WCHAR* b)
{
    static const WCHAR kEmpty[] = u"";
    if (a == nullptr) a = kEmpty;
    if (b == nullptr) b = kEmpty;
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a < *b ? -1 : *a > *b ? 1 : 0;
}

std::u16string Utf8ToWide(const char* text, size_t length)
{
    std::u16string wide;
    if (text == nullptr || length == 0) return wide;
    wide.reserve(length);
    auto* p = reinterpret_cast<const unsigned char*>(text);
    auto* end = p + length;
    while (p < end) {
        char32_t c = utf8::Decode(p, end);
        utf8::AppendUtf16(wide, c == utf8::kInvalid ? 0xFFFD : c);
    }
    return wide;
}

std::u16string Utf8ToWide(const std::string& text) { return Utf8ToWide(text.data(), text.size()); }

namespace {

// Eight UTF-16 units and eight bytes, converted into each other at once.
using WideBlock = uint16_t __attribute__((vector_size(16)));
using ByteBlock = uint8_t __attribute__((vector_size(8)));

}  // namespace

size_t WideToUtf8Into(const WCHAR* text, size_t length, char* bytes)
{
    char* out = bytes;
    size_t i = 0;
    while (i < length) {
        // Markup is mostly ASCII: copy runs of eight ASCII units at a time,
        // narrowed all at once.
        while (length - i >= 8) {
            WideBlock units;
            std::memcpy(&units, text + i, sizeof units);
            uint64_t halves[2];
            std::memcpy(halves, &units, sizeof halves);
            if (((halves[0] | halves[1]) & 0xFF80FF80FF80FF80ull) != 0) break;
            ByteBlock bytes = __builtin_convertvector(units, ByteBlock);
            std::memcpy(out, &bytes, sizeof bytes);
            out += 8;
            i += 8;
        }
        if (i == length) break;
        char32_t c = text[i++];
        if (c < 0x80) {
            *out++ = static_cast<char>(c);
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i < length && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x800) {
            *out++ = static_cast<char>(0xC0 | (c >> 6));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *out++ = static_cast<char>(0xE0 | (c >> 12));
            *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *out++ = static_cast<char>(0xF0 | (c >> 18));
            *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return static_cast<size_t>(out - bytes);
}

std::string WideToUtf8(const WCHAR* text, size_t length)
{
    std::string bytes;
    if (text == nullptr || length == 0) return bytes;
    // No UTF-16 unit takes more than three bytes (a pair takes four for
    // two): the bytes are written straight into a buffer of that size,
    // which is cut to what was written, rather than appended one by one.
    if (length > bytes.max_size() / 3) throw std::length_error("text too long to convert");
    bytes.resize(length * 3);
    bytes.resize(WideToUtf8Into(text, length, bytes.data()));
    return bytes;
}

std::string WideToUtf8(const std::u16string& text) { return WideToUtf8(text.data(), text.size()); }

std::string WideToUtf8(const WCHAR* text) { return WideToUtf8(text, WideLength(text)); }
