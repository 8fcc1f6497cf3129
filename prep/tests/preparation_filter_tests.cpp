// PreparationFilter over the pipeline doubles: which pages are rewritten,
// which tickets are replaced by scaled ticket parts and what those say, and
// the job's cache of decoration parts.
#include <gtest/gtest.h>

#include "bitmap_watermark.h"
#include "image_test_files.h"
#include "preparation_filter.h"
#include "resource_part_cache.h"
#include "settings_test_support.h"
#include "testsupport/filter_runner.h"
#include "testsupport/parts.h"
#include "testsupport/per_user_ticket.h"
#include "testsupport/ticket_markup.h"

namespace {

using namespace testsupport;
using namespace settingstest;

const std::string kXps = "xmlns=\"http://schemas.microsoft.com/xps/2005/06\"";
const std::string kPage = "<FixedPage " + kXps +
                          " Width=\"816\" Height=\"1056\" ContentBox=\"10,20,300,400\"><Path Data=\"M 0,0 L 9,9\"/>"
                          "</FixedPage>";
const std::string kLetter = Feature(
    "psk:PageMediaSize",
    Option("psk:NorthAmericaLetter", Scored("psk:MediaSizeWidth", "215900") + Scored("psk:MediaSizeHeight", "279400")));
const std::string kFitToA4 =
    Feature("psk:PageScaling",
            Option("ns0000:FitToPaper") +
                Feature("ns0000:FitMediaSize", Option("psk:ISOA4", Scored("psk:FitMediaSizeWidth", "210000") +
                                                                       Scored("psk:FitMediaSizeHeight", "297000"))));
const std::string kNoScaling = Feature("psk:PageScaling", Option("psk:None"));
const std::string kPortrait = Feature("psk:PageOrientation", Option("psk:Portrait"));

// A job of documents and pages, each with a ticket of its own when its
// ticket body is not empty.
struct Job {
    ComPtr<FixedDocumentSequencePart> sequence = MakePart<FixedDocumentSequencePart>(u"/FixedDocumentSequence.fdseq");
    std::vector<ComPtr<IUnknown>> parts = {Unknown(sequence)};

