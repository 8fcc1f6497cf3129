// A name or value for the converter in the runtime's multibyte code (UTF-8
// on this platform): in a buffer of 512 bytes when it fits there, else in a
// heap buffer sized from its converted length. One UTF-16 unit can take
// three bytes, so a text of fewer than 512 characters may still need the
// heap.
#pragma once

#include <memory>

#include "platform/hresult.h"

class NarrowText {
public:
    static constexpr size_t kInlineBytes = 512;

    NarrowText() = default;
    NarrowText(const NarrowText&) = delete;
    NarrowText& operator=(const NarrowText&) = delete;

    // Converts length characters; unpaired surrogates become U+FFFD. E_FAIL
    // when the conversion fails, E_OUTOFMEMORY.
    HRESULT Assign(const WCHAR* text, int length);
    // Zero-terminated; valid until the next Assign.
    const char* Get() const { return heap_ ? heap_.get() : inline_; }
    // The bytes, without the terminator.
    size_t Size() const { return size_; }
    bool OnHeap() const { return heap_ != nullptr; }

private:
    char inline_[kInlineBytes] = {};
    std::unique_ptr<char[]> heap_;
    size_t size_ = 0;
};
