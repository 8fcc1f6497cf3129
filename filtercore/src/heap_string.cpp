#include "filtercore/heap_string.h"

#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "platform/base.h"
#include "platform/wformat.h"

namespace {

// The capacity header in front of the characters.
constexpr size_t kHeaderBytes = 8;
constexpr size_t kMaxBoundedCapacity = 0x80000000u;
constexpr size_t kMaxBoundedCount = 0x7FFFFFFFu;

[[noreturn]] void Raise(HRESULT hr) { throw CXDException(hr); }

int CountFormat(const char* format, va_list args) { return CountFormatNarrowV(format, args); }
int CountFormat(const WCHAR* format, va_list args) { return CountFormatWideV(format, args); }
int PrintFormat(char* out, size_t capacity, const char* format, va_list args)
{
    return FormatNarrowV(out, capacity, format, args);
}
int PrintFormat(WCHAR* out, size_t capacity, const WCHAR* format, va_list args)
{
    return FormatWideV(out, capacity, format, args);
}

template <class CharT>
size_t TextLength(const CharT* text)
{
    return std::char_traits<CharT>::length(text);
}

size_t AddLengths(size_t a, size_t b)
{
    if (b > std::numeric_limits<size_t>::max() - a) Raise(E_OUTOFMEMORY);
    return a + b;
}

}  // namespace

template <class CharT>
void BoundedCopy(CharT* destination, size_t capacity, const CharT* source, size_t count)
{
    if (capacity == 0 || capacity >= kMaxBoundedCapacity || count >= kMaxBoundedCount) Raise(E_INVALIDARG);
    if (source == nullptr || count == 0) {
        destination[0] = 0;
        return;
    }
    if (capacity < count) Raise(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
    size_t copied = 0;
    while (copied < count && source[copied] != 0) {
        if (copied == capacity - 1) {
            destination[copied] = 0;
            Raise(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
        }
        destination[copied] = source[copied];
        ++copied;
    }
    destination[copied] = 0;
}

template <class CharT>
HeapString<CharT>& HeapString<CharT>::operator=(HeapString&& other) noexcept
{
    if (this != &other) {
        Free();
        text_ = other.text_;
        other.text_ = nullptr;
    }
    return *this;
}

template <class CharT>
void HeapString<CharT>::Free()
{
    if (text_ != nullptr) HeapFree(GetProcessHeap(), 0, reinterpret_cast<BYTE*>(text_) - kHeaderBytes);
    text_ = nullptr;
}

template <class CharT>
size_t HeapString<CharT>::Capacity() const
{
    if (text_ == nullptr) return 0;
    uint64_t capacity;
    std::memcpy(&capacity, reinterpret_cast<const BYTE*>(text_) - kHeaderBytes, sizeof capacity);
    return static_cast<size_t>(capacity);
}

template <class CharT>
size_t HeapString<CharT>::Length() const
{
    return text_ == nullptr ? 0 : TextLength(text_);
}

template <class CharT>
const CharT* HeapString<CharT>::Text()
{
    if (text_ == nullptr) Allocate();
    return text_;
}

template <class CharT>
void HeapString<CharT>::Reserve(size_t length)
{
    size_t capacity = Capacity();
    if (text_ != nullptr && length < capacity) return;
    size_t grown = text_ != nullptr ? capacity : kInitialCapacity;
    while (grown <= length) {
        if (grown > std::numeric_limits<size_t>::max() / 2) Raise(E_OUTOFMEMORY);
        grown *= 2;
    }
    if (grown > (std::numeric_limits<size_t>::max() - kHeaderBytes) / sizeof(CharT)) Raise(E_OUTOFMEMORY);
    size_t bytes = kHeaderBytes + grown * sizeof(CharT);

    BYTE* block =
        text_ != nullptr
            ? static_cast<BYTE*>(HeapReAlloc(GetProcessHeap(), 0, reinterpret_cast<BYTE*>(text_) - kHeaderBytes, bytes))
            : static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, bytes));
    if (block == nullptr) Raise(E_OUTOFMEMORY);
    uint64_t stored = grown;
    std::memcpy(block, &stored, sizeof stored);
    bool fresh = text_ == nullptr;
    text_ = reinterpret_cast<CharT*>(block + kHeaderBytes);
    if (fresh) text_[0] = 0;
}

