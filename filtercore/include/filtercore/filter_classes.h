// The class identifiers of the filter modules, as a pipeline configuration
// names them. Header-only: the host includes it without linking any filter.
#pragma once

#include "platform/guid.h"

// tavprep: page scaling, watermarks, header and footer.
constexpr CLSID CLSID_PreparationFilter = {
    0xA51B1419, 0x5F72, 0x4863, {0x8D, 0x73, 0x4D, 0x41, 0x48, 0x1E, 0xD5, 0xD7}};
// tavord: booklet page order.
constexpr CLSID CLSID_OrderFilter = {0xB16A4EF1, 0x82C4, 0x4801, {0x8F, 0x65, 0xF6, 0x89, 0x6D, 0x3C, 0x8A, 0xFD}};
// tavlay: imposition of pages on sheets.
constexpr CLSID CLSID_LayoutFilter = {0xC8C1E721, 0x97BD, 0x4F9C, {0x81, 0x47, 0x19, 0x94, 0x97, 0x30, 0x30, 0xFA}};
// tavfin: transverse feed, mirror and reverse images, poster cut-out lines.
constexpr CLSID CLSID_FinisherFilter = {0xE698FDAC, 0xA94F, 0x4085, {0xB8, 0x04, 0xAA, 0x73, 0x67, 0x70, 0xF2, 0x95}};