    explicit Job(const std::string& ticket) { Attach(sequence.Get(), u"/Job", ticket); }
    template <class Part>
    Part* Add(const std::u16string& uri, const std::string& ticket, const std::string& markup = kPage)
    {
        ComPtr<Part> part;
        if constexpr (std::is_same_v<Part, FixedPagePart>)
            part = MakePart<Part>(uri, markup);
        else
            part = MakePart<Part>(uri);
        Attach(part.Get(), uri, ticket);
        parts.push_back(Unknown(part));
        return part.Get();
    }
    template <class Part>
    static void Attach(Part* part, const std::u16string& uri, const std::string& ticket)
    {
        if (!ticket.empty())
            part->SetPrintTicket(MakePart<PrintTicketPart>(uri + u"_PT", tickettest::MakeTicket(ticket)).Get());
    }
};

ChainOutcome RunPreparation(const Job& job, const RunOptions& options = {})
{
    auto filter = ComPtr<PreparationFilter>::Adopt(new PreparationFilter);
    return RunFilter(filter.Get(), job.parts, options);
}

template <class Part>
std::pair<std::string, std::string> TicketOf(Part* part)
{
    ComPtr<IPartPrintTicket> ticket;
    if (FAILED(part->GetPrintTicket(ticket.Out())) || !ticket) return {};
    std::u16string uri = PartUri(ticket.Get());
    return {std::string(uri.begin(), uri.end()), AsTestPart(ticket.Get())->Content()};
}

// A ticket part of the filter's with the tag, the media and no scaling
// pending.
template <class Part>
void ExpectTicket(Part* part, const std::string& tag, const std::string& media = "psk:ISOA4")
{
    auto [name, markup] = TicketOf(part);
    EXPECT_EQ(name.rfind("/PT_" + tag + "_", 0), 0u) << name;
    TicketMarkup ticket(markup);
    EXPECT_EQ(ticket.Text("/psf:PrintTicket/psf:Feature[@name='psk:PageMediaSize']/psf:Option/@name"), media);
    EXPECT_EQ(ticket.Text("/psf:PrintTicket/psf:Feature[@name='psk:PageScaling']/psf:Option/@name"), "psk:None");
}

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";

TEST(PreparationFilterTest, APageWithNothingToDoIsSentAsItCame)
{
    Job job(kPortrait);
    job.Add<FixedDocumentPart>(u"/Documents/1/FixedDocument.fdoc", "");
    FixedPagePart* page = job.Add<FixedPagePart>(u"/Pages/1.fpage", kPortrait);
    ChainOutcome outcome = RunPreparation(job);
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    EXPECT_EQ(outcome.consumer->SentParts().size(), 3u);
    EXPECT_EQ(page->Content(), kPage);
    EXPECT_EQ(page->ContentState().CloseCount(), 0);
    EXPECT_EQ(TicketOf(page).first, "/Pages/1.fpage_PT");
    EXPECT_EQ(TicketOf(job.sequence.Get()).first, "/Job_PT");
}

TEST(PreparationFilterTest, FitToPaperScalesThePagesAndLeavesTicketsOfThePaperTheyArePrintedOn)
{
    Job job(kLetter + kFitToA4);
    auto* plainDocument = job.Add<FixedDocumentPart>(u"/Documents/1/FixedDocument.fdoc", "");
    auto* inherited = job.Add<FixedPagePart>(u"/Pages/1.fpage", "");
    auto* own = job.Add<FixedPagePart>(u"/Pages/2.fpage", kPortrait);
    // A page that asks for no scaling keeps Letter: its own ticket, merged
    // over the job's new one, would say A4.
    auto* unscaled = job.Add<FixedPagePart>(u"/Pages/3.fpage", kNoScaling);
    auto* ticketedDocument = job.Add<FixedDocumentPart>(u"/Documents/2/FixedDocument.fdoc", kPortrait);
    auto* unscaledDocument = job.Add<FixedDocumentPart>(u"/Documents/3/FixedDocument.fdoc", kNoScaling);
    auto* pageOfIt = job.Add<FixedPagePart>(u"/Pages/4.fpage", "");
    ASSERT_EQ(RunPreparation(job).filters[0].startResult, S_OK);

    ExpectTicket(job.sequence.Get(), "SC_JOB");
    EXPECT_TRUE(TicketOf(plainDocument).first.empty());
    ExpectTicket(ticketedDocument, "SC_DOC");
    ExpectTicket(unscaledDocument, "SC_DOC", "psk:NorthAmericaLetter");
    EXPECT_TRUE(TicketOf(inherited).first.empty());
    ExpectTicket(own, "SC");
    ExpectTicket(unscaled, "SC", "psk:NorthAmericaLetter");
    for (FixedPagePart* page : {inherited, own}) {
        EXPECT_EQ(page->Content().rfind(kDeclaration + "<FixedPage " + kXps +
                                            " Width=\"793.71\" Height=\"1122.53\"><Canvas RenderTransform=",
                                        0),
                  0u)
            << page->Content();
    }
    EXPECT_EQ(unscaled->Content(), kPage);
    EXPECT_EQ(pageOfIt->Content(), kPage);
}

TEST(PreparationFilterTest, CorrectFixedPageSizeAloneWrapsThePageInTheIdentityClippedToItsContentBox)
{
    // Letter, 215900 x 279400 microns, is 816.01 x 1056.01.
    Job job(kLetter + PropertyGroup("ns0000:PageScalingData", Property("ns0000:CorrectFixedPageSize", "On")));
    job.Add<FixedDocumentPart>(u"/Documents/1/FixedDocument.fdoc", "");
    FixedPagePart* page = job.Add<FixedPagePart>(u"/Pages/1.fpage", "");
    ASSERT_EQ(RunPreparation(job).filters[0].startResult, S_OK);
    EXPECT_EQ(page->Content(), kDeclaration + "<FixedPage " + kXps +
                                   " Width=\"816.01\" Height=\"1056.01\">"
                                   "<Canvas RenderTransform=\"1.000000,0.000000,0.000000,1.000000,0.00,0.00\""
                                   " Clip=\"M 10.00,20.00 L 310.00,20.00 310.00,420.00 10.00,420.00 z\">"
                                   "<Path Data=\"M 0,0 L 9,9\"/></Canvas>\n</FixedPage>\n");
}

TEST(PreparationFilterTest, ScalingFromTheUsersDefaultTicketAloneIsStillResetForTheFiltersAfter)
{
    ComPtr<TestPropertyBag> bag = DefaultPropertyBag();
    SetPerUserTicket(bag.Get(), MergedOverDeviceDefault(tickettest::MakeTicket(kFitToA4)));
    RunOptions options;
    options.propertyBag = ComPtr<IPrintPipelinePropertyBag>::Share(bag.Get());
    Job job("");
    job.Add<FixedDocumentPart>(u"/Documents/1/FixedDocument.fdoc", "");
    FixedPagePart* page = job.Add<FixedPagePart>(u"/Pages/1.fpage", "");
    ASSERT_EQ(RunPreparation(job, options).filters[0].startResult, S_OK);
    ExpectTicket(job.sequence.Get(), "SC_JOB");
    EXPECT_NE(page->Content().find("Width=\"793.71\" Height=\"1122.53\""), std::string::npos);
}

// A text watermark entry of the private watermark data, at the page's
// origin in black, 36 points.
std::string TextEntry(const std::string& name, const std::string& text)
{
    return PropertyGroup("ns0000:" + name,
                         Property("ns0000:ID", "0", "integer") + Property("ns0000:Type", "Text") +
                             Property("ns0000:PostionX", "0", "integer") + Property("ns0000:PostionY", "0", "integer") +
                             Property("ns0000:FontColor", "0", "integer") +
                             Property("ns0000:FontSize", "36", "integer") + Property("ns0000:Text", text));
}

// With a first page of its own, only the job's first page gets the
// first entry's text; an empty text draws nothing and embeds no font. The
// pages carry no ticket of their own, so the second is drawn from the
// settings kept for the first.
TEST(PreparationFilterTest, TheFirstPageOfTheJobTakesItsOwnWatermarkAndAnEmptyTextDrawsNothing)
{
    Job job(kPortrait +
            Feature("psk:PageWatermark", Option("psk:On") + Feature("ns0000:CustomSettings", Option("ns0000:On"))) +
            PropertyGroup("ns0000:PageWatermarkData", TextEntry("CustomWatermarkSettingsFirst", "First") +
                                                          TextEntry("CustomWatermarkSettingsOther", "")));
    job.Add<FixedDocumentPart>(u"/Documents/1/FixedDocument.fdoc", "");
    FixedPagePart* first = job.Add<FixedPagePart>(u"/Pages/1.fpage", "");
    FixedPagePart* second = job.Add<FixedPagePart>(u"/Pages/2.fpage", "");
    ChainOutcome outcome = RunPreparation(job);
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    EXPECT_NE(first->Content().find("FontRenderingEmSize=\"48\""), std::string::npos) << first->Content();
    EXPECT_NE(first->Content().find("UnicodeString=\"First\""), std::string::npos);
    ASSERT_EQ(first->ResourceUris().size(), 1u);
    EXPECT_EQ(second->Content().find("<Glyphs"), std::string::npos) << second->Content();
    EXPECT_TRUE(second->ResourceUris().empty());
}

// Pages that carry one ticket part share what was read from it, but each
// is decorated as its number asks: here the first page draws nothing and
// the second draws the other pages' text, and then needs the merged ticket
// (the pages' own, merged over the job's, no longer asks for scaling) that
// the first did not.
TEST(PreparationFilterTest, PagesOfOneTicketPartAreDecoratedByTheirNumberAndTheDecoratedGetTheMergedTicket)
{
    Job job(kPortrait);
    job.Add<FixedDocumentPart>(u"/Documents/1/FixedDocument.fdoc", "");
    auto shared = MakePart<PrintTicketPart>(
        u"/Pages/Shared_PT",
        tickettest::MakeTicket(
            kPortrait +
            Feature("psk:PageWatermark", Option("psk:On") + Feature("ns0000:CustomSettings", Option("ns0000:On"))) +
            PropertyGroup("ns0000:PageWatermarkData", TextEntry("CustomWatermarkSettingsFirst", "") +
                                                          TextEntry("CustomWatermarkSettingsOther", "Other"))));
    std::vector<FixedPagePart*> pages;
    for (const char16_t* uri : {u"/Pages/1.fpage", u"/Pages/2.fpage", u"/Pages/3.fpage"}) {
        pages.push_back(job.Add<FixedPagePart>(uri, ""));
        pages.back()->SetPrintTicket(shared.Get());
    }
    ASSERT_EQ(RunPreparation(job).filters[0].startResult, S_OK);
    EXPECT_EQ(pages[0]->Content(), kPage);
    EXPECT_EQ(TicketOf(pages[0]).first, "/Pages/Shared_PT");
    for (FixedPagePart* page : {pages[1], pages[2]}) {
        EXPECT_NE(page->Content().find("UnicodeString=\"Other\""), std::string::npos) << page->Content();
        EXPECT_EQ(TicketOf(page).first.rfind("/PT_SC_", 0), 0u) << TicketOf(page).first;
    }
}

// A bitmap watermark of the file, at 50 percent, centred.
std::string BitmapWatermarkTicket(const std::u16string& file, const std::string& overlay)
{
    return kPortrait +
           Feature("psk:PageWatermark", Option("psk:On") + Feature("ns0000:OverlayMethod", Option(overlay))) +
           PropertyGroup(
               "ns0000:PageWatermarkData",
               PropertyGroup(
                   "ns0000:WatermarkSettings",
                   Property("ns0000:ID", "0", "integer") + Property("ns0000:Type", "Bitmap") +
                       Property("ns0000:PostionX", "0", "integer") + Property("ns0000:PostionY", "0", "integer") +
                       Property("ns0000:FontColor", "0", "integer") + Property("ns0000:FontSize", "72", "integer") +
                       Property("ns0000:Text", "") + Property("ns0000:Angle", "45", "integer") +
                       Property("ns0000:FontName", "Arial") + Property("ns0000:FontItalicStyle", "0", "integer") +
                       Property("ns0000:FontBoldStyle", "0", "integer") +
                       Property("ns0000:Filename", std::string(file.begin(), file.end())) +
                       Property("ns0000:Scaling", "50", "integer")));
}

TEST(PreparationFilterTest, ABitmapWatermarkIsAPathFilledWithTheJobsOneImagePart)
{
    // 600 x 300 pixels at 300 dpi (11811 per metre): 192 x 96 units, at 50
    // percent 96 x 48 round the centre of 816 x 1056.
    std::vector<imagetest::Rgb> pixels(600 * 300, imagetest::Rgb{255, 0, 0});
    imagetest::ScratchFile image(imagetest::RgbPng(600, 300, pixels, 11811), "logo.png");
    Job job(BitmapWatermarkTicket(image.path(), "ns0000:Transparent"));
    job.Add<FixedDocumentPart>(u"/Documents/1/FixedDocument.fdoc", "");
    FixedPagePart* first = job.Add<FixedPagePart>(u"/Pages/1.fpage", "");
    FixedPagePart* second = job.Add<FixedPagePart>(u"/Pages/2.fpage", "");
    ChainOutcome outcome = RunPreparation(job);
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);

