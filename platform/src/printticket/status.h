// The outcome of a provider operation: an HRESULT and, on failure, the
// reason in words for the caller's error message.
#pragma once

#include <string>

#include "platform/hresult.h"

namespace tav::printticket {

struct Status {
    HRESULT code = S_OK;
    std::string message;

    static Status Ok() { return {}; }
    static Status Failure(HRESULT code, std::string message) { return {code, std::move(message)}; }
    bool Succeeded() const { return SUCCEEDED(code); }
};

}  // namespace tav::printticket
