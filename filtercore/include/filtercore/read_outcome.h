// ReadOutcome: the result of a settings reader that goes through several
// steps. A setting the ticket does not carry is no failure; the first real
// failure is kept and becomes the reader's result.
#pragma once

#include "platform/hresult.h"

inline constexpr HRESULT kSettingNotFound = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);

inline bool IsAbsence(HRESULT hr) { return hr == kSettingNotFound; }

class ReadOutcome {
public:
    // Records the result of one step; true when the step succeeded or only
    // found nothing.
    bool Note(HRESULT hr)
    {
        if (SUCCEEDED(hr) || IsAbsence(hr)) return true;
        if (SUCCEEDED(failure_)) failure_ = hr;
        return false;
    }
    bool Failed() const { return FAILED(failure_); }
    // S_OK, or the first failure noted.
    HRESULT Result() const { return failure_; }

private:
    HRESULT failure_ = S_OK;
};
