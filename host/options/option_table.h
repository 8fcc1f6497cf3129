// The job options: every option's name, description, accepted values (and
// the ticket keywords they stand for), default, and the ticket setting it
// belongs to. Everything else (parsing, listing, writing) is driven by it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "option_value.h"

namespace tav::options {

enum class OptionId {
    Media,
    OrientationRequested,
    Transverse,
    MediaType,
    FixedMargin,
    DocumentMargins,
    OutputMargins,
    Sides,
    DuplexMode,
    SeparateTrayScope,
    NumberUp,
    NumberUpLayout,
    PageBorder,
    Booklet,
    BookletSheetsPerSet,
    Binding,
    BindingGutter,
    Poster,
    PosterCutLines,
    Mirror,
    ReverseImage,
    InputSlot,
    SecondInputSlot,
    SeparateTray,
    DivideCondition,
    PrintScaling,
    ScaleAlignment,
    ScaleOffset,
    PageSizeToMedia,
    PrinterResolution,
    PrintColorMode,
    WatermarkText,
    WatermarkImage,
    WatermarkFirstText,
    WatermarkFirstImage,
    WatermarkFont,
    WatermarkSize,
    WatermarkStyle,
    WatermarkColor,
    WatermarkAngle,
    WatermarkPosition,
    WatermarkOverlay,
    WatermarkOutline,
    WatermarkScale,
    HeaderFooter,
    HeaderFooterDate,
    HeaderFooterTime,
    HeaderFooterId,
    HeaderFooterPosition,
    HeaderFooterFont,
    HeaderFooterSize,
    HeaderFooterStyle,
    HeaderFooterColor,
    HeaderFooterBackground,
    HeaderFooterUnderline,
    HeaderFooterStrikeout,
    JobOriginatingUserName,
    JobOriginatingHostName,
    DraftMode,
    HalftoneReduction,
    Count
};

// The ticket settings; each is written by one writer when one of its
// options was given.
enum class TicketGroup {
    MediaSize,
    Orientation,
    MediaSizeData,
    Duplex,
    DuplexData,
    NUp,
    Binding,
    Poster,
    Mirror,
    ReverseImage,
    InputBin,
    SecondInputBin,
    JobSetting,
    Scaling,
    ScalingData,
    Resolution,
    Watermark,
    HeaderFooter,
    JobInfo,
    SecretFunction,
};

// The numbers the font style keywords stand for: a set of these bits.
inline constexpr int kBoldStyle = 1;
inline constexpr int kItalicStyle = 2;

struct OptionSpec {
    OptionId id;
    std::string_view name;
    std::string_view description;
    std::vector<Alternative> values;
    std::string_view defaultValue;  // empty: the document's or device's own setting
    TicketGroup group;
};

// In OptionId order.
const std::vector<OptionSpec>& OptionTable();
const OptionSpec& Spec(OptionId id);
const OptionSpec* FindOption(std::string_view name);

// Every accepted value, aliases included, separated by blanks.
std::string AcceptedValues(const OptionSpec& spec);
// The listed values, the default marked with '*', separated by blanks.
std::string ListedValues(const OptionSpec& spec);

}  // namespace tav::options
