// The exports of tavord.
#include "filtercore/module.h"
#include "filtercore/filter_classes.h"
#include "order_filter.h"

namespace {

// The module's event-trace provider and the identifier of its messages.
constexpr GUID kTraceControlGuid = {0xB323849F, 0xD592, 0x4918, {0xAA, 0x62, 0x4E, 0x80, 0x1E, 0x84, 0x99, 0xE6}};
constexpr GUID kTraceMessageGuid = {0x514D9C81, 0xEF31, 0x4F12, {0x8B, 0x51, 0x3B, 0x25, 0xB8, 0x3E, 0xD2, 0x31}};

}  // namespace

TAV_FILTER_MODULE(OrderFilter, CLSID_OrderFilter, kTraceControlGuid, kTraceMessageGuid, "tavord")
