// OwnedBstr: a BSTR freed when it goes out of scope, for the strings the
// ticket code keeps and the BSTRs the DOM hands back through out arguments.
#pragma once

#include <utility>

#include "filtercore/errors.h"
#include "platform/bstr.h"

class OwnedBstr {
public:
    OwnedBstr() = default;
    // Takes over text (which may be null).
    explicit OwnedBstr(BSTR text) : text_(text) {}
    OwnedBstr(OwnedBstr&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
    OwnedBstr& operator=(OwnedBstr&& other) noexcept
    {
        Reset(std::exchange(other.text_, nullptr));
        return *this;
    }
    OwnedBstr(const OwnedBstr&) = delete;
    OwnedBstr& operator=(const OwnedBstr&) = delete;
    ~OwnedBstr() { SysFreeString(text_); }

    // A new BSTR holding text; null for a null text. Raises
    // CXDException(E_OUTOFMEMORY) when it cannot be allocated.
    static OwnedBstr Copy(const WCHAR* text)
    {
        if (text == nullptr) return OwnedBstr();
        BSTR copy = SysAllocString(text);
        if (copy == nullptr) throw CXDException(E_OUTOFMEMORY);
        return OwnedBstr(copy);
    }

    BSTR Get() const { return text_; }
    UINT Length() const { return SysStringLen(text_); }
    // For out arguments: frees the current text first.
    BSTR* Out()
    {
        Reset();
        return &text_;
    }
    // For functions that replace the text in place and free the old one
    // themselves (BstrAppend).
    BSTR* InPlace() { return &text_; }
    // Hands the text to the caller.
    BSTR Detach() { return std::exchange(text_, nullptr); }
    void Reset(BSTR text = nullptr) { SysFreeString(std::exchange(text_, text)); }

private:
    BSTR text_ = nullptr;
};
