// Utf8Converter: the UTF-8 bytes of a HeapWideString, for writing markup into
// a part's write stream.
#pragma once

#include "filtercore/heap_string.h"
#include "platform/hresult.h"

class Utf8Converter {
public:
    explicit Utf8Converter(const HeapWideString* source) : source_(source) {}
    Utf8Converter(const Utf8Converter&) = delete;
    Utf8Converter& operator=(const Utf8Converter&) = delete;
    ~Utf8Converter() { Release(); }

    // Converts the whole text (without terminator). The bytes stay owned by
    // the converter until the next conversion or its destruction.
    // E_POINTER for null out pointers, E_FAIL when the conversion yields no
    // bytes (an empty text among others), E_OUTOFMEMORY.
    HRESULT Convert(const BYTE** bytes, ULONG* byteCount);
    // The same for the first length characters of the text, for a caller
    // that keeps its length (length must not exceed it). The buffer is kept
    // from one conversion to the next and grows only when it must.
    HRESULT Convert(size_t length, const BYTE** bytes, ULONG* byteCount);

private:
    void Release();

    const HeapWideString* source_;
    BYTE* bytes_ = nullptr;
    size_t capacity_ = 0;
};
