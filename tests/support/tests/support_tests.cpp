// The pipeline doubles themselves: later tests rely on their stream, ticket,
// resource and hand-over semantics.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "testsupport/part_channel.h"
#include "testsupport/parts.h"
#include "testsupport/pipeline_doubles.h"
#include "testsupport/sample_job.h"

namespace {

using namespace testsupport;

std::string ReadPart(IPartBase* part)
{
    ComPtr<IPrintReadStream> stream;
    EXPECT_EQ(part->GetStream(stream.Out()), S_OK);
    std::string bytes;
    EXPECT_EQ(ReadAll(stream.Get(), &bytes), S_OK);
    return bytes;
}

TEST(PartStreams, WriteReplacesContentOnCloseAndEarlierReadersKeepTheOld)
{
    auto page = MakePart<FixedPagePart>(u"/1.fpage", "old markup");
    ComPtr<IPrintReadStream> before;
    ASSERT_EQ(page->GetStream(before.Out()), S_OK);

    ComPtr<IPrintWriteStream> writer;
    ASSERT_EQ(page->GetWriteStream(writer.Out()), S_OK);
    ULONG written = 0;
    ASSERT_EQ(writer->WriteBytes("new ", 4, &written), S_OK);
    EXPECT_EQ(written, 4u);
    ASSERT_EQ(writer->WriteBytes("markup", 6, &written), S_OK);
    EXPECT_EQ(page->Content(), "old markup");  // not before Close
    writer->Close();
    writer->Close();
    EXPECT_EQ(page->Content(), "new markup");
    EXPECT_EQ(writer->WriteBytes("x", 1, &written), E_UNEXPECTED);

    std::string old;
    ASSERT_EQ(ReadAll(before.Get(), &old), S_OK);
    EXPECT_EQ(old, "old markup");
    EXPECT_EQ(ReadPart(page.Get()), "new markup");
    EXPECT_EQ(page->ContentState().WriteSizes(), (std::vector<ULONG>{4, 6}));
    EXPECT_EQ(page->ContentState().CloseCount(), 2);
}

TEST(PartStreams, SeekAndEndOfFile)
{
    auto part = MakePart<ImagePart>(u"/a.png", "0123456789");
    ComPtr<IPrintReadStream> stream;
    ASSERT_EQ(part->GetStream(stream.Out()), S_OK);
    ULONGLONG position = 0;
    ASSERT_EQ(stream->Seek(-3, STREAM_SEEK_END, &position), S_OK);
    EXPECT_EQ(position, 7u);
    char buffer[8] = {};
    ULONG read = 0;
    BOOL endOfFile = FALSE;
    ASSERT_EQ(stream->ReadBytes(buffer, 2, &read, &endOfFile), S_OK);
    EXPECT_EQ(std::string(buffer, read), "78");
    EXPECT_FALSE(endOfFile);
    ASSERT_EQ(stream->ReadBytes(buffer, 8, &read, &endOfFile), S_OK);
    EXPECT_EQ(std::string(buffer, read), "9");
    EXPECT_TRUE(endOfFile);
    EXPECT_EQ(stream->Seek(-1, STREAM_SEEK_SET, &position), STG_E_INVALIDFUNCTION);
    ASSERT_EQ(stream->Seek(2, STREAM_SEEK_SET, nullptr), S_OK);
    ASSERT_EQ(stream->Seek(3, STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(position, 5u);
}

TEST(PartStreams, SmallBlocksDeliverAtMostTheBlockSize)
{
    auto part = MakePart<FontPart>(u"/f.odttf", std::string(10, 'f'));
    part->ContentState().SetReadBlockSize(3);
    ComPtr<IPrintReadStream> stream;
    ASSERT_EQ(part->GetStream(stream.Out()), S_OK);
    std::vector<ULONG> sizes;
    char buffer[16];
    BOOL endOfFile = FALSE;
    while (!endOfFile) {
        ULONG read = 0;
        ASSERT_EQ(stream->ReadBytes(buffer, sizeof buffer, &read, &endOfFile), S_OK);
        sizes.push_back(read);
    }
    EXPECT_EQ(sizes, (std::vector<ULONG>{3, 3, 3, 1}));
}

TEST(PartTickets, AbsentTicketIsNotFoundAndSetTicketAttaches)
{
    auto document = MakePart<FixedDocumentPart>(u"/Documents/1/FixedDocument.fdoc");
    ComPtr<IPartPrintTicket> ticket;
    EXPECT_EQ(document->GetPrintTicket(ticket.Out()), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
    EXPECT_FALSE(ticket);
    auto attached = MakePart<PrintTicketPart>(u"/Documents/1/PT.xml", "<PrintTicket/>");
    ASSERT_EQ(document->SetPrintTicket(attached.Get()), S_OK);
    ASSERT_EQ(document->GetPrintTicket(ticket.Out()), S_OK);
    EXPECT_EQ(PartUri(ticket.Get()), u"/Documents/1/PT.xml");
    EXPECT_EQ(document->SetPrintTicket(nullptr), E_POINTER);
}

TEST(PageResources, AttachLookUpIterateAndDelete)
{
    auto page = MakePart<FixedPagePart>(u"/1.fpage", "<FixedPage/>");
    auto font = MakePart<FontPart>(u"/Fonts/A.odttf", "font");
    auto image = MakePart<ImagePart>(u"/Images/B.png", "image");
    ASSERT_EQ(page->SetPagePart(font.Get()), S_OK);
    ASSERT_EQ(page->SetPagePart(image.Get()), S_OK);
    ASSERT_EQ(page->SetPagePart(font.Get()), S_OK);  // the same name once
    EXPECT_EQ(page->ResourceUris(), (std::vector<std::u16string>{u"/Fonts/A.odttf", u"/Images/B.png"}));

    ComPtr<IUnknown> found;
    ASSERT_EQ(page->GetPagePart(u"/Images/B.png", found.Out()), S_OK);
    ComPtr<IPartImage> asImage;
    EXPECT_EQ(found.As(IID_IPartImage, &asImage), S_OK);
    EXPECT_EQ(page->GetPagePart(u"/nothing", found.Out()), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));

    ComPtr<IXpsPartIterator> iterator;
    ASSERT_EQ(page->GetXpsPartIterator(iterator.Out()), S_OK);
    std::vector<std::u16string> walked;
    for (; !iterator->IsDone(); iterator->Next()) {
        BSTR uri = nullptr;
        ComPtr<IUnknown> part;
        ASSERT_EQ(iterator->Current(&uri, part.Out()), S_OK);
        walked.emplace_back(uri);
        EXPECT_EQ(PartUri(part.Get()), walked.back());
        SysFreeString(uri);
    }
    EXPECT_EQ(walked, page->ResourceUris());

    EXPECT_EQ(page->DeleteResource(u"/Fonts/A.odttf"), S_OK);
    EXPECT_EQ(page->DeleteResource(u"/Fonts/A.odttf"), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
    EXPECT_EQ(page->ResourceUris(), std::vector<std::u16string>{u"/Images/B.png"});
}

TEST(NewParts, ConsumerCreatesPartsOfTheAskedKindAndRecordsThem)
{
    auto consumer = ComPtr<RecordingConsumer>::Adopt(new RecordingConsumer);
    ComPtr<IPartPrintTicket> ticket;
    ComPtr<IPrintWriteStream> stream;
    ASSERT_EQ(consumer->GetNewEmptyPart(u"/PT_FI_1_2.xml", IID_IPartPrintTicket, ticket.OutVoid(), stream.Out()), S_OK);
    stream->WriteBytes("<t/>", 4, nullptr);
    stream->Close();
    EXPECT_EQ(AsTestPart(ticket.Get())->Content(), "<t/>");
    ASSERT_EQ(consumer->Calls().size(), 1u);
    EXPECT_EQ(consumer->Calls()[0].kind, ConsumerCallKind::GetNewEmptyPart);
    EXPECT_EQ(consumer->Calls()[0].uri, u"/PT_FI_1_2.xml");

    ComPtr<IUnknown> other;
    EXPECT_EQ(consumer->GetNewEmptyPart(u"/x", IID_IStream, other.OutVoid(), stream.Out()), E_NOINTERFACE);
    EXPECT_EQ(consumer->Calls().size(), 1u);
}

TEST(NewParts, ConsumersOfOneJobRefuseANameGivenOutBefore)
{
    auto last = ComPtr<RecordingConsumer>::Adopt(new RecordingConsumer);
    auto channel = std::make_shared<PartChannel>(1);
    auto earlier = ComPtr<ChannelConsumer>::Adopt(new ChannelConsumer(channel, last->PartNames()));
    const HRESULT taken = HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
    ComPtr<IUnknown> part;
    ComPtr<IPrintWriteStream> stream;
    ASSERT_EQ(earlier->GetNewEmptyPart(u"/PT_LO_1_1.xml", IID_IPartPrintTicket, part.OutVoid(), stream.Out()), S_OK);
    EXPECT_EQ(earlier->GetNewEmptyPart(u"/PT_LO_1_1.xml", IID_IPartPrintTicket, part.OutVoid(), stream.Out()), taken);
    EXPECT_FALSE(part);
    EXPECT_FALSE(stream);
    // The last filter's consumer shares the names of the filters before it.
    EXPECT_EQ(last->GetNewEmptyPart(u"/PT_LO_1_1.xml", IID_IPartPrintTicket, part.OutVoid(), stream.Out()), taken);
    EXPECT_TRUE(last->Calls().empty());
    ASSERT_EQ(last->GetNewEmptyPart(u"/PT_FI_1_1.xml", IID_IPartPrintTicket, part.OutVoid(), stream.Out()), S_OK);
    EXPECT_EQ(last->GetNewEmptyPart(u"/PT_FI_1_1.xml", IID_IPartPrintTicket, part.OutVoid(), stream.Out()), taken);
    // A separate consumer of another job does not know these names.
    auto other = ComPtr<RecordingConsumer>::Adopt(new RecordingConsumer);
    EXPECT_EQ(other->GetNewEmptyPart(u"/PT_FI_1_1.xml", IID_IPartPrintTicket, part.OutVoid(), stream.Out()), S_OK);
}

TEST(NewParts, ConfiguredFailureIsRecordedAndReturned)
{
    auto consumer = ComPtr<RecordingConsumer>::Adopt(new RecordingConsumer);
    consumer->FailCalls(ConsumerCallKind::SendFixedPage, STG_E_MEDIUMFULL);
    auto page = MakePart<FixedPagePart>(u"/1.fpage", "");
    EXPECT_EQ(consumer->SendFixedPage(page.Get()), STG_E_MEDIUMFULL);
    EXPECT_EQ(consumer->Transcript(), std::vector<std::string>{"SendFixedPage /1.fpage"});
}

TEST(PartChannelTest, HandsOverInOrderAndEndsWithNull)
{
    auto channel = std::make_shared<PartChannel>(1);
    auto parts = MakeSampleJob({1, 2, false, false});
    std::thread sender([&] {
        for (const auto& part : parts) channel->Push(part.Get());
        channel->Close();
    });
    std::vector<std::u16string> received;
    for (;;) {
        ComPtr<IUnknown> part;
        ASSERT_EQ(channel->Pop(part.Out()), S_OK);
        if (!part) break;
        received.push_back(PartUri(part.Get()));
    }
    sender.join();
    EXPECT_EQ(received,
              (std::vector<std::u16string>{u"/", u"/FixedDocumentSequence.fdseq", u"/Documents/1/FixedDocument.fdoc",
                                           u"/Documents/1/Pages/1.fpage", u"/Documents/1/Pages/2.fpage"}));
}

TEST(PartChannelTest, CancelReleasesBlockedSidesAndTheirParts)
{
    auto channel = std::make_shared<PartChannel>(1);
    auto page = MakePart<FixedPagePart>(u"/1.fpage", "");
    ASSERT_EQ(channel->Push(page.Get()), S_OK);
    HRESULT blocked = S_OK;
    std::thread sender([&] { blocked = channel->Push(page.Get()); });
    channel->Cancel();
    sender.join();
    EXPECT_EQ(blocked, E_ABORT);
    ComPtr<IUnknown> part;
    EXPECT_EQ(channel->Pop(part.Out()), E_ABORT);
    EXPECT_EQ(page->AddRef(), 2u);  // the queued reference was dropped
    page->Release();
}

TEST(PropertyBag, CopiesValuesInAndOut)
{
    auto bag = ComPtr<TestPropertyBag>::Adopt(new TestPropertyBag);
    bag->SetString(u"PrinterName", u"P1");
    VARIANT value;
    ASSERT_EQ(bag->GetProperty(u"PrinterName", &value), S_OK);
    ASSERT_EQ(value.vt, VT_BSTR);
    EXPECT_EQ(std::u16string(value.bstrVal), u"P1");
    VariantClear(&value);

    bag->SetString(u"PrinterName", u"P2");
    ASSERT_EQ(bag->GetProperty(u"PrinterName", &value), S_OK);
    EXPECT_EQ(std::u16string(value.bstrVal), u"P2");
    VariantClear(&value);

    EXPECT_EQ(bag->GetProperty(u"PrintJobId", &value), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
    EXPECT_EQ(value.vt, VT_EMPTY);
    EXPECT_TRUE(bag->DeleteProperty(u"PrinterName"));
    EXPECT_FALSE(bag->DeleteProperty(u"PrinterName"));
}

TEST(PropertyBag, HoldsItsOwnReferenceToObjects)
{
    auto bag = ComPtr<TestPropertyBag>::Adopt(new TestPropertyBag);
    auto control = ComPtr<RecordingControl>::Adopt(new RecordingControl);
    bag->SetUnknown(u"ProgressReport", control.Get());
    EXPECT_EQ(control->AddRef(), 3u);
    control->Release();
    bag.Reset();
    EXPECT_EQ(control->AddRef(), 2u);
    control->Release();
}

}  // namespace
