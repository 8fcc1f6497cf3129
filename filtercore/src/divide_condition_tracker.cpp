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
    RecordString value;
    HRESULT hr = ReadCondition(ticket, &value);
    if (FAILED(hr)) {
        NoteUnreadable();
        return hr;
    }
    Note(value);
    return hr;
}

HRESULT DivideConditionTracker::ReadCondition(IXMLDOMDocument2* ticket, RecordString* value) const
{
    return CatchRaised([&] {
        PrintTicketDom dom(u"PrintTicket", privateNamespace_.Get(), ticket);
        JobInfoSettings settings;
        HRESULT read = ReadJobInfo(dom, &settings);
        if (FAILED(read)) return read;
        *value = std::move(settings.divideCondition);
        return read;
    });
}

void DivideConditionTracker::Note(const RecordString& value)
{
    changed = initialised && !SameValue(value.Get(), lastValue.Get());
    lastValue = value;
    initialised = TRUE;
}

void DivideConditionTracker::NoteUnreadable()
{
    changed = FALSE;
    initialised = TRUE;
}