    ASSERT_EQ(first->ResourceUris().size(), 1u);
    std::u16string part = first->ResourceUris()[0];
    EXPECT_EQ(part.rfind(u"/WM_logo.png_", 0), 0u);
    EXPECT_EQ(second->ResourceUris(), first->ResourceUris());
    std::string uri(part.begin(), part.end());
    const std::string path =
        "<Path Data=\"M 360.00,504.00 L 360.00,552.00 456.00,552.00 456.00,504.00 z\">"
        "<Path.Fill><ImageBrush ImageSource=\"" +
        uri +
        "\" Opacity=\"0.50\" ViewboxUnits=\"Absolute\" Viewbox=\"0,0,192.00,96.00\" "
        "ViewportUnits=\"Absolute\" Viewport=\"360.00,504.00,96.00,48.00\"/></Path.Fill></Path>";
    for (FixedPagePart* page : {first, second}) {
        std::string markup = page->Content();
        size_t at = markup.find(path);
        ASSERT_NE(at, std::string::npos) << markup;
        // Over the content, never under it.
        EXPECT_GT(at, markup.find("<Path Data=\"M 0,0 L 9,9\"/>")) << markup;
    }
}

TEST(PreparationFilterTest, AnImageThatCannotBeLoadedLeavesEveryPageWithoutTheWatermark)
{
    imagetest::ScratchFile image(std::string("\x89PNG\r\n\x1a\n", 8) + "cut short", "cut.png");
    Job job(BitmapWatermarkTicket(image.path(), "ns0000:Opaque"));
    job.Add<FixedDocumentPart>(u"/Documents/1/FixedDocument.fdoc", "");
    FixedPagePart* first = job.Add<FixedPagePart>(u"/Pages/1.fpage", "");
    FixedPagePart* second = job.Add<FixedPagePart>(u"/Pages/2.fpage", "");
    ChainOutcome outcome = RunPreparation(job);
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    for (FixedPagePart* page : {first, second}) {
        EXPECT_EQ(page->Content().find("ImageBrush"), std::string::npos) << page->Content();
        EXPECT_TRUE(page->ResourceUris().empty());
    }
}

