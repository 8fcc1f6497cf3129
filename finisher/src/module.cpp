// The exports of tavfin.
#include "filtercore/module.h"
#include "filtercore/filter_classes.h"
#include "finisher_filter.h"

namespace {

// The module's event-trace provider and the identifier of its messages.
constexpr GUID kTraceControlGuid = {0x97FF315F, 0xA197, 0x4E35, {0xA6, 0x32, 0x1D, 0xDF, 0xCF, 0x44, 0x31, 0x6F}};
constexpr GUID kTraceMessageGuid = {0x76CD5F4C, 0xACBC, 0x4715, {0xB1, 0x0E, 0x35, 0x43, 0x05, 0xCC, 0x14, 0xE8}};

}  // namespace

TAV_FILTER_MODULE(FinisherFilter, CLSID_FinisherFilter, kTraceControlGuid, kTraceMessageGuid, "tavfin")
