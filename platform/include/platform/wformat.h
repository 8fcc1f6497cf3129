// printf-style formatting and number parsing for UTF-16 and 8-bit text.
// Numbers are always written and read with '.' as the decimal point, whatever
// the process locale.
//
// Conversions: %d %i %u %x %X %o %c %s %f %F %e %E %g %G %p %% with the flags
// "-+ 0#", a width and a precision (both may be '*'), and the length
// modifiers h, hh, l, ll, z, I64. In the wide formatter %s, %ls and %ws take
// a const char16_t* and %hs and %S a const char*; in the narrow one %s and %hs
// take a const char* and %ls, %ws and %S a const char16_t*. A null string
// prints as "(null)".
#pragma once

#include <cstdarg>
#include <string>

#include "platform/types.h"

// Writes at most capacity - 1 characters and a terminator (nothing when
// capacity is 0). Returns the length of the complete output, or -1 for a null
// or malformed format.
int FormatWideV(WCHAR* out, size_t capacity, const WCHAR* format, va_list args);
int FormatWide(WCHAR* out, size_t capacity, const WCHAR* format, ...);
int FormatNarrowV(char* out, size_t capacity, const char* format, va_list args);

// The length the complete output would have, or -1 as above.
int CountFormatWideV(const WCHAR* format, va_list args);
int CountFormatNarrowV(const char* format, va_list args);

std::u16string FormatWideString(const WCHAR* format, ...);
std::string FormatNarrowString(const char* format, ...);

// Parses a decimal floating-point number after optional white space and sign,
// as strtod does in the C locale; *end (optional) gets the first character
// not used (text itself when nothing was read, and the result is 0).
double WideToDouble(const WCHAR* text, const WCHAR** end);
// Parses a decimal integer after optional white space and sign; stops at the
// first non-digit; 0 when there is none. Out-of-range values saturate.
long long WideToInteger(const WCHAR* text, const WCHAR** end);

size_t WideLength(const WCHAR* text);             // 0 for null
int WideCompare(const WCHAR* a, const WCHAR* b);  // code-unit order; null as empty

// UTF-8 and UTF-16 conversion of whole strings for the platform's own use
// (invalid sequences become U+FFFD).
std::u16string Utf8ToWide(const char* text, size_t length);
std::u16string Utf8ToWide(const std::string& text);
std::string WideToUtf8(const WCHAR* text, size_t length);
// Converts into bytes, which must hold 3 * length bytes (the most a UTF-16
// unit takes); returns the bytes written. Unpaired surrogates become U+FFFD.
size_t WideToUtf8Into(const WCHAR* text, size_t length, char* bytes);
std::string WideToUtf8(const std::u16string& text);
std::string WideToUtf8(const WCHAR* text);  // null gives ""
