// The exports of tavprep.
#include "filtercore/module.h"
#include "filtercore/filter_classes.h"
#include "preparation_filter.h"

namespace {

// The module's event-trace provider and the identifier of its messages.
constexpr GUID kTraceControlGuid = {0x266EA032, 0x7D68, 0x4679, {0xAB, 0xE1, 0x30, 0x0C, 0x05, 0xE7, 0xD2, 0xF9}};
constexpr GUID kTraceMessageGuid = {0xCE19A920, 0x910A, 0x4E18, {0x97, 0x29, 0xF3, 0x05, 0x22, 0x4D, 0xF3, 0x6E}};

}  // namespace

TAV_FILTER_MODULE(PreparationFilter, CLSID_PreparationFilter, kTraceControlGuid, kTraceMessageGuid, "tavprep")
