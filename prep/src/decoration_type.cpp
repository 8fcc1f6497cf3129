#include "decoration_type.h"

#include "platform/wformat.h"
#include "text_watermark_geometry.h"

namespace {

DecorationType TypeOfWatermark(const DecorationData& data)
{
    if (data.watermarkOptions.pageWatermark == 0) return DecorationType::None;
    switch (data.activeEntry.type) {
    case kWatermarkText: return DecorationType::TextWatermark;
    case kWatermarkBitmap: return DecorationType::BitmapWatermark;
    default: return DecorationType::None;
    }
}

DecorationType TypeOfHeaderFooter(const DecorationData& data)
{
    const HeaderFooterSettings& line = data.headerFooter;
    bool withTime = data.printerHandle != nullptr;
    bool date = withTime && line.dateFormat != kDateTimeFormatNone;
    bool time = withTime && line.timeFormat != kDateTimeFormatNone;
    bool customWithoutName = line.idPrint == kIdPrintCustom &&
                             (line.idPrintCustomName.Get() == nullptr || line.idPrintCustomName.Get()[0] == 0);
    bool id = line.idPrint != kIdPrintNone && !customWithoutName;
    if (line.pageHeaderFooter == 0 || !(date || time || id)) return DecorationType::None;
    return DecorationType::HeaderFooterLine;
}

}  // namespace

DecorationType DecorationTypeOf(const DecorationData& data)
{
    return data.kind == kWatermarkDecoration ? TypeOfWatermark(data) : TypeOfHeaderFooter(data);
}

std::u16string WatermarkOpacityText(const DecorationData& data)
{
    DecorationType type = DecorationTypeOf(data);
    float opacity = WatermarkOpacity(data.watermarkOptions.overlayMethod != 0, data.watermarkOptions.outlineTxt != 0,
                                     type == DecorationType::BitmapWatermark);
    return FormatWideString(u"%.2f", static_cast<double>(opacity));
}
