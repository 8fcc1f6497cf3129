// The exports of tavlay.
#include "filtercore/module.h"
#include "filtercore/filter_classes.h"
#include "layout_filter.h"

namespace {

// The module's event-trace provider and the identifier of its messages.
constexpr GUID kTraceControlGuid = {0x58B3C6D3, 0xAD82, 0x40B2, {0x87, 0x21, 0xA4, 0x54, 0x9B, 0x7C, 0x09, 0x65}};
constexpr GUID kTraceMessageGuid = {0x02730312, 0x665B, 0x411F, {0x8E, 0x08, 0xEC, 0x54, 0xB4, 0x95, 0x89, 0xDD}};

}  // namespace

TAV_FILTER_MODULE(LayoutFilter, CLSID_LayoutFilter, kTraceControlGuid, kTraceMessageGuid, "tavlay")
