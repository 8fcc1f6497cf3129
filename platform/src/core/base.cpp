#include "platform/base.h"

#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/wformat.h"
#include "utf8.h"

LONG InterlockedIncrement(LONG volatile* target) { return __atomic_add_fetch(target, 1, __ATOMIC_SEQ_CST); }

LONG InterlockedDecrement(LONG volatile* target) { return __atomic_sub_fetch(target, 1, __ATOMIC_SEQ_CST); }

LONG InterlockedCompareExchange(LONG volatile* target, LONG exchange, LONG comparand)
{
    __atomic_compare_exchange_n(target, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
    return comparand;
}

namespace {

// The process heap keeps each block's size in front of it so that a
// reallocation can zero what it adds.
constexpr size_t kHeader = 16;
int processHeapTag;

size_t BlockSize(void* block)
{
    size_t size;
    std::memcpy(&size, static_cast<BYTE*>(block) - kHeader, sizeof size);
    return size;
}

}  // namespace

HANDLE GetProcessHeap() { return &processHeapTag; }

void* HeapAlloc(HANDLE, DWORD flags, SIZE_T size)
{
    if (size > SIZE_MAX - kHeader) return nullptr;
    auto* raw =
        static_cast<BYTE*>((flags & HEAP_ZERO_MEMORY) ? std::calloc(1, kHeader + size) : std::malloc(kHeader + size));
    if (raw == nullptr) return nullptr;
    std::memcpy(raw, &size, sizeof size);
    return raw + kHeader;
}

void* HeapReAlloc(HANDLE heap, DWORD flags, void* block, SIZE_T size)
{
    if (block == nullptr) return nullptr;
    if (size > SIZE_MAX - kHeader) return nullptr;
    size_t oldSize = BlockSize(block);
    if (flags & HEAP_REALLOC_IN_PLACE_ONLY) return size <= oldSize ? block : nullptr;
    (void)heap;
    auto* raw = static_cast<BYTE*>(std::realloc(static_cast<BYTE*>(block) - kHeader, kHeader + size));
    if (raw == nullptr) return nullptr;
    std::memcpy(raw, &size, sizeof size);
    if ((flags & HEAP_ZERO_MEMORY) && size > oldSize) std::memset(raw + kHeader + oldSize, 0, size - oldSize);
    return raw + kHeader;
}

BOOL HeapFree(HANDLE, DWORD, void* block)
{
    if (block != nullptr) std::free(static_cast<BYTE*>(block) - kHeader);
    return TRUE;
}

namespace {

thread_local DWORD lastError = 0;

bool KnownCodePage(UINT codePage) { return codePage == CP_ACP || codePage == CP_THREAD_ACP || codePage == CP_UTF8; }

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int count, WCHAR* out, int capacity)
{
    if (!KnownCodePage(codePage) || text == nullptr || count == 0 || count < -1 || capacity < 0 ||
        (capacity > 0 && out == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t length = count == -1 ? std::strlen(text) + 1 : static_cast<size_t>(count);
    std::u16string wide;
    wide.reserve(length);
    auto* p = reinterpret_cast<const unsigned char*>(text);
    auto* end = p + length;
    while (p < end) {
        char32_t c = utf8::Decode(p, end);
        if (c == utf8::kInvalid) {
            if (flags & MB_ERR_INVALID_CHARS) {
                SetLastError(ERROR_NO_UNICODE_TRANSLATION);
                return 0;
            }
            c = 0xFFFD;
        }
        utf8::AppendUtf16(wide, c);
    }
    if (wide.size() > static_cast<size_t>(INT32_MAX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int needed = static_cast<int>(wide.size());
    if (capacity == 0) return needed;
    if (capacity < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(out, wide.data(), wide.size() * sizeof(WCHAR));
    return needed;
}

int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* text, int count, char* out, int capacity,
                        const char* defaultChar, BOOL* usedDefault)
{
    if (!KnownCodePage(codePage) || text == nullptr || count == 0 || count < -1 || capacity < 0 ||
        (capacity > 0 && out == nullptr) || defaultChar != nullptr || usedDefault != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t length = count == -1 ? WideLength(text) + 1 : static_cast<size_t>(count);
    if (flags & WC_ERR_INVALID_CHARS) {
        for (size_t i = 0; i < length; ++i) {
            char16_t c = text[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                ++i;
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                SetLastError(ERROR_NO_UNICODE_TRANSLATION);
                return 0;
            }
        }
    }
    // A buffer that holds the longest result is written directly.
    if (capacity > 0 && length <= static_cast<size_t>(capacity) / 3) {
        return static_cast<int>(WideToUtf8Into(text, length, out));
    }
    std::string bytes = WideToUtf8(text, length);
    if (bytes.size() > static_cast<size_t>(INT32_MAX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int needed = static_cast<int>(bytes.size());
    if (capacity == 0) return needed;
    if (capacity < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(out, bytes.data(), bytes.size());
    return needed;
}

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0) return -1;
    int64_t product = static_cast<int64_t>(number) * numerator;
    int64_t magnitude = (std::llabs(product) + std::llabs(static_cast<int64_t>(denominator)) / 2) /
                        std::llabs(static_cast<int64_t>(denominator));
    int64_t result = (product < 0) != (denominator < 0) ? -magnitude : magnitude;
    if (result > INT32_MAX || result < INT32_MIN) return -1;
    return static_cast<int>(result);
}

ULONGLONG GetTickCount64()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<ULONGLONG>(now.tv_sec) * 1000u + static_cast<ULONGLONG>(now.tv_nsec) / 1000000u;
}

DWORD GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD error) { lastError = error; }

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

DWORD GetCurrentThreadId() { return static_cast<DWORD>(syscall(SYS_gettid)); }