template <class CharT>
void HeapString<CharT>::Assign(const CharT* text)
{
    if (text == nullptr) return;
    size_t length = TextLength(text);
    Reserve(length);
    BoundedCopy(text_, Capacity(), text, length);
}

template <class CharT>
void HeapString<CharT>::Append(const CharT* text)
{
    if (text == nullptr) return;
    AppendAfter(Length(), text);
}

template <class CharT>
size_t HeapString<CharT>::AppendAfter(size_t length, const CharT* text)
{
    if (text == nullptr) return length;
    return AppendAfter(length, text, TextLength(text));
}

template <class CharT>
size_t HeapString<CharT>::AppendAfter(size_t length, const CharT* text, size_t added)
{
    if (text == nullptr && added > 0) Raise(E_POINTER);
    size_t total = AddLengths(length, added);
    Reserve(total);
    // The buffer holds total characters and the terminator: a plain copy
    // needs no check per character.
    if (added > 0) std::memcpy(text_ + length, text, added * sizeof(CharT));
    text_[total] = 0;
    return total;
}

template <class CharT>
bool HeapString<CharT>::AssignIfDifferent(const CharT* text)
{
    if (text == nullptr) Raise(E_FAIL);
    if (std::basic_string_view<CharT>(Text()) == std::basic_string_view<CharT>(text)) return false;
    Assign(text);
    return true;
}

template <class CharT>
void HeapString<CharT>::Format(const CharT* format, ...)
{
    if (format == nullptr) Raise(E_INVALIDARG);
    va_list args;
    va_start(args, format);
    va_list counting;
    va_copy(counting, args);
    int count = CountFormat(format, counting);
    va_end(counting);
    if (count < 0) {
        va_end(args);
        Raise(E_INVALIDARG);
    }
    try {
        Reserve(static_cast<size_t>(count));
    } catch (...) {
        va_end(args);
        throw;
    }
    PrintFormat(text_, Capacity(), format, args);
    va_end(args);
}

template <class CharT>
ptrdiff_t HeapString<CharT>::Find(const CharT* text, ptrdiff_t start)
{
    std::basic_string_view<CharT> whole(Text());
    if (text == nullptr || start < 0 || static_cast<size_t>(start) > whole.size()) return -1;
    size_t found = whole.find(text, static_cast<size_t>(start));
    return found == std::basic_string_view<CharT>::npos ? -1 : static_cast<ptrdiff_t>(found);
}

template <class CharT>
size_t HeapString<CharT>::Erase(ptrdiff_t position, ptrdiff_t count)
{
    size_t length = TextLength(Text());
    size_t from = position < 0 ? 0 : static_cast<size_t>(position);
    size_t removed = count < 0 ? 0 : static_cast<size_t>(count);
    if (from > length || removed > length - from) Raise(E_INVALIDARG);
    // The tail moves down together with its terminator.
    std::memmove(text_ + from, text_ + from + removed, (length - from - removed + 1) * sizeof(CharT));
    return length - removed;
}

template <class CharT>
HeapString<CharT> HeapString<CharT>::Substring(ptrdiff_t position, ptrdiff_t count)
{
    size_t length = TextLength(Text());
    if (position < 0 || count < 0 || static_cast<size_t>(position) > length ||
        static_cast<size_t>(count) > length - static_cast<size_t>(position))
        Raise(E_INVALIDARG);
    HeapString result;
    result.Reserve(static_cast<size_t>(count));
    BoundedCopy(result.text_, result.Capacity(), text_ + position, static_cast<size_t>(count));
    return result;
}

