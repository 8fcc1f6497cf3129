// PrintTicketManager::WriteTicketPart: ticket parts copied in 64 KiB blocks,
// under names that never repeat within a job.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "filtercore/print_ticket_manager.h"
#include "platform/wformat.h"
#include "testsupport/per_user_ticket.h"
#include "testsupport/pipeline_doubles.h"
#include "ticket_manager_test_support.h"

namespace tickettest {
namespace {

using namespace testsupport;

// Accepts every name (it keeps no registry of its own) and logs each one it
// is asked for. It can refuse the first requests as names already taken, and
// hand out write streams that fail.
class NameLoggingConsumer : public ComObject<IXpsDocumentConsumer> {
public:
    HRESULT SendXpsUnknown(IUnknown*) override { return E_NOTIMPL; }
    HRESULT SendXpsDocument(IXpsDocument*) override { return E_NOTIMPL; }
    HRESULT SendFixedDocumentSequence(IFixedDocumentSequence*) override { return E_NOTIMPL; }
    HRESULT SendFixedDocument(IFixedDocument*) override { return E_NOTIMPL; }
    HRESULT SendFixedPage(IFixedPage*) override { return E_NOTIMPL; }
    HRESULT CloseSender() override { return E_NOTIMPL; }
    HRESULT GetNewEmptyPart(const WCHAR* uri, REFIID riid, void** part, IPrintWriteStream** stream) override
    {
        names.push_back(uri);
        if (refusals > 0) {
            --refusals;
            return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
        }
        HRESULT hr = CreateEmptyPart(uri, riid, part, stream);
        if (SUCCEEDED(hr) && failingStream) {
            (*stream)->Release();
            *stream = ComPtr<IPrintWriteStream>::Share(failingStream.Get()).Detach();
        }
        return hr;
    }

    std::vector<std::u16string> names;
    int refusals = 0;
    ComPtr<IPrintWriteStream> failingStream;

private:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IXpsDocumentConsumer ? static_cast<IXpsDocumentConsumer*>(this) : nullptr;
    }
};

class FailingWriteStream : public ComObject<IPrintWriteStream> {
public:
    HRESULT WriteBytes(const void*, ULONG, ULONG* written) override
    {
        if (written != nullptr) *written = 0;
        return STG_E_MEDIUMFULL;
    }
    void Close() override { ++closeCount; }
    int closeCount = 0;

private:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IPrintWriteStream ? static_cast<IPrintWriteStream*>(this) : nullptr;
    }
};

class TicketPartWriterTest : public ComTest {
protected:
    void SetUp() override
    {
        ComTest::SetUp();
        ASSERT_EQ(InitializeManager(manager, DefaultDeviceTicket()), S_OK);
        ticket = LoadDocument(Ticket(KeywordFeature("PageOrientation", "Landscape")));
    }

    PrintTicketManager manager;
    ComPtr<IXMLDOMDocument2> ticket;
};

// A ticket whose saved markup is exactly size bytes, padded in a private
// Property's text.
ComPtr<IXMLDOMDocument2> TicketOfSize(size_t size)
{
    auto markup = [](size_t padding) {
        return Ticket("<psf:Property name=\"ns0000:Padding\"><psf:Value xsi:type=\"xsd:string\">" +
                      std::string(padding, 'p') + "</psf:Value></psf:Property>");
    };
    // One character of padding, so that the Value is not an empty element.
    const size_t overhead = SavedMarkup(LoadDocument(markup(1)).Get()).size() - 1;
    EXPECT_LT(overhead, size);
    return LoadDocument(markup(size - overhead));
}

