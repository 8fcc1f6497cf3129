// SequentialReadAdapter: a part's read stream as an ISequentialStream.
#include <gtest/gtest.h>

#include <string>

#include "filtercore/sequential_read_adapter.h"
#include "testsupport/parts.h"

namespace {

using namespace testsupport;

TEST(SequentialReadAdapter, ReadsThePartInTheBlocksTheStreamDelivers)
{
    auto ticket = MakePart<PrintTicketPart>(u"/PT.xml", "<psf:PrintTicket/>");
    ticket->ContentState().SetReadBlockSize(5);
    ComPtr<IPrintReadStream> stream;
    ASSERT_EQ(ticket->GetStream(stream.Out()), S_OK);
    ComPtr<ISequentialStream> adapter;
    ASSERT_EQ(SequentialReadAdapter::Create(stream.Get(), adapter.Out()), S_OK);

    std::string read;
    char buffer[64];
    ULONG count = 0;
    do {
        ASSERT_EQ(adapter->Read(buffer, sizeof buffer, &count), S_OK);
        EXPECT_LE(count, 5u);
        read.append(buffer, count);
    } while (count > 0);
    EXPECT_EQ(read, "<psf:PrintTicket/>");
    // The count is optional for callers of ISequentialStream.
    EXPECT_EQ(adapter->Read(buffer, sizeof buffer, nullptr), S_OK);
}

TEST(SequentialReadAdapter, AsksThePartForNoMoreThanItsLargestRead)
{
    auto ticket = MakePart<PrintTicketPart>(u"/PT.xml", "<psf:PrintTicket/>");
    ComPtr<IPrintReadStream> stream;
    ASSERT_EQ(ticket->GetStream(stream.Out()), S_OK);
    ComPtr<ISequentialStream> adapter;
    ASSERT_EQ(SequentialReadAdapter::Create(stream.Get(), adapter.Out(), 7), S_OK);
    char buffer[64];
    ULONG count = 0;
    ASSERT_EQ(adapter->Read(buffer, sizeof buffer, &count), S_OK);
    EXPECT_EQ(std::string(buffer, count), "<psf:Pr");
}

TEST(SequentialReadAdapter, IsReadOnlyAndAnswersItsInterfaces)
{
    auto part = MakePart<ResourceDictionaryPart>(u"/R.dict", "x");
    ComPtr<IPrintReadStream> stream;
    ASSERT_EQ(part->GetStream(stream.Out()), S_OK);
    ComPtr<ISequentialStream> adapter;
    ASSERT_EQ(SequentialReadAdapter::Create(stream.Get(), adapter.Out()), S_OK);

    ULONG written = 0;
    EXPECT_EQ(adapter->Write("y", 1, &written), E_NOTIMPL);
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(adapter.As(IID_IUnknown, &unknown), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown.Get()), static_cast<void*>(adapter.Get()));
    ComPtr<IStream> full;
    EXPECT_EQ(adapter.As(IID_IStream, &full), E_NOINTERFACE);

    ComPtr<ISequentialStream> none;
    EXPECT_EQ(SequentialReadAdapter::Create(nullptr, none.Out()), E_POINTER);
    EXPECT_EQ(SequentialReadAdapter::Create(stream.Get(), nullptr), E_POINTER);
}

TEST(SequentialReadAdapter, HoldsTheStreamUntilReleased)
{
    auto part = MakePart<ResourceDictionaryPart>(u"/R.dict", "x");
    ComPtr<IPrintReadStream> stream;
    ASSERT_EQ(part->GetStream(stream.Out()), S_OK);
    ComPtr<ISequentialStream> adapter;
    ASSERT_EQ(SequentialReadAdapter::Create(stream.Get(), adapter.Out()), S_OK);
    EXPECT_EQ(stream->AddRef(), 3u);  // this test, the adapter, and this AddRef
    stream->Release();
    adapter.Reset();
    EXPECT_EQ(stream->AddRef(), 2u);
    stream->Release();
}

}  // namespace