template <class CharT>
size_t HeapString<CharT>::ReplaceAll(const CharT* text, const CharT* replacement)
{
    using View = std::basic_string_view<CharT>;
    View whole(Text());
    if (whole.empty() || text == nullptr || *text == 0) return 0;
    View pattern(text);
    View insert = replacement != nullptr ? View(replacement) : View();

    size_t occurrences = 0;
    for (size_t at = whole.find(pattern); at != View::npos; at = whole.find(pattern, at + pattern.size()))
        ++occurrences;
    if (occurrences == 0) return 0;

    size_t length = whole.size();
    if (insert.size() > pattern.size()) {
        size_t growth = insert.size() - pattern.size();
        if (growth > (std::numeric_limits<size_t>::max() - length) / occurrences) Raise(E_OUTOFMEMORY);
        Reserve(length + growth * occurrences);
    }
    // Replace in place, left to right; the search continues after each
    // inserted replacement.
    size_t at = View(text_, length).find(pattern);
    while (at != View::npos) {
        std::memmove(text_ + at + insert.size(), text_ + at + pattern.size(),
                     (length - at - pattern.size() + 1) * sizeof(CharT));
        if (!insert.empty()) std::memcpy(text_ + at, insert.data(), insert.size() * sizeof(CharT));
        length = length - pattern.size() + insert.size();
        at = View(text_, length).find(pattern, at + insert.size());
    }
    return occurrences;
}

template <class CharT>
HeapString<CharT> HeapString<CharT>::NextToken(const CharT* separator, ptrdiff_t* position)
{
    using View = std::basic_string_view<CharT>;
    if (position == nullptr) Raise(E_POINTER);
    if (*position < 0 || separator == nullptr || *separator == 0) Raise(E_INVALIDARG);
    View whole(Text());
    View mark(separator);
    size_t at = static_cast<size_t>(*position);
    while (at < whole.size() && whole.substr(at).starts_with(mark)) at += mark.size();
    HeapString token;
    if (at >= whole.size()) {
        token.Allocate();
        *position = -1;
        return token;
    }
    size_t end = whole.find(mark, at);
    size_t tokenEnd = end == View::npos ? whole.size() : end;
    token = Substring(static_cast<ptrdiff_t>(at), static_cast<ptrdiff_t>(tokenEnd - at));
    *position = static_cast<ptrdiff_t>(end == View::npos ? whole.size() : end + mark.size());
    return token;
}

template <class CharT>
void HeapString<CharT>::FromWide(const WCHAR* text) requires std::is_same_v<CharT, char>
{
    // Clang 14 instantiates this member for HeapString<WCHAR> as well,
    // constraint or not; only the char string has a body.
    if constexpr (std::is_same_v<CharT, char>) {
        size_t length = WideLength(text);
        if (length == 0) {
            Reserve(0);
            text_[0] = 0;
            return;
        }
        if (length > static_cast<size_t>(std::numeric_limits<int>::max())) Raise(E_FAIL);
        int wideCount = static_cast<int>(length);
        // The ANSI code page is UTF-8 here: a character may take several bytes,
        // so the buffer is sized by the converted length rather than by the
        // character count.
        int needed = WideCharToMultiByte(CP_ACP, 0, text, wideCount, nullptr, 0, nullptr, nullptr);
        if (needed <= 0) Raise(E_FAIL);
        Reserve(static_cast<size_t>(needed));
        int converted = WideCharToMultiByte(CP_ACP, 0, text, wideCount, text_, needed, nullptr, nullptr);
        if (converted != needed) {
            text_[0] = 0;
            Raise(E_FAIL);
        }
        text_[converted] = 0;
    }
}

template class HeapString<WCHAR>;
template class HeapString<char>;
template void BoundedCopy<WCHAR>(WCHAR*, size_t, const WCHAR*, size_t);
template void BoundedCopy<char>(char*, size_t, const char*, size_t);
