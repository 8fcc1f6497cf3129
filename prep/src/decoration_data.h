// DecorationData: the settings every decoration of a page carries (a copy
// each): the watermark's or the header/footer's, with what the header/footer
// line needs besides (printer, user, time, job information, the page's
// scaling).
#pragma once

#include "filtercore/job_settings.h"
#include "header_footer_settings.h"
#include "page_scaling_settings.h"
#include "platform/comobject.h"
#include "platform/pipeline.h"
#include "watermark_entry.h"

// DecorationData::kind.
enum DecorationKind : INT {
    kHeaderFooterDecoration = 0,
    kWatermarkDecoration = 1,
};

// The options of the PageWatermark feature, each 0 or 1.
struct WatermarkOptions {
    INT pageWatermark = 0;   // Off, On
    INT layoutOrder = 1;     // Background, Foreground; read and carried, placement does not consult it
    INT overlayMethod = 1;   // Transparent, Opaque
    INT outlineTxt = 0;      // Off, On
    INT customSettings = 0;  // Off, On

    bool operator==(const WatermarkOptions&) const = default;
};

// A local time: year, month, day of week, day, hour, minute, second,
// milliseconds.
struct DecorationTimeStamp {
    WORD year = 0;
    WORD month = 0;
    WORD dayOfWeek = 0;
    WORD day = 0;
    WORD hour = 0;
    WORD minute = 0;
    WORD second = 0;
    WORD milliseconds = 0;
};

struct DecorationData {
    INT kind = kWatermarkDecoration;
    // The spooler's printer handle and the user's token from the property
    // bag: header/footer only.
    HANDLE printerHandle = nullptr;
    HANDLE userToken = nullptr;
    WatermarkOptions watermarkOptions;
    RecordString title;  // carried; no decoration uses it
    WatermarkEntry watermarkSettings;
    WatermarkEntry customWatermarkSettingsFirst;
    WatermarkEntry customWatermarkSettingsOther;
    // The entry of the page: watermarkSettings, or with custom settings the
    // first or the other pages' entry.
    WatermarkEntry activeEntry;
    HeaderFooterSettings headerFooter;
    PageScalingSettings scaling;
    JobInfoSettings jobInfo;
    DecorationTimeStamp timeStamp;
    ComPtr<IPrintPipelinePropertyBag> propertyBag;
};
