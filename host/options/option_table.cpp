#include "option_table.h"

#include <cassert>

#include "text_checks.h"

namespace tav::options {

namespace {

constexpr Alternative Tagged(Alternative alternative, std::string_view keyword, bool isPrivate)
{
    alternative.keyword = keyword;
    alternative.isPrivate = isPrivate;
    return alternative;
}

// Off and On as string values of a private property, as option names of a
// keywords option, or as option names of a private option.
std::vector<Alternative> OffOn() { return {Keyword("off", "Off"), Keyword("on", "On")}; }
std::vector<Alternative> PrivateOffOn() { return {PrivateKeyword("off", "Off"), PrivateKeyword("on", "On")}; }

std::vector<Alternative> FontStyles()
{
    return {Keyword("regular", "", 0), Keyword("bold", "", kBoldStyle), Keyword("italic", "", kItalicStyle),
            Keyword("bold-italic", "", kBoldStyle | kItalicStyle)};
}

std::vector<Alternative> FormatTypes()
{
    return {
        PrivateKeyword("none", "None"),      PrivateKeyword("type1", "Type1", 1), PrivateKeyword("type2", "Type2", 2),
        PrivateKeyword("type3", "Type3", 3), PrivateKeyword("type4", "Type4", 4), PrivateKeyword("type5", "Type5", 5),
        PrivateKeyword("type6", "Type6", 6), PrivateKeyword("type7", "Type7", 7), PrivateKeyword("type8", "Type8", 8)};
}

std::vector<Alternative> InputBins()
{
    return {Keyword("auto", "AutoSelect"),    PrivateKeyword("tray1", "Tray1"), PrivateKeyword("tray2", "Tray2"),
            PrivateKeyword("tray3", "Tray3"), PrivateKeyword("tray4", "Tray4"), Keyword("manual", "Manual"),
            PrivateKeyword("mp", "MPTray")};
}

std::vector<Alternative> SecondInputBins()
{
    std::vector<Alternative> bins = InputBins();
    bins.insert(bins.begin(), PrivateKeyword("same", "SameTray"));
    return bins;
}

std::vector<Alternative> Margins()
{
    return {Keyword("none", "", -1), Argument("", ValueForm::LengthQuad, "LEFT,RIGHT,TOP,BOTTOM", 0, 100000)};
}

std::vector<OptionSpec> BuildTable()
{
    using enum OptionId;
    using G = TicketGroup;
    std::vector<OptionSpec> table = {
        {Media, "media", "Media size", {Argument("", ValueForm::Media, "MEDIA")}, "", G::MediaSize},
        {OrientationRequested,
         "orientation-requested",
         "Orientation",
         {Keyword("portrait", "Portrait"), Keyword("landscape", "Landscape"),
          Keyword("reverse-landscape", "ReverseLandscape"), Keyword("reverse-portrait", "ReversePortrait"),
          Alias(Keyword("3", "Portrait")), Alias(Keyword("4", "Landscape")), Alias(Keyword("5", "ReverseLandscape")),
          Alias(Keyword("6", "ReversePortrait"))},
         "portrait",
         G::Orientation},
        {Transverse, "transverse", "Transverse feed", OffOn(), "off", G::MediaSizeData},
        {MediaType,
         "media-type",
         "Paper thickness",
         {Keyword("stationery", "Regular"), Keyword("stationery-heavyweight", "Thick"),
          Keyword("envelope", "Envelope")},
         "stationery",
         G::MediaSizeData},
        {FixedMargin, "fixed-margin", "Fixed margins", OffOn(), "off", G::MediaSizeData},
        {DocumentMargins, "document-margins", "Document margins", Margins(), "none", G::MediaSizeData},
        {OutputMargins, "output-margins", "Output margins", Margins(), "none", G::MediaSizeData},
        {Sides,
         "sides",
         "Two-sided printing",
         {Keyword("one-sided", "OneSided"), Keyword("two-sided-long-edge", "TwoSidedLongEdge"),
          Keyword("two-sided-short-edge", "TwoSidedShortEdge")},
         "one-sided",
         G::Duplex},
        {DuplexMode,
         "duplex-mode",
         "Two-sided printing by the printer or by hand",
         {Keyword("automatic", "Automatic"), Keyword("manual", "Manual")},
         "automatic",
         G::Duplex},
        {SeparateTrayScope,
         "separate-tray-scope",
         "What the separate tray feeds of a two-sided job",
         {Keyword("first-page", "DuplexPrintFirstPage"), Keyword("first-sheet", "DuplexPrintFirstPaper")},
         "first-page",
         G::DuplexData},
        {NumberUp,
         "number-up",
         "Pages per sheet",
         {Keyword("1", "", 1), Keyword("2", "", 2), Keyword("4", "", 4), Keyword("6", "", 6), Keyword("9", "", 9),
          Keyword("16", "", 16), Keyword("25", "", 25)},
         "1",
         G::NUp},
        {NumberUpLayout,
         "number-up-layout",
         "Order of the pages on a sheet",
         {Keyword("lrtb", "RightBottom"), Keyword("tblr", "BottomRight"), Keyword("rltb", "LeftBottom"),
          Keyword("tbrl", "BottomLeft")},
         "lrtb",
         G::NUp},
        {PageBorder,
         "page-border",
         "Border around each page of a sheet",
         {PrivateKeyword("none", "None"), PrivateKeyword("single", "SolidLine"), PrivateKeyword("dashed", "BreakLine")},
         "none",
         G::NUp},
        {Booklet,
         "booklet",
         "Booklet",
         {Keyword("off", ""), Keyword("on", "Booklet"), PrivateKeyword("reverse", "BookletReverseFlip")},
         "off",
         G::Binding},
        {BookletSheetsPerSet,
         "booklet-sheets-per-set",
         "Sheets per booklet set",
         {PrivateKeyword("all", "AllPagesAtOnce"),
          Tagged(Argument("", ValueForm::Integer, "SHEETS", 1, 100), "DivideIntoSets", true)},
         "all",
         G::Binding},
        {Binding,
         "binding",
         "Binding edge",
         {Keyword("left", "BindLeft"), Keyword("right", "BindRight"), Keyword("top", "BindTop"),
          Keyword("bottom", "BindBottom")},
         "left",
         G::Binding},
        {BindingGutter,
         "binding-gutter",
         "Binding gutter",
         {Argument("", ValueForm::Length, "LENGTH", 0, 50000)},
         "0mm",
         G::Binding},
        {Poster,
         "poster",
         "Poster sheets per page",
         {Keyword("none", "", 0), Keyword("4", "", 4), Keyword("9", "", 9), Keyword("16", "", 16),
          Keyword("25", "", 25)},
         "none",
         G::Poster},
        {PosterCutLines, "poster-cut-lines", "Poster cut-out lines", PrivateOffOn(), "off", G::Poster},
        {Mirror,
         "mirror",
         "Mirror image",
         {Keyword("none", "None"), Keyword("width", "MirrorImageWidth"), Keyword("height", "MirrorImageHeight"),
          Alias(Keyword("true", "MirrorImageWidth"))},
         "none",
         G::Mirror},
        {ReverseImage, "reverse-image", "Page turned upside down", PrivateOffOn(), "off", G::ReverseImage},
        {InputSlot, "input-slot", "Paper source", InputBins(), "auto", G::InputBin},
        {SecondInputSlot, "second-input-slot", "Paper source after the first page", SecondInputBins(), "same",
         G::SecondInputBin},
        {SeparateTray, "separate-tray", "First page from its own paper source", OffOn(), "off", G::JobSetting},
        {DivideCondition,
         "divide-condition",
         "Value whose change divides the job",
         {Argument("", ValueForm::Text, "TEXT", 0, 255)},
         "",
         G::JobSetting},
        {PrintScaling,
         "print-scaling",
         "Page scaling",
         {Keyword("none", "None"), Tagged(Argument("fit-paper:", ValueForm::Media, "MEDIA"), "FitToPaper", true),
          Tagged(Argument("custom:", ValueForm::Integer, "PERCENT", 1, 1000), "CustomSquare", false),
          Keyword("fit-bleed", "FitApplicationBleedSizeToPageImageableSize"),
          Keyword("fit-content", "FitApplicationContentSizeToPageImageableSize"),
          Keyword("fit-media-imageable", "FitApplicationMediaSizeToPageImageableSize"),
          Keyword("fit-media", "FitApplicationMediaSizeToPageMediaSize")},
         "none",
         G::Scaling},
        {ScaleAlignment,
         "scale-alignment",
         "Where a scaled page sits",
         {Keyword("center", "Center"), Keyword("top-left", "TopLeft"), Keyword("top", "TopCenter"),
          Keyword("top-right", "TopRight"), Keyword("left", "LeftCenter"), Keyword("right", "RightCenter"),
          Keyword("bottom-left", "BottomLeft"), Keyword("bottom", "BottomCenter"),
          Keyword("bottom-right", "BottomRight")},
         "center",
         G::Scaling},
        {ScaleOffset,
         "scale-offset",
         "Offset of a custom-scaled page",
         {Argument("", ValueForm::LengthPair, "X,Y", -500000, 500000)},
         "0mm,0mm",
         G::Scaling},
        {PageSizeToMedia, "page-size-to-media", "Page size set to the paper size", OffOn(), "off", G::ScalingData},
        {PrinterResolution,
         "printer-resolution",
         "Resolution",
         {Keyword("150dpi", "", 150), Keyword("200dpi", "", 200), Keyword("300dpi", "", 300),
          Keyword("600dpi", "", 600), Keyword("1200dpi", "", 1200), Alias(Keyword("150x150dpi", "", 150)),
          Alias(Keyword("200x200dpi", "", 200)), Alias(Keyword("300x300dpi", "", 300)),
          Alias(Keyword("600x600dpi", "", 600)), Alias(Keyword("1200x1200dpi", "", 1200))},
         "600dpi",
         G::Resolution},
        {PrintColorMode,
         "print-color-mode",
         "Colour or grey",
         {Keyword("color", "Color"), Keyword("monochrome", "Grayscale")},
         "",
         G::Resolution},
        {WatermarkText,
         "watermark-text",
         "Watermark text",
         {Argument("", ValueForm::Text, "TEXT", 0, 1024)},
         "",
         G::Watermark},
        {WatermarkImage,
         "watermark-image",
         "Watermark image file",
         {Argument("", ValueForm::File, "FILE")},
         "",
         G::Watermark},
        {WatermarkFirstText,
         "watermark-first-text",
         "Watermark text of the first page",
         {Argument("", ValueForm::Text, "TEXT", 0, 1024)},
         "",
         G::Watermark},
        {WatermarkFirstImage,
         "watermark-first-image",
         "Watermark image file of the first page",
         {Argument("", ValueForm::File, "FILE")},
         "",
         G::Watermark},
        {WatermarkFont,
         "watermark-font",
         "Watermark font",
         {Argument("", ValueForm::FontName, "FONT")},
         "Arial",
         G::Watermark},
        {WatermarkSize,
         "watermark-size",
         "Watermark font size in points",
         {Argument("", ValueForm::Integer, "POINTS", 1, 500)},
         "72",
         G::Watermark},
        {WatermarkStyle, "watermark-style", "Watermark font style", FontStyles(), "regular", G::Watermark},
        {WatermarkColor,
         "watermark-color",
         "Watermark colour",
         {Argument("", ValueForm::Colour, "#RRGGBB")},
         "#C0C0C0",
         G::Watermark},
        {WatermarkAngle,
         "watermark-angle",
         "Watermark angle in degrees, counter-clockwise",
         {Argument("", ValueForm::Integer, "DEGREES", 0, 360)},
         "45",
         G::Watermark},
        {WatermarkPosition,
         "watermark-position",
         "Watermark centre in percent of the page from its middle",
         {Argument("", ValueForm::IntegerPair, "X,Y", -100, 100)},
         "0,0",
         G::Watermark},
        {WatermarkOverlay,
         "watermark-overlay",
         "Watermark drawn transparent or opaque",
         {PrivateKeyword("transparent", "Transparent"), PrivateKeyword("opaque", "Opaque")},
         "opaque",
         G::Watermark},
        {WatermarkOutline, "watermark-outline", "Watermark text as outline", PrivateOffOn(), "off", G::Watermark},
        {WatermarkScale,
         "watermark-scale",
         "Watermark image size in percent",
         {Argument("", ValueForm::Integer, "PERCENT", 1, 1000)},
         "100",
         G::Watermark},
        {HeaderFooter, "header-footer", "Header or footer line", PrivateOffOn(), "off", G::HeaderFooter},
        {HeaderFooterDate, "header-footer-date", "Date in the header or footer", FormatTypes(), "none",
         G::HeaderFooter},
        {HeaderFooterTime, "header-footer-time", "Time in the header or footer", FormatTypes(), "none",
         G::HeaderFooter},
        {HeaderFooterId,
         "header-footer-id",
         "Identification in the header or footer",
         {PrivateKeyword("none", "None"), PrivateKeyword("user", "UserName"),
          Tagged(Argument("custom:", ValueForm::Text, "TEXT", 0, 255), "Custom", true)},
         "none",
         G::HeaderFooter},
        {HeaderFooterPosition,
         "header-footer-position",
         "Place of the header or footer line",
         {Keyword("top-left", "", 0), Keyword("top-center", "", 1), Keyword("top-right", "", 2),
          Keyword("bottom-left", "", 3), Keyword("bottom-center", "", 4), Keyword("bottom-right", "", 5)},
         "bottom-right",
         G::HeaderFooter},
        {HeaderFooterFont,
         "header-footer-font",
         "Header or footer font",
         {Argument("", ValueForm::FontName, "FONT")},
         "Arial",
         G::HeaderFooter},
        {HeaderFooterSize,
         "header-footer-size",
         "Header or footer font size in points",
         {Argument("", ValueForm::Integer, "POINTS", 1, 500)},
         "11",
         G::HeaderFooter},
        {HeaderFooterStyle, "header-footer-style", "Header or footer font style", FontStyles(), "regular",
         G::HeaderFooter},
        {HeaderFooterColor,
         "header-footer-color",
         "Header or footer colour",
         {Argument("", ValueForm::Colour, "#RRGGBB")},
         "#000000",
         G::HeaderFooter},
        {HeaderFooterBackground,
         "header-footer-background",
         "Box behind the header or footer line",
         {PrivateKeyword("none", "Transparent"), Tagged(Argument("", ValueForm::Colour, "#RRGGBB"), "Opaque", true)},
         "none",
         G::HeaderFooter},
        {HeaderFooterUnderline, "header-footer-underline", "Header or footer underlined", OffOn(), "off",
         G::HeaderFooter},
        {HeaderFooterStrikeout, "header-footer-strikeout", "Header or footer struck out", OffOn(), "off",
         G::HeaderFooter},
        {JobOriginatingUserName,
         "job-originating-user-name",
         "User name printed as identification",
         {Argument("", ValueForm::Text, "TEXT", 0, 255)},
         "",
         G::JobInfo},
        {JobOriginatingHostName,
         "job-originating-host-name",
         "Computer the job comes from",
         {Argument("", ValueForm::Text, "TEXT", 0, 255)},
         "",
         G::JobInfo},
        {DraftMode, "draft-mode", "Draft printing", OffOn(), "off", G::SecretFunction},
        {HalftoneReduction, "halftone-reduction", "Halftone reduction", OffOn(), "off", G::SecretFunction},
    };
    for (size_t i = 0; i < table.size(); ++i) assert(static_cast<size_t>(table[i].id) == i);
    assert(table.size() == static_cast<size_t>(OptionId::Count));
    return table;
}

}  // namespace

const std::vector<OptionSpec>& OptionTable()
{
    static const std::vector<OptionSpec> table = BuildTable();
    return table;
}

const OptionSpec& Spec(OptionId id) { return OptionTable().at(static_cast<size_t>(id)); }

const OptionSpec* FindOption(std::string_view name)
{
    for (const OptionSpec& spec : OptionTable()) {
        if (EqualsIgnoringAsciiCase(spec.name, name)) return &spec;
    }
    return nullptr;
}

namespace {

bool IsBareMedia(const Alternative& alternative)
{
    return alternative.form == ValueForm::Media && alternative.spelling.empty();
}

void AppendWord(std::string* text, std::string_view word)
{
    if (!text->empty()) *text += ' ';
    *text += word;
}

}  // namespace

std::string AcceptedValues(const OptionSpec& spec)
{
    std::string text;
    for (const Alternative& alternative : spec.values) {
        if (IsBareMedia(alternative)) {
            for (const std::string& name : AcceptedMediaNames()) AppendWord(&text, name);
        } else {
            AppendWord(&text, DescribeAlternative(alternative));
        }
    }
    return text;
}

std::string ListedValues(const OptionSpec& spec)
{
    std::string text;
    bool defaultShown = spec.defaultValue.empty();
    for (const Alternative& alternative : spec.values) {
        if (alternative.alias) continue;
        if (IsBareMedia(alternative)) {
            for (const std::string& name : ListedMediaNames()) AppendWord(&text, name);
        } else if (alternative.form == ValueForm::Keyword && alternative.spelling == spec.defaultValue) {
            AppendWord(&text, "*" + std::string(alternative.spelling));
            defaultShown = true;
        } else {
            AppendWord(&text, DescribeAlternative(alternative));
        }
    }
    // A default that is not one of the keywords (a number, a length, a
    // colour) comes first.
    if (!defaultShown) text = "*" + std::string(spec.defaultValue) + " " + text;
    return text;
}

}  // namespace tav::options
