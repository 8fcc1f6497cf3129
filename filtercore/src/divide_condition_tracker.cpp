#include "filtercore/divide_condition_tracker.h"

#include <cstring>
#include <utility>

#include "filtercore/job_settings.h"
#include "filtercore/print_ticket_dom.h"
#include "filtercore/raised_result.h"

namespace {

// Exact comparison in which a missing value differs from every present one,
// the empty one included.
bool SameValue(BSTR left, BSTR right)
{
    if (left == nullptr || right == nullptr) return left == right;
    UINT length = SysStringLen(left);
    return length == SysStringLen(right) && std::memcmp(left, right, length * sizeof(WCHAR)) == 0;
}

}  // namespace

DivideConditionTracker::DivideConditionTracker(const WCHAR* privateNamespace) : privateNamespace_(privateNamespace) {}

HRESULT DivideConditionTracker::Check(IXMLDOMDocument2* ticket, TicketLevel level)
{
    changed = FALSE;
    if (level != TicketLevel::Page) return S_OK;
    HRESULT hr = CatchRaised([&] {
        PrintTicketDom dom(u"PrintTicket", privateNamespace_.Get(), ticket);
        JobInfoSettings settings;
        HRESULT read = ReadJobInfo(dom, &settings);
        if (FAILED(read)) return read;
        if (initialised) changed = !SameValue(settings.divideCondition.Get(), lastValue.Get());
        lastValue = std::move(settings.divideCondition);
        return read;
    });
    initialised = TRUE;
    return hr;
}
