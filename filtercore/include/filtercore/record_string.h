// RecordString: a BSTR that a settings record owns. It is freed with the
// record and duplicated when the record is copied, so records can be copied
// and assigned like plain values.
#pragma once

#include <algorithm>

#include "filtercore/owned_bstr.h"

class RecordString {
public:
    RecordString() = default;
    // A copy of text (null stays null). Raises CXDException(E_OUTOFMEMORY).
    explicit RecordString(const WCHAR* text) : text_(OwnedBstr::Copy(text)) {}
    RecordString(const RecordString& other) : text_(Duplicate(other.text_.Get())) {}
    RecordString& operator=(const RecordString& other)
    {
        if (this != &other) text_ = Duplicate(other.text_.Get());
        return *this;
    }
    RecordString(RecordString&&) noexcept = default;
    RecordString& operator=(RecordString&&) noexcept = default;

    // Borrowed; null for the empty text that was never set.
    BSTR Get() const { return text_.Get(); }
    // Replaces the text with a copy of the whole BSTR (null stays null).
    // Raises CXDException(E_OUTOFMEMORY).
    void Assign(BSTR text) { text_ = Duplicate(text); }
    // Takes over text, freeing the current one.
    void Reset(BSTR text = nullptr) { text_.Reset(text); }

    // The same text, unit for unit; null equals only null.
    bool operator==(const RecordString& other) const
    {
        BSTR mine = text_.Get();
        BSTR theirs = other.text_.Get();
        if (mine == nullptr || theirs == nullptr) return mine == theirs;
        UINT length = SysStringLen(mine);
        return length == SysStringLen(theirs) && std::equal(mine, mine + length, theirs);
    }

private:
    // Keeps the whole BSTR, embedded zeros included. Raises
    // CXDException(E_OUTOFMEMORY).
    static OwnedBstr Duplicate(BSTR text)
    {
        if (text == nullptr) return OwnedBstr();
        BSTR copy = SysAllocStringLen(text, SysStringLen(text));
        if (copy == nullptr) throw CXDException(E_OUTOFMEMORY);
        return OwnedBstr(copy);
    }

    OwnedBstr text_;
};