// "/PT_<tag>_<digits>_<digits>.xml".
bool IsTicketPartName(const std::string& name, const std::string& tag)
{
    const std::string head = "/PT_" + tag + "_";
    const std::string tail = ".xml";
    if (name.size() < head.size() + tail.size() || name.compare(0, head.size(), head) != 0 ||
        name.compare(name.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    const std::string numbers = name.substr(head.size(), name.size() - head.size() - tail.size());
    const size_t separator = numbers.find('_');
    if (separator == std::string::npos || separator == 0 || separator + 1 == numbers.size()) return false;
    for (size_t i = 0; i < numbers.size(); ++i)
        if (i != separator && (numbers[i] < '0' || numbers[i] > '9')) return false;
    return true;
}

TEST_F(TicketPartWriterTest, LargeTicketIsCopiedInFullBlocksAndClosedOnce)
{
    ComPtr<IXMLDOMDocument2> large = TicketOfSize(150000);
    const std::string expected = SavedMarkup(large.Get());
    ASSERT_EQ(expected.size(), 150000u);

    auto consumer = ComPtr<RecordingConsumer>::Adopt(new RecordingConsumer);
    ComPtr<IPartPrintTicket> part;
    ASSERT_EQ(manager.WriteTicketPart(consumer.Get(), large.Get(), u"FI", part.Out()), S_OK);
    ASSERT_TRUE(part);
    TestPart* written = AsTestPart(part.Get());
    ASSERT_NE(written, nullptr);
    // 150000 = 65536 + 65536 + 18928.
    EXPECT_EQ(written->ContentState().WriteSizes(), (std::vector<ULONG>{65536, 65536, 18928}));
    EXPECT_EQ(written->ContentState().CloseCount(), 1);
    EXPECT_EQ(written->Content(), expected);

    ASSERT_EQ(consumer->Calls().size(), 1u);
    EXPECT_EQ(consumer->Calls()[0].kind, ConsumerCallKind::GetNewEmptyPart);
    EXPECT_TRUE(IsTicketPartName(WideToUtf8(written->Uri()), "FI")) << WideToUtf8(written->Uri());
}

TEST_F(TicketPartWriterTest, NamesNeverRepeatAcrossManyCallsAndTwoManagers)
{
    PrintTicketManager second;
    ASSERT_EQ(InitializeManager(second, DefaultDeviceTicket()), S_OK);
    auto consumer = ComPtr<NameLoggingConsumer>::Adopt(new NameLoggingConsumer);
    constexpr int kCalls = 10000;
    for (int i = 0; i < kCalls; ++i) {
        PrintTicketManager& writer = i % 2 == 0 ? manager : second;
        ComPtr<IPartPrintTicket> part;
        ASSERT_EQ(writer.WriteTicketPart(consumer.Get(), ticket.Get(), u"LO", part.Out()), S_OK);
    }
    // Every name asked for was new: none had to be drawn again.
    ASSERT_EQ(consumer->names.size(), static_cast<size_t>(kCalls));
    std::set<std::u16string> distinct(consumer->names.begin(), consumer->names.end());
    EXPECT_EQ(distinct.size(), consumer->names.size());
}

TEST_F(TicketPartWriterTest, TakenNameIsDrawnAgain)
{
    auto consumer = ComPtr<NameLoggingConsumer>::Adopt(new NameLoggingConsumer);
    consumer->refusals = 2;
    ComPtr<IPartPrintTicket> part;
    ASSERT_EQ(manager.WriteTicketPart(consumer.Get(), ticket.Get(), u"FI_JOB", part.Out()), S_OK);
    ASSERT_EQ(consumer->names.size(), 3u);
    EXPECT_NE(consumer->names[0], consumer->names[1]);
    EXPECT_NE(consumer->names[1], consumer->names[2]);
    EXPECT_EQ(PartUri(part.Get()), consumer->names[2]);

    // A consumer that refuses every name makes the write fail, not loop.
    consumer->refusals = 1000;
    consumer->names.clear();
    EXPECT_EQ(manager.WriteTicketPart(consumer.Get(), ticket.Get(), u"FI_JOB", part.Out()),
              HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(part);
    EXPECT_LT(consumer->names.size(), 100u);
}

TEST_F(TicketPartWriterTest, FailingWriteStillClosesAndReturnsNoPart)
{
    auto consumer = ComPtr<NameLoggingConsumer>::Adopt(new NameLoggingConsumer);
    auto failing = ComPtr<FailingWriteStream>::Adopt(new FailingWriteStream);
    consumer->failingStream = ComPtr<IPrintWriteStream>::Share(failing.Get());
    ComPtr<IPartPrintTicket> part;
    EXPECT_EQ(manager.WriteTicketPart(consumer.Get(), ticket.Get(), u"FI", part.Out()), STG_E_MEDIUMFULL);
    EXPECT_FALSE(part);
    EXPECT_EQ(failing->closeCount, 1);
}

TEST_F(TicketPartWriterTest, MissingArgumentsAreRefused)
{
    auto consumer = ComPtr<RecordingConsumer>::Adopt(new RecordingConsumer);
    ComPtr<IPartPrintTicket> part;
    EXPECT_EQ(manager.WriteTicketPart(consumer.Get(), nullptr, u"FI", part.Out()), E_POINTER);
    EXPECT_EQ(manager.WriteTicketPart(consumer.Get(), ticket.Get(), u"FI", nullptr), E_POINTER);
    EXPECT_EQ(manager.WriteTicketPart(nullptr, ticket.Get(), u"FI", part.Out()), E_UNEXPECTED);
    EXPECT_TRUE(consumer->Calls().empty());
}

}  // namespace
}  // namespace tickettest
