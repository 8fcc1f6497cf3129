// Device descriptions: a printer name selects the device file registered for
// it, invalid files are refused, and providers open at once on many threads.
#include <atomic>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "ticket_test_support.h"

namespace tav::testing {
namespace {

std::string DeviceTicket(const std::string& body)
{
    return std::string("<psf:PrintTicket version=\"1\" xmlns:psf=\"") + kFramework + "\" xmlns:psk=\"" + kKeywords +
           "\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
           "xmlns:ns0000=\"" +
           kPrivate + "\">" + body + "</psf:PrintTicket>";
}

const std::string kSmallDefaults =
    "<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:ISOA5\">"
    "<psf:ScoredProperty name=\"psk:MediaSizeWidth\"><psf:Value xsi:type=\"xsd:integer\">148000</psf:Value>"
    "</psf:ScoredProperty><psf:ScoredProperty name=\"psk:MediaSizeHeight\"><psf:Value xsi:type=\"xsd:integer\">"
    "210000</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature>"
    "<psf:Feature name=\"psk:JobDuplexAllDocumentsContiguously\"><psf:Option name=\"psk:OneSided\"/></psf:Feature>"
    "<psf:Feature name=\"psk:PageOutputColor\"><psf:Option name=\"psk:Monochrome\"/></psf:Feature>"
    "<psf:Feature name=\"psk:PageResolution\"><psf:Option name=\"ns0000:Resolution300\">"
    "<psf:ScoredProperty name=\"psk:ResolutionX\"><psf:Value xsi:type=\"xsd:integer\">300</psf:Value>"
    "</psf:ScoredProperty><psf:ScoredProperty name=\"psk:ResolutionY\"><psf:Value xsi:type=\"xsd:integer\">300"
    "</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature>";

// A one-sided monochrome device with one A5 medium whose margins are
// 1000, 2000, 3000 and 4000 microns on the left, top, right and bottom.
std::string SmallDevice(const std::string& mediumMargins =
                            "<Margins left=\"1000\" top=\"2000\" right=\"3000\" "
                            "bottom=\"4000\"/>",
                        const std::string& defaults = kSmallDefaults)
{
    return "<?xml version=\"1.0\"?>\n"
           "<Device xmlns=\"http://schemas.tavprint.example/tav/2026/device\" version=\"1\" name=\"Small\" "
           "color=\"no\" duplex=\"no\" maxCopies=\"9\">\n"
           "  <Margins left=\"5000\" top=\"5000\" right=\"5000\" bottom=\"5000\"/>\n"
           "  <Media><Medium name=\"ISOA5\" width=\"148000\" height=\"210000\">" +
           mediumMargins +
           "</Medium></Media>\n"
           "  <Orientations><Orientation name=\"Portrait\"/><Orientation name=\"Landscape\"/></Orientations>\n"
           "  <Resolutions><Resolution dpi=\"300\"/></Resolutions>\n"
           "  <InputBins><InputBin name=\"AutoSelect\"/><InputBin name=\"Tray1\"/></InputBins>\n"
           "  <DefaultTicket>" +
           DeviceTicket(defaults) + "</DefaultTicket>\n</Device>\n";
}

// SmallDevice with its optional Output section.
std::string SmallDeviceWithOutput(const std::string& output)
{
    std::string text = SmallDevice();
    return text.insert(text.rfind("</Device>"), output + "\n");
}

std::string MediaOption(const std::string& ticket)
{
    return TicketMarkup(ticket).Text("//psf:Feature[@name='psk:PageMediaSize']/psf:Option/@name");
}

TEST(DeviceSelection, PrinterNameSelectsItsRegisteredDevice)
{
    std::string file = WriteTemporaryFile("small.xml", SmallDevice());
    ASSERT_EQ(PTRegisterPrinterDevice(u"Small printer", file.c_str()), S_OK);
    {
        Provider small(u"Small printer");
        EXPECT_EQ(MediaOption(DefaultTicket(small.Get())), "psk:ISOA5");
        TicketMarkup capabilities(Capabilities(small.Get(), ""));
        EXPECT_EQ(capabilities.Count("//psf:Feature[@name='psk:PageMediaSize']/psf:Option"), 1);
        EXPECT_EQ(capabilities.Count("//psf:Feature[@name='psk:JobDuplexAllDocumentsContiguously']"), 0);
        EXPECT_EQ(capabilities.Count("//psf:Feature[@name='psk:PageOutputColor']/psf:Option[@name='psk:Color']"), 0);
        // The medium's own margins: 148000 - 4000 = 144000 by 210000 - 6000.
        EXPECT_EQ(capabilities.Text("//psf:Property[@name='psk:ExtentWidth']/psf:Value"), "144000");
        EXPECT_EQ(capabilities.Text("//psf:Property[@name='psk:ExtentHeight']/psf:Value"), "204000");
        EXPECT_EQ(capabilities.Text("//psf:Property[@name='psk:OriginHeight']/psf:Value"), "2000");
    }
    Provider other(u"Unregistered printer");
    EXPECT_EQ(MediaOption(DefaultTicket(other.Get())), "psk:ISOA4");

    // Unregistering brings the default device back.
    ASSERT_EQ(PTRegisterPrinterDevice(u"Small printer", nullptr), S_OK);
    Provider again(u"Small printer");
    EXPECT_EQ(MediaOption(DefaultTicket(again.Get())), "psk:ISOA4");
    EXPECT_EQ(PTRegisterPrinterDevice(u"", file.c_str()), E_INVALIDARG);
}

TEST(DeviceSelection, OneSidedMonochromeDeviceReplacesWhatItCannotDo)
{
    std::string file = WriteTemporaryFile("small-validation.xml", SmallDevice());
    ASSERT_EQ(PTRegisterPrinterDevice(u"Small validation", file.c_str()), S_OK);
    Provider small(u"Small validation");
    std::string base = DefaultTicket(small.Get());
    MergeOutcome merged =
        Merge(small.Get(), base,
              DeviceTicket("<psf:Feature name=\"psk:JobDuplexAllDocumentsContiguously\">"
                           "<psf:Option name=\"psk:TwoSidedLongEdge\"/></psf:Feature>"
                           "<psf:Feature name=\"psk:PageOutputColor\"><psf:Option name=\"psk:Color\"/></psf:Feature>"
                           "<psf:ParameterInit name=\"psk:JobCopiesAllDocuments\">"
                           "<psf:Value xsi:type=\"xsd:integer\">20</psf:Value></psf:ParameterInit>"
                           "<psf:Feature name=\"psk:PageOrientation\"><psf:Option name=\"psk:ReversePortrait\"/>"
                           "</psf:Feature>"));
    EXPECT_EQ(merged.hr, S_PT_CONFLICT_RESOLVED);
    TicketMarkup result(merged.result);
    EXPECT_EQ(result.Text("//psf:Feature[@name='psk:JobDuplexAllDocumentsContiguously']/psf:Option/@name"),
              "psk:OneSided");
    EXPECT_EQ(result.Text("//psf:Feature[@name='psk:PageOutputColor']/psf:Option/@name"), "psk:Monochrome");
    EXPECT_EQ(result.Text("//psf:ParameterInit[@name='psk:JobCopiesAllDocuments']/psf:Value"), "9");
    // Neither the device nor its default ticket has ReversePortrait.
    EXPECT_EQ(result.Count("//psf:Feature[@name='psk:PageOrientation']"), 0);
    PTRegisterPrinterDevice(u"Small validation", nullptr);
}

std::string MediumDelta(const std::string& option, int width, int height)
{
    auto size = [](const char* name, int value) {
        return std::string("<psf:ScoredProperty name=\"psk:") + name + "\"><psf:Value xsi:type=\"xsd:integer\">" +
               std::to_string(value) + "</psf:Value></psf:ScoredProperty>";
    };
    return DeviceTicket("<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"" + option + "\">" +
                        size("MediaSizeWidth", width) + size("MediaSizeHeight", height) +
                        "</psf:Option></psf:Feature>");
}

TEST(DeviceSelection, ADeviceCanListMediaOfThePrivateNamespace)
{
    std::string device = SmallDevice();
    device.replace(device.find("</Media>"), 0,
                   "<Medium name=\"Banner\" private=\"yes\" width=\"100000\" height=\"300000\"/>");
    std::string file = WriteTemporaryFile("private-media.xml", device);
    ASSERT_EQ(PTRegisterPrinterDevice(u"Private media", file.c_str()), S_OK);
    Provider printer(u"Private media");
    std::string base = DefaultTicket(printer.Get());

    // The private option keeps its name and gets the device's size.
    std::string result = Merge(printer.Get(), base, MediumDelta("ns0000:Banner", 1, 2)).result;
    EXPECT_EQ(MediaOption(result), "ns0000:Banner");
    TicketMarkup merged(result);
    EXPECT_EQ(merged.Text("//psf:ScoredProperty[@name='psk:MediaSizeHeight']/psf:Value"), "300000");
    // The same name among the Print Schema keywords is no medium of the device.
    EXPECT_EQ(MediaOption(Merge(printer.Get(), base, MediumDelta("psk:Banner", 100000, 300000)).result), "psk:ISOA5");

    TicketMarkup capabilities(Capabilities(printer.Get(), MediumDelta("ns0000:Banner", 100000, 300000)));
    EXPECT_EQ(capabilities.Count("//psf:Feature[@name='psk:PageMediaSize']/psf:Option"), 2);
    // The device margins of 5000 on every side: 100000 - 10000 across.
    EXPECT_EQ(capabilities.Text("//psf:Property[@name='psk:ExtentWidth']/psf:Value"), "90000");
    EXPECT_EQ(capabilities.Text("//psf:Property[@name='psk:ExtentHeight']/psf:Value"), "290000");
    PTRegisterPrinterDevice(u"Private media", nullptr);
}

TEST(DeviceSelection, TheDefaultDeviceHasEveryMediumTheOptionsOffer)
{
    Provider printer(u"Default media");
    std::string base = DefaultTicket(printer.Get());
    const std::tuple<const char*, int, int> media[] = {{"psk:ISOA6", 105000, 148000},
                                                       {"psk:JISB4", 257000, 364000},
                                                       {"psk:NorthAmericaTabloid", 279400, 431800},
                                                       {"psk:JapanHagakiPostcard", 100000, 148000}};
    for (auto [option, width, height] : media) {
        MergeOutcome merged = Merge(printer.Get(), base, MediumDelta(option, width, height));
        EXPECT_EQ(merged.hr, S_PT_NO_CONFLICT) << option;
        EXPECT_EQ(MediaOption(merged.result), option);
    }
}

TEST(DeviceSelection, InvalidDeviceFilesAreRefused)
{
    struct Case {
        const char* what;
        std::string text;
    };
    const Case cases[] = {
        {"not well-formed", SmallDevice().substr(0, 200)},
        {"doctype", "<!DOCTYPE Device SYSTEM \"http://example.invalid/device.dtd\">" + SmallDevice().substr(22)},
        {"margins wider than the medium",
         SmallDevice("<Margins left=\"100000\" top=\"0\" right=\"48000\" bottom=\"0\"/>")},
        {"unknown element", SmallDevice("<Colour/>")},
        {"default medium not listed",
         SmallDevice("", "<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:ISOA4\"/></psf:Feature>")},
        {"default ticket asks for two sides",
         SmallDevice("", kSmallDefaults + "<psf:Feature name=\"psk:DocumentDuplex\">"
                                          "<psf:Option name=\"psk:TwoSidedLongEdge\"/></psf:Feature>")},
        {"output section twice", SmallDeviceWithOutput("<Output planes=\"1\"/><Output planes=\"1\"/>")},
        {"output turned 45 degrees", SmallDeviceWithOutput("<Output landscapeRotation=\"45\"/>")},
        {"encoder in a folder", SmallDeviceWithOutput("<Output encoder=\"../lib/enc.so\"/>")},
        {"no planes", SmallDeviceWithOutput("<Output planes=\"0\"/>")},
        {"unknown output setting", SmallDeviceWithOutput("<Output colours=\"4\"/>")},
        {"version 2",
         [] {
             std::string text = SmallDevice();
             text.replace(text.find("version=\"1\" name"), 11, "version=\"2\"");
             return text;
         }()},
    };
    for (const Case& bad : cases) {
        SCOPED_TRACE(bad.what);
        std::string file = WriteTemporaryFile("bad.xml", bad.text);
        ASSERT_EQ(PTRegisterPrinterDevice(u"Broken printer", file.c_str()), S_OK);
        HPTPROVIDER provider = reinterpret_cast<HPTPROVIDER>(&file);
        EXPECT_EQ(PTOpenProvider(u"Broken printer", 1, &provider), E_PRINTDEVICECAPABILITIES_FORMAT);
        EXPECT_EQ(provider, nullptr);
    }

    HPTPROVIDER provider = nullptr;
    ASSERT_EQ(PTRegisterPrinterDevice(u"Broken printer", "/nonexistent/tav/device.xml"), S_OK);
    EXPECT_EQ(PTOpenProvider(u"Broken printer", 1, &provider), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    // A folder is no device file.
    std::string folder = WriteTemporaryFile("placeholder", "");
    folder = folder.substr(0, folder.rfind('/'));
    ASSERT_EQ(PTRegisterPrinterDevice(u"Broken printer", folder.c_str()), S_OK);
    EXPECT_EQ(PTOpenProvider(u"Broken printer", 1, &provider), E_PRINTDEVICECAPABILITIES_FORMAT);
    PTRegisterPrinterDevice(u"Broken printer", nullptr);
}

TEST(DeviceSelection, TheOutputSectionGivesThePipelinePropertiesItNames)
{
    std::string file = WriteTemporaryFile(
        "small-output.xml", SmallDeviceWithOutput("<Output bitsPerPixel=\"1\" planes=\"1\" portraitRotation=\"90\" "
                                                  "encoder=\"libmono.so\"/>"));
    ASSERT_EQ(PTRegisterPrinterDevice(u"Small output", file.c_str()), S_OK);
    Provider small(u"Small output");
    auto property = [&](const WCHAR* name, VARIANT* value) {
        return PTGetDevicePipelineProperty(small.Get(), name, value);
    };
    VARIANT value;
    const std::pair<const WCHAR*, LONG> numbers[] = {
        {u"OutputBitsPixel", 1}, {u"OutputPlanes", 1}, {u"PortraitRotation", 90}};
    for (const auto& [name, expected] : numbers) {
        ASSERT_EQ(property(name, &value), S_OK);
        EXPECT_EQ(value.vt, VT_I4);
        EXPECT_EQ(value.lVal, expected);
    }
    // Not given: the host's default applies.
    EXPECT_EQ(property(u"LandscapeRotation", &value), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
    ASSERT_EQ(property(u"EncDllName64", &value), S_OK);
    ASSERT_EQ(value.vt, VT_BSTR);
    EXPECT_EQ(std::u16string(value.bstrVal), u"libmono.so");
    VariantClear(&value);
    EXPECT_EQ(property(u"PrinterName", &value), E_INVALIDARG);

    // The default device says nothing of its output.
    Provider other(u"Unregistered printer");
    EXPECT_EQ(PTGetDevicePipelineProperty(other.Get(), u"OutputPlanes", &value), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
    PTRegisterPrinterDevice(u"Small output", nullptr);
}

TEST(DeviceSelection, OpenAndCloseArguments)
{
    HPTPROVIDER provider = nullptr;
    EXPECT_EQ(PTOpenProvider(u"Any", 2, &provider), E_INVALIDARG);
    EXPECT_EQ(PTOpenProvider(nullptr, 1, &provider), E_INVALIDARG);
    EXPECT_EQ(PTOpenProvider(u"Any", 1, nullptr), E_POINTER);
    ASSERT_EQ(PTOpenProvider(u"", 1, &provider), S_OK);
    EXPECT_EQ(PTCloseProvider(provider), S_OK);
    EXPECT_EQ(PTCloseProvider(provider), E_HANDLE);
    EXPECT_EQ(PTCloseProvider(nullptr), E_HANDLE);
}

TEST(DeviceSelection, ManyProvidersOpenAtOnceOnSeveralThreads)
{
    std::string file = WriteTemporaryFile("threads.xml", SmallDevice());
    ASSERT_EQ(PTRegisterPrinterDevice(u"Threaded small", file.c_str()), S_OK);
    constexpr int kThreads = 8;
    constexpr int kRounds = 15;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                bool small = (t + round) % 2 == 0;
                // Other threads register names of their own meanwhile.
                std::u16string own = u"Own printer " + std::u16string(1, static_cast<char16_t>(u'A' + t));
                PTRegisterPrinterDevice(own.c_str(), round % 3 == 0 ? file.c_str() : nullptr);
                HPTPROVIDER provider = nullptr;
                if (PTOpenProvider(small ? u"Threaded small" : u"Threaded default", 1, &provider) != S_OK) {
                    ++failures;
                    continue;
                }
                StreamPtr ticket(EmptyStream());
                StreamPtr result(EmptyStream());
                if (PTGetDefaultPrintTicket(provider, ticket.get()) != S_OK) ++failures;
                LARGE_INTEGER start{};
                ticket->Seek(start, STREAM_SEEK_SET, nullptr);
                if (PTMergeAndValidatePrintTicket(provider, ticket.get(), nullptr, kPTJobScope, result.get(),
                                                  nullptr) != S_PT_NO_CONFLICT)
                    ++failures;
                std::string expected = small ? "psk:ISOA5" : "psk:ISOA4";
                if (StreamText(result.get()).find("name=\"" + expected + "\"") == std::string::npos) ++failures;
                if (PTCloseProvider(provider) != S_OK) ++failures;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
    PTRegisterPrinterDevice(u"Threaded small", nullptr);
}

}  // namespace
}  // namespace tav::testing