TEST(BitmapWatermarkTest, APageAfterTheImagePartWasWrittenNeedsTheFileNoMore)
{
    // COM for the decorations' DOM documents and GDI+ for the image, as
    // the filter starts them.
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR gdiplus = 0;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&gdiplus, &input, nullptr), Gdiplus::Ok);
    std::vector<imagetest::Rgb> pixels(20 * 10, imagetest::Rgb{0, 0, 255});
    auto image = std::make_unique<imagetest::ScratchFile>(imagetest::RgbPng(20, 10, pixels), "small.png");
    DecorationData data;
    data.watermarkOptions.pageWatermark = 1;
    data.activeEntry.type = kWatermarkBitmap;
    data.activeEntry.filename = RecordString(image->path().c_str());
    auto consumer = ComPtr<RecordingConsumer>::Adopt(new RecordingConsumer);
    ResourcePartCache cache;
    WatermarkImageFiles files;
    std::string firstMarkup;
    for (const char16_t* name : {u"/Pages/1.fpage", u"/Pages/2.fpage"}) {
        SCOPED_TRACE(std::string(name, name + 14));
        auto page = MakePart<FixedPagePart>(name, kPage);
        BitmapWatermark watermark(data, files);
        ASSERT_EQ(watermark.PrepareResources(consumer.Get(), page.Get(), &cache), S_OK);
        // Without a resolution the pixels are the units: 20 x 10 round the
        // centre of 816 x 1056.
        ASSERT_EQ(watermark.Render(816, 1056, Gdiplus::RectF{}), S_OK);
        BSTR markup = nullptr;
        ASSERT_EQ(watermark.GetMarkup(&markup, kFragmentMarkup), S_OK);
        std::string text = Text(markup);
        SysFreeString(markup);
        EXPECT_NE(text.find("Data=\"M 398.00,523.00 L 398.00,533.00 418.00,533.00 418.00,523.00 z\""),
                  std::string::npos)
            << text;
        if (firstMarkup.empty()) {
            firstMarkup = text;
            image.reset();  // the file is gone for the second page
        } else {
            EXPECT_EQ(text, firstMarkup);
        }
        EXPECT_FALSE(watermark.DrawsUnderContent());
    }
    Gdiplus::GdiplusShutdown(gdiplus);
    CoUninitialize();
}

