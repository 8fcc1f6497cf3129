// Base services: interlocked operations, the process heap, code-page
// conversion, tick count and the thread's last error.
#pragma once

#include "platform/hresult.h"

// Interlocked operations; each returns the new value (CompareExchange: the
// old one).
LONG InterlockedIncrement(LONG volatile* target);
LONG InterlockedDecrement(LONG volatile* target);
LONG InterlockedCompareExchange(LONG volatile* target, LONG exchange, LONG comparand);

// The process heap.
constexpr DWORD HEAP_ZERO_MEMORY = 0x00000008;
constexpr DWORD HEAP_REALLOC_IN_PLACE_ONLY = 0x00000010;
HANDLE GetProcessHeap();
void* HeapAlloc(HANDLE heap, DWORD flags, SIZE_T size);
void* HeapReAlloc(HANDLE heap, DWORD flags, void* block, SIZE_T size);
BOOL HeapFree(HANDLE heap, DWORD flags, void* block);

// Code pages. The ANSI and thread code pages are UTF-8 on this platform.
constexpr UINT CP_ACP = 0;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_UTF8 = 65001;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;

// Converts count bytes (-1: up to and including the terminating zero).
// With a capacity of 0 returns the number of characters needed. Returns 0 and
// sets the last error on failure: ERROR_INSUFFICIENT_BUFFER,
// ERROR_INVALID_PARAMETER, ERROR_NO_UNICODE_TRANSLATION (only with
// MB_ERR_INVALID_CHARS; otherwise invalid bytes become U+FFFD).
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int count, WCHAR* out, int capacity);
// The reverse; unpaired surrogates become U+FFFD unless WC_ERR_INVALID_CHARS.
// defaultChar and usedDefault must be null for UTF-8, as on other systems.
int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* text, int count, char* out, int capacity,
                        const char* defaultChar, BOOL* usedDefault);

// number x numerator / denominator, computed in 64 bits and rounded half
// away from zero; -1 when the denominator is 0 or the result does not fit.
int MulDiv(int number, int numerator, int denominator);

// Milliseconds since an arbitrary start, wrapping at 2^32.
DWORD GetTickCount();
ULONGLONG GetTickCount64();

DWORD GetLastError();
void SetLastError(DWORD error);

DWORD GetCurrentProcessId();
DWORD GetCurrentThreadId();

// The language identifier (primary language and sub-language) of the
// system's locale: LC_ALL, LC_MESSAGES or LANG, as "ll" or "ll_CC";
// 0x0409 (English, United States) for "C", "POSIX", an unset or an unknown
// locale.
using LANGID = WORD;
LANGID GetSystemDefaultLangID();
