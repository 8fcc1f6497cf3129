// The DEVMODE a ticket converts to.
#include <string>

#include "platform/bstr.h"
#include "platform/devmode.h"
#include "platform/wformat.h"
#include "ticket_test_support.h"

namespace tav::testing {
namespace {

struct DevModeReleaser {
    void operator()(DEVMODEW* devmode) const { PTReleaseMemory(devmode); }
};
using DevModePtr = std::unique_ptr<DEVMODEW, DevModeReleaser>;

DevModePtr Convert(HPTPROVIDER provider, const std::string& ticket, EPrintTicketScope scope = kPTJobScope)
{
    StreamPtr stream(ticket.empty() ? nullptr : TextStream(ticket));
    ULONG size = 0;
    DEVMODEW* devmode = nullptr;
    BSTR message = nullptr;
    EXPECT_EQ(
        PTConvertPrintTicketToDevMode(provider, stream.get(), kUserDefaultDevmode, scope, &size, &devmode, &message),
        S_OK);
    EXPECT_EQ(message, nullptr);
    // The public 220 bytes and the driver's 8.
    EXPECT_EQ(size, 228u);
    return DevModePtr(devmode);
}

std::u16string Text(const WCHAR* text) { return std::u16string(text); }

const std::string kA4LandscapeLongEdge300 = Ticket(
    "<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:ISOA4\"/></psf:Feature>"
    "<psf:Feature name=\"psk:PageOrientation\"><psf:Option name=\"psk:Landscape\"/></psf:Feature>"
    "<psf:Feature name=\"psk:JobDuplexAllDocumentsContiguously\"><psf:Option name=\"psk:TwoSidedLongEdge\"/>"
    "</psf:Feature>"
    "<psf:Feature name=\"psk:PageResolution\"><psf:Option>"
    "<psf:ScoredProperty name=\"psk:ResolutionX\"><psf:Value xsi:type=\"xsd:integer\">300</psf:Value>"
    "</psf:ScoredProperty><psf:ScoredProperty name=\"psk:ResolutionY\"><psf:Value xsi:type=\"xsd:integer\">300"
    "</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature>"
    "<psf:ParameterInit name=\"psk:JobCopiesAllDocuments\"><psf:Value xsi:type=\"xsd:integer\">3</psf:Value>"
    "</psf:ParameterInit>"
    "<psf:Feature name=\"psk:PageInputBin\"><psf:Option name=\"psk:Manual\"/></psf:Feature>");

TEST(DevMode, A4LandscapeTwoSidedLongEdgeAt300Dpi)
{
    Provider provider(u"Office printer");
    DevModePtr devmode = Convert(provider.Get(), kA4LandscapeLongEdge300);
    ASSERT_NE(devmode, nullptr);
    EXPECT_EQ(Text(devmode->dmDeviceName), u"Office printer");
    EXPECT_EQ(devmode->dmSpecVersion, 0x0401);
    EXPECT_EQ(devmode->dmSize, 220);
    EXPECT_EQ(devmode->dmDriverExtra, 8);
    EXPECT_EQ(devmode->dmPaperSize, DMPAPER_A4);
    EXPECT_EQ(devmode->dmPaperWidth, 2100);
    EXPECT_EQ(devmode->dmPaperLength, 2970);
    EXPECT_EQ(devmode->dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(devmode->dmDuplex, DMDUP_VERTICAL);
    EXPECT_EQ(devmode->dmPrintQuality, 300);
    EXPECT_EQ(devmode->dmYResolution, 300);
    EXPECT_EQ(devmode->dmCopies, 3);
    EXPECT_EQ(devmode->dmColor, DMCOLOR_COLOR);
    EXPECT_EQ(devmode->dmDefaultSource, DMBIN_MANUAL);
    EXPECT_EQ(Text(devmode->dmFormName), u"A4");
    const DWORD expected = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES |
                           DM_PRINTQUALITY | DM_YRESOLUTION | DM_DUPLEX | DM_COLOR | DM_FORMNAME | DM_DEFAULTSOURCE;
    EXPECT_EQ(devmode->dmFields & expected, expected);
    EXPECT_EQ(devmode->dmFields & DM_COLLATE, 0u);
    // Two-sided without a DuplexMode: the driver's settings do not say.
    const auto* whole = reinterpret_cast<const DEVMODE_WITH_EXTRA*>(devmode.get());
    EXPECT_EQ(whole->extra.signature, kDevModeExtraSignature);
    EXPECT_EQ(whole->extra.duplexMode, kDevModeDuplexModeNone);
}

TEST(DevMode, AManualTwoSidedJobSaysSoInTheDriversSettings)
{
    Provider provider;
    for (const char* mode : {"Manual", "Automatic"}) {
        DevModePtr devmode = Convert(
            provider.Get(),
            Ticket(std::string("<psf:Feature name=\"psk:JobDuplexAllDocumentsContiguously\">"
                               "<psf:Option name=\"psk:TwoSidedShortEdge\"><psf:ScoredProperty name=\"psk:DuplexMode\">"
                               "<psf:Value xsi:type=\"xsd:string\">") +
                   mode + "</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature>"));
        ASSERT_NE(devmode, nullptr);
        EXPECT_EQ(devmode->dmDuplex, DMDUP_HORIZONTAL);
        const auto* whole = reinterpret_cast<const DEVMODE_WITH_EXTRA*>(devmode.get());
        EXPECT_EQ(whole->extra.duplexMode,
                  std::string(mode) == "Manual" ? kDevModeDuplexModeManual : kDevModeDuplexModeAutomatic);
    }
}

TEST(DevMode, DeviceDefaultWithoutTicket)
{
    Provider provider;
    DevModePtr devmode = Convert(provider.Get(), "");
    EXPECT_EQ(devmode->dmPaperSize, DMPAPER_A4);
    EXPECT_EQ(devmode->dmOrientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(devmode->dmDuplex, DMDUP_SIMPLEX);
    EXPECT_EQ(devmode->dmPrintQuality, 600);
    EXPECT_EQ(devmode->dmCopies, 1);
    EXPECT_EQ(devmode->dmDefaultSource, DMBIN_AUTO);
}

TEST(DevMode, MediaWithoutPaperCodeGiveTheirSize)
{
    Provider provider;
    DevModePtr isoB5 = Convert(provider.Get(), Ticket("<psf:Feature name=\"psk:PageMediaSize\">"
                                                      "<psf:Option name=\"psk:ISOB5\"/></psf:Feature>"));
    EXPECT_EQ(isoB5->dmPaperSize, 0);
    EXPECT_EQ(isoB5->dmPaperWidth, 1760);
    EXPECT_EQ(isoB5->dmPaperLength, 2500);
    EXPECT_EQ(Text(isoB5->dmFormName), u"ISOB5");

    DevModePtr jisB5 = Convert(provider.Get(), Ticket("<psf:Feature name=\"psk:PageMediaSize\">"
                                                      "<psf:Option name=\"psk:JISB5\"/></psf:Feature>"));
    EXPECT_EQ(jisB5->dmPaperSize, DMPAPER_B5);

    DevModePtr custom = Convert(
        provider.Get(),
        Ticket("<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:CustomMediaSize\">"
               "<psf:ScoredProperty name=\"psk:MediaSizeWidth\"><psf:Value xsi:type=\"xsd:integer\">123456</psf:Value>"
               "</psf:ScoredProperty><psf:ScoredProperty name=\"psk:MediaSizeHeight\">"
               "<psf:Value xsi:type=\"xsd:integer\">200049</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature>"
               "<psf:Feature name=\"psk:PageOutputColor\"><psf:Option name=\"psk:Grayscale\"/></psf:Feature>"));
    EXPECT_EQ(custom->dmPaperSize, 0);
    EXPECT_EQ(custom->dmPaperWidth, 1235);  // 123456 microns, rounded to tenths of a millimetre
    EXPECT_EQ(custom->dmPaperLength, 2000);
    EXPECT_EQ(Text(custom->dmFormName), u"Custom");
    EXPECT_EQ(custom->dmColor, DMCOLOR_MONOCHROME);
}

TEST(DevMode, PageScopeLeavesOutJobSettings)
{
    Provider provider;
    DevModePtr devmode = Convert(provider.Get(), kA4LandscapeLongEdge300, kPTPageScope);
    EXPECT_EQ(devmode->dmDuplex, DMDUP_SIMPLEX);
    EXPECT_EQ(devmode->dmCopies, 1);
    EXPECT_EQ(devmode->dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(devmode->dmPrintQuality, 300);
}

TEST(DevMode, ArgumentsAreChecked)
{
    Provider provider;
    ULONG size = 7;
    DEVMODEW* devmode = reinterpret_cast<DEVMODEW*>(&size);
    EXPECT_EQ(PTConvertPrintTicketToDevMode(provider.Get(), nullptr, kUserDefaultDevmode, kPTJobScope, nullptr,
                                            &devmode, nullptr),
              E_POINTER);
    EXPECT_EQ(devmode, nullptr);
    EXPECT_EQ(PTConvertPrintTicketToDevMode(provider.Get(), nullptr, kPrinterDefaultDevmode,
                                            static_cast<EPrintTicketScope>(3), &size, &devmode, nullptr),
              E_INVALIDARG);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(PTReleaseMemory(nullptr), S_OK);
}

}  // namespace
}  // namespace tav::testing