// A custom identification needs neither the spooler nor the language
// library (the doubles give the filter no printer), is written escaped
// once, one Glyphs per character; a face name the display cannot take
// leaves the line out and the page goes on without it; a character beyond
// the Basic Multilingual Plane is one Glyphs.
TEST(PreparationFilterTest, ACustomLineNeedsNoPrinterAndAFontThatFailsLeavesItOut)
{
    auto line = [](const std::string& face, const std::string& name = "R&amp;D") {
        return Feature("ns0000:PageHeaderFooter",
                       Option("ns0000:On") + Feature("ns0000:IDPrint", Option("ns0000:Custom"))) +
               PropertyGroup("ns0000:PageHeaderFooterData",
                             PropertyGroup("ns0000:FontSettings", Property("ns0000:FontName", face)) +
                                 Property("ns0000:IDPrintCustomName", name));
    };
    Job job(kPortrait + line("Arial"));
    job.Add<FixedDocumentPart>(u"/Documents/1/FixedDocument.fdoc", "");
    FixedPagePart* drawn = job.Add<FixedPagePart>(u"/Pages/1.fpage", "");
    ChainOutcome outcome = RunPreparation(job);
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    const std::string& markup = drawn->Content();
    EXPECT_NE(markup.find("UnicodeString=\"R\"/>"), std::string::npos) << markup;
    EXPECT_NE(markup.find("UnicodeString=\"&amp;\"/>"), std::string::npos) << markup;
    EXPECT_NE(markup.find("UnicodeString=\"D\"/>"), std::string::npos) << markup;
    EXPECT_EQ(markup.find("&amp;amp;"), std::string::npos) << markup;
    EXPECT_EQ(drawn->ResourceUris().size(), 1u);

    Job failing(kPortrait + line(std::string(40, 'A')));
    failing.Add<FixedDocumentPart>(u"/Documents/1/FixedDocument.fdoc", "");
    FixedPagePart* left = failing.Add<FixedPagePart>(u"/Pages/1.fpage", "");
    outcome = RunPreparation(failing);
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    EXPECT_EQ(outcome.consumer->SentParts().size(), 3u);
    EXPECT_EQ(left->Content().find("<Glyphs"), std::string::npos) << left->Content();
    EXPECT_TRUE(left->ResourceUris().empty());

    // U+1D434, mathematical italic capital A, which DejaVu Serif maps only
    // in its format 12 map: one Glyphs for the pair, naming its glyph.
    Job beyond(kPortrait + line("DejaVu Serif", "x\xF0\x9D\x90\xB4"));
    beyond.Add<FixedDocumentPart>(u"/Documents/1/FixedDocument.fdoc", "");
    FixedPagePart* pair = beyond.Add<FixedPagePart>(u"/Pages/1.fpage", "");
    outcome = RunPreparation(beyond);
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    const std::string& pairMarkup = pair->Content();
    size_t glyphs = 0;
    for (size_t at = pairMarkup.find("<Glyphs"); at != std::string::npos; at = pairMarkup.find("<Glyphs", at + 1))
        ++glyphs;
    EXPECT_EQ(glyphs, 2u) << pairMarkup;
    EXPECT_NE(pairMarkup.find("UnicodeString=\"\xF0\x9D\x90\xB4\" Indices=\"(2:1)"), std::string::npos) << pairMarkup;
}

