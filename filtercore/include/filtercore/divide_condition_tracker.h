// DivideConditionTracker: finds the pages at which the user's job is divided,
// the pages whose private "JobSettingData" "DivideCondition" differs from
// that of the page before. The first page of a job never counts as a change.
// One lives in each filter object that divides jobs.
#pragma once

#include "filtercore/record_string.h"
#include "filtercore/ticket_level.h"
#include "platform/xml.h"

class DivideConditionTracker {
public:
    // privateNamespace: the private keywords namespace URI (copied).
    explicit DivideConditionTracker(const WCHAR* privateNamespace);

    // Reads the divide condition of a merged page ticket and compares it,
    // character by character, with the page checked before. At any other
    // level nothing is read and the result is S_OK. When the ticket cannot be
    // read, no change is reported, the earlier value is kept and the failure
    // is returned.
    HRESULT Check(IXMLDOMDocument2* ticket, TicketLevel level);

    // Check in two steps, for a filter that keeps what it read from a
    // ticket (TicketExaminationCache): the divide condition of a merged
    // page ticket (null when it has none), then its comparison with the
    // page checked before. A page whose ticket could not be read is noted
    // with NoteUnreadable: no change, the earlier value kept.
    HRESULT ReadCondition(IXMLDOMDocument2* ticket, RecordString* value) const;
    void Note(const RecordString& value);
    void NoteUnreadable();

    // The result of the last check.
    bool Changed() const { return changed != FALSE; }

private:
    RecordString privateNamespace_;
    BOOL changed = FALSE;
    BOOL initialised = FALSE;
    // The divide condition of the page checked last; null when it had none.
    RecordString lastValue;
};
