#include "devmode_conversion.h"

#include <algorithm>
#include <cstring>

#include "platform/wformat.h"

namespace tav::printticket {
namespace {

struct PaperCode {
    const char* keyword;  // Print Schema PageMediaSize option
    SHORT code;
    const char16_t* formName;
};

constexpr PaperCode kPaperCodes[] = {
    {"NorthAmericaLetter", DMPAPER_LETTER, u"Letter"},
    {"NorthAmericaLegal", DMPAPER_LEGAL, u"Legal"},
    {"NorthAmericaExecutive", DMPAPER_EXECUTIVE, u"Executive"},
    {"NorthAmericaTabloid", DMPAPER_TABLOID, u"Tabloid"},
    {"NorthAmericaStatement", DMPAPER_STATEMENT, u"Statement"},
    {"ISOA3", DMPAPER_A3, u"A3"},
    {"ISOA4", DMPAPER_A4, u"A4"},
    {"ISOA5", DMPAPER_A5, u"A5"},
    {"JISB4", DMPAPER_B4, u"B4 (JIS)"},
    {"JISB5", DMPAPER_B5, u"B5 (JIS)"},
    {"ISOB4", DMPAPER_ISO_B4, u"B4 (ISO)"},
    {"NorthAmericaNumber10Envelope", DMPAPER_ENV_10, u"Envelope #10"},
    {"ISODLEnvelope", DMPAPER_ENV_DL, u"Envelope DL"},
    {"ISOC5Envelope", DMPAPER_ENV_C5, u"Envelope C5"},
    {"NorthAmericaMonarchEnvelope", DMPAPER_ENV_MONARCH, u"Envelope Monarch"},
};

SHORT ToShort(int64_t value) { return static_cast<SHORT>(std::clamp<int64_t>(value, -32768, 32767)); }

// Microns to tenths of a millimetre, rounded.
SHORT TenthsOfMillimetre(int64_t microns) { return ToShort((microns + 50) / 100); }

template <size_t N>
void CopyText(WCHAR (&target)[N], std::u16string_view text)
{
    size_t length = std::min(text.size(), N - 1);
    std::copy_n(text.begin(), length, target);
    target[length] = 0;
}

SHORT DefaultSource(const QualifiedName& bin)
{
    if (bin == Keyword("AutoSelect")) return DMBIN_AUTO;
    if (bin == Keyword("Manual")) return DMBIN_MANUAL;
    // The driver's own bins are numbered after DMBIN_USER by their row in the
    // bin table.
    const std::vector<InputBin>& table = InputBinTable();
    for (size_t row = 0; row < table.size(); ++row)
        if (table[row].Name() == bin) return static_cast<SHORT>(DMBIN_USER + row);
    return DMBIN_AUTO;
}

}  // namespace

DEVMODE_WITH_EXTRA ConvertToDevMode(const DeviceSettings& settings, std::u16string_view printerName)
{
    DEVMODE_WITH_EXTRA whole;
    std::memset(&whole, 0, sizeof whole);
    DEVMODEW& devmode = whole.publicPart;
    CopyText(devmode.dmDeviceName, printerName);
    devmode.dmSpecVersion = DM_SPECVERSION;
    devmode.dmDriverVersion = 0x0100;
    devmode.dmSize = sizeof(DEVMODEW);
    devmode.dmDriverExtra = sizeof(DEVMODE_DRIVER_EXTRA);
    whole.extra.signature = kDevModeExtraSignature;
    switch (settings.duplexMode) {
    case DuplexMode::None: whole.extra.duplexMode = kDevModeDuplexModeNone; break;
    case DuplexMode::Automatic: whole.extra.duplexMode = kDevModeDuplexModeAutomatic; break;
    case DuplexMode::Manual: whole.extra.duplexMode = kDevModeDuplexModeManual; break;
    }

    const PageSetup& page = settings.page;
    bool portrait = page.orientation == Orientation::Portrait || page.orientation == Orientation::ReversePortrait;
    devmode.dmOrientation = portrait ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
    devmode.dmPaperWidth = TenthsOfMillimetre(page.width);
    devmode.dmPaperLength = TenthsOfMillimetre(page.height);
    devmode.dmPaperSize = 0;
    std::u16string formName = u"Custom";
    if (page.medium != nullptr) {
        formName = Utf8ToWide(page.medium->name);
        for (const PaperCode& paper : kPaperCodes)
            if (!page.medium->isPrivate && page.medium->name == paper.keyword) {
                devmode.dmPaperSize = paper.code;
                formName = paper.formName;
            }
    }
    CopyText(devmode.dmFormName, formName);
    devmode.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_FORMNAME;

    devmode.dmScale = 100;
    devmode.dmCopies = ToShort(settings.copies);
    devmode.dmPrintQuality = ToShort(settings.resolutionX);
    devmode.dmYResolution = ToShort(settings.resolutionY);
    devmode.dmColor = settings.color ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
    switch (settings.duplex) {
    case Duplex::OneSided: devmode.dmDuplex = DMDUP_SIMPLEX; break;
    case Duplex::TwoSidedLongEdge: devmode.dmDuplex = DMDUP_VERTICAL; break;
    case Duplex::TwoSidedShortEdge: devmode.dmDuplex = DMDUP_HORIZONTAL; break;
    }
    devmode.dmFields |= DM_SCALE | DM_COPIES | DM_PRINTQUALITY | DM_YRESOLUTION | DM_COLOR | DM_DUPLEX;
    if (settings.inputBin) {
        devmode.dmDefaultSource = DefaultSource(*settings.inputBin);
        devmode.dmFields |= DM_DEFAULTSOURCE;
    }
    if (settings.collate) {
        devmode.dmCollate = *settings.collate ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
        devmode.dmFields |= DM_COLLATE;
    }
    return whole;
}

}  // namespace tav::printticket