// A font resource that counts its writes and fails them while told to.
class CountedResource : public PageResource {
public:
    explicit CountedResource(const char16_t* uri, REFIID kind = IID_IPartFont) : uri_(uri), kind_(kind) {}
    HRESULT WriteContent(IUnknown*, IPrintWriteStream* stream) override
    {
        ++writes;
        ULONG written = 0;
        return failing ? E_FAIL : stream->WriteBytes("font", 4, &written);
    }
    HRESULT GetKey(BSTR* key) override { return (*key = SysAllocString(u"Face")) ? S_OK : E_OUTOFMEMORY; }
    HRESULT GetPartUri(BSTR* uri) override { return (*uri = SysAllocString(uri_)) ? S_OK : E_OUTOFMEMORY; }
    REFIID PartInterface() const override { return kind_; }

    int writes = 0;
    bool failing = false;

private:
    const char16_t* uri_;
    const IID kind_;
};

TEST(ResourcePartCacheTest, APartIsWrittenOnceForTheJobAndAFailedWriteIsTriedAgain)
{
    auto consumer = ComPtr<RecordingConsumer>::Adopt(new RecordingConsumer);
    ResourcePartCache cache;
    CountedResource failing(u"/Fonts/first.odttf");
    failing.failing = true;
    auto first = MakePart<FixedPagePart>(u"/Pages/1.fpage", kPage);
    EXPECT_EQ(cache.AddToPage(consumer.Get(), first.Get(), &failing), E_FAIL);
    BSTR uri = nullptr;
    EXPECT_EQ(cache.Lookup(IID_IPartFont, u"Face", &uri), E_FAIL);

    CountedResource resource(u"/Fonts/second.odttf");
    for (const char16_t* name : {u"/Pages/2.fpage", u"/Pages/3.fpage", u"/Pages/4.fpage"}) {
        auto page = MakePart<FixedPagePart>(name, kPage);
        ASSERT_EQ(cache.AddToPage(consumer.Get(), page.Get(), &resource), S_OK);
        EXPECT_EQ(page->ResourceUris(), std::vector<std::u16string>{u"/Fonts/second.odttf"});
    }
    EXPECT_EQ(resource.writes, 1);
    ASSERT_EQ(cache.Lookup(IID_IPartFont, u"Face", &uri), S_OK);
    EXPECT_EQ(std::u16string(uri), u"/Fonts/second.odttf");
    SysFreeString(uri);
}

