// Growable strings on the process heap, used to build markup, XPath
// expressions and part names.
//
// The buffer is one pointer to the first character, null until something is
// stored. The block starts 8 bytes before the first character with a 64-bit
// capacity counted in characters; the text is always zero-terminated.
// Growth: the first allocation takes capacity 128, and any request for a
// length not below the capacity doubles the capacity until it exceeds the
// length. Every failure raises CXDException.
#pragma once

#include <cstddef>
#include <type_traits>

#include "filtercore/errors.h"
#include "platform/types.h"

// Copies up to count characters of source, stopping early at a terminating
// zero, into destination (capacity characters) and terminates it; a null
// source or a count of 0 leaves an empty text. Raises E_INVALIDARG for a
// capacity of 0 or of 0x80000000 or more, or a count of 0x7FFFFFFF or more;
// HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER) before copying anything when
// the capacity is below the count, and, when the capacity equals the count
// and the text does not end earlier, after keeping count - 1 characters.
template <class CharT>
void BoundedCopy(CharT* destination, size_t capacity, const CharT* source, size_t count);

template <class CharT>
class HeapString {
public:
    static constexpr size_t kInitialCapacity = 128;

    HeapString() = default;
    HeapString(HeapString&& other) noexcept : text_(other.text_) { other.text_ = nullptr; }
    HeapString& operator=(HeapString&& other) noexcept;
    HeapString(const HeapString&) = delete;
    HeapString& operator=(const HeapString&) = delete;
    ~HeapString() { Free(); }

    // Room for length characters and the terminator.
    void Reserve(size_t length);
    // Replaces the text; a null text changes nothing.
    void Assign(const CharT* text);
    // Appends; a null text changes nothing.
    void Append(const CharT* text);
    // Appends to a text whose length the caller keeps (length must be the
    // current length) and returns the new length, so that a long text is
    // not measured again on every append. A null text changes nothing.
    size_t AppendAfter(size_t length, const CharT* text);
    // The same for count characters of text (which need no terminator).
    size_t AppendAfter(size_t length, const CharT* text, size_t count);
    // Assigns only when the texts differ; true when it did. Null: E_FAIL.
    bool AssignIfDifferent(const CharT* text);
    // Replaces the text with the formatted output (platform/wformat.h).
    // A null or malformed format raises E_INVALIDARG.
    void Format(const CharT* format, ...);

    // Index of the first occurrence of text at or after start, or -1 (null
    // text, start negative or beyond the length, no occurrence).
    ptrdiff_t Find(const CharT* text, ptrdiff_t start);
    // Removes count characters at position (negative values count as 0);
    // E_INVALIDARG when the range passes the end. Returns the new length.
    size_t Erase(ptrdiff_t position, ptrdiff_t count);
    // count characters from position; E_INVALIDARG for negative values or a
    // range beyond the end.
    HeapString Substring(ptrdiff_t position, ptrdiff_t count);
    // Replaces every non-overlapping occurrence, left to right, never
    // rescanning inserted text; returns the number replaced. A null
    // replacement removes the occurrences.
    size_t ReplaceAll(const CharT* text, const CharT* replacement);
    // Skips separators at *position, returns the text up to the next
    // separator or the end and moves *position past that separator (or to
    // the end). With nothing left: an empty token and *position = -1.
    // E_INVALIDARG for a negative position or an empty separator.
    HeapString NextToken(const CharT* separator, ptrdiff_t* position);

    // Converts wide text to the ANSI code page, replacing the text. Null or
    // empty gives an empty text; E_FAIL when not all of it converts.
    void FromWide(const WCHAR* text) requires std::is_same_v<CharT, char>;

    size_t Length() const;
    // 0 while the buffer is null.
    size_t Capacity() const;
    // The text, allocating an empty buffer first if there is none.
    const CharT* Text();
    // Null when nothing was ever stored.
    const CharT* Data() const { return text_; }

private:
    void Allocate() { Reserve(0); }
    void Free();

    CharT* text_ = nullptr;
};

using HeapWideString = HeapString<WCHAR>;
using HeapNarrowString = HeapString<char>;

extern template class HeapString<WCHAR>;
extern template class HeapString<char>;
extern template void BoundedCopy<WCHAR>(WCHAR*, size_t, const WCHAR*, size_t);
extern template void BoundedCopy<char>(char*, size_t, const char*, size_t);
