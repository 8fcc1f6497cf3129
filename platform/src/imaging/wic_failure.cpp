#include "wic_objects.h"

namespace {

thread_local std::string lastFailureReason;

}  // namespace

namespace tav::imaging {

HRESULT WicFailure(HRESULT result, std::string reason)
{
    lastFailureReason = std::move(reason);
    return result;
}

HRESULT WicSuccess()
{
    lastFailureReason.clear();
    return S_OK;
}

}  // namespace tav::imaging

std::string WICLastFailureReason() { return lastFailureReason; }