// A watermark image file named like the header/footer's font face: each
// is a part of its own, found under its own kind.
TEST(ResourcePartCacheTest, AFontAndAnImageOfTheSameNameAreTwoParts)
{
    auto consumer = ComPtr<RecordingConsumer>::Adopt(new RecordingConsumer);
    ResourcePartCache cache;
    CountedResource font(u"/Fonts/face.odttf", IID_IPartFont);
    CountedResource image(u"/WM_Face_1.png", IID_IPartImage);
    auto page = MakePart<FixedPagePart>(u"/Pages/1.fpage", kPage);
    ASSERT_EQ(cache.AddToPage(consumer.Get(), page.Get(), &image), S_OK);
    ASSERT_EQ(cache.AddToPage(consumer.Get(), page.Get(), &font), S_OK);
    EXPECT_EQ(font.writes, 1);
    EXPECT_EQ(image.writes, 1);
    for (auto [kind, expected] :
         {std::pair{&IID_IPartFont, u"/Fonts/face.odttf"}, {&IID_IPartImage, u"/WM_Face_1.png"}}) {
        BSTR uri = nullptr;
        ASSERT_EQ(cache.Lookup(*kind, u"Face", &uri), S_OK);
        EXPECT_EQ(std::u16string(uri), expected);
        SysFreeString(uri);
    }
}

}  // namespace
