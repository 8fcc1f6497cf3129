// The watermark as a ticket describes it: the PageWatermark feature with
// its private sub-features (LayoutOrder, OverlayMethod, OutlineTxt,
// CustomSettings) and the private PageWatermarkData property with a title
// and three entries (every page; with custom settings the first page and
// the other pages).
#pragma once

#include "decoration_data.h"
#include "filtercore/print_ticket_dom.h"

struct PageWatermarkSettings {
    WatermarkOptions options;
    RecordString title;
    WatermarkEntry watermarkSettings;
    WatermarkEntry customWatermarkSettingsFirst;
    WatermarkEntry customWatermarkSettingsOther;
};

// Reads the settings into *settings, whose values stay for whatever the
// ticket does not say. Option names are compared exactly once their prefix
// is removed; an unknown name keeps the value. An entry is read member by
// member in its order and stops at the first member that is missing, the
// later members keeping their values. Missing PageWatermarkData, or a
// failure inside it, leaves the title and entries as they were and is no
// failure; a failure reading the feature's options is returned.
HRESULT ReadWatermarkSettings(PrintTicketDom& ticket, PageWatermarkSettings* settings);

// The watermark's decoration data for the job's page number (counted from
// 1 across documents): with custom settings the first page takes the first
// page's entry and every other page the other pages' entry; without them
// every page takes WatermarkSettings.
DecorationData WatermarkDecorationData(const PageWatermarkSettings& settings, LONG jobPageNumber);
