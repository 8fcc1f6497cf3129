// The part loop of PipelineFilterBase and the pipeline side of
// PipelineFilterCore, run over the test doubles.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "filtercore/pipeline_filter_base.h"
#include "platform/com.h"
#include "platform/wformat.h"
#include "testsupport/filter_runner.h"
#include "testsupport/part_channel.h"
#include "testsupport/parts.h"

namespace {

using namespace testsupport;

// Records every hook with the counters as the hook saw them, and can fail a
// chosen page or the job end.
class ProbeFilter : public PipelineFilterBase {
public:
    struct HookCall {
        std::string hook;
        LONG pageInDocument;
        LONG documentCount;
        LONG pageCount;
        bool comInitialised;
    };

    HRESULT OnFixedPage(IFixedPage* page) override
    {
        Record("OnFixedPage");
        if (pageCount == failingPage) return E_FAIL;
        return PipelineFilterBase::OnFixedPage(page);
    }
    HRESULT OnFixedDocument(IFixedDocument* document) override
    {
        Record("OnFixedDocument");
        return PipelineFilterBase::OnFixedDocument(document);
    }
    HRESULT OnFixedDocumentSequence(IFixedDocumentSequence* sequence) override
    {
        Record("OnFixedDocumentSequence");
        return PipelineFilterBase::OnFixedDocumentSequence(sequence);
    }
    HRESULT OnXpsDocument(IXpsDocument* document) override
    {
        Record("OnXpsDocument");
        return PipelineFilterBase::OnXpsDocument(document);
    }
    HRESULT OnJobEnd() override
    {
        Record("OnJobEnd");
        return jobEndResult;
    }

    LONG PageInDocument() const { return pageInDocument; }
    LONG DocumentCount() const { return documentCount; }
    LONG PageCount() const { return pageCount; }
    LONG GdiplusReady() const { return gdiplusReady; }
    ULONG JobId() const { return jobId; }
    std::u16string PrinterName() const { return printerName != nullptr ? printerName : u"(null)"; }
    bool HasClassObjectFactory() const { return static_cast<bool>(classObjectFactory); }
    std::u16string PrivateNamespace() const { return privateNamespace; }

    std::vector<std::string> HookNames() const
    {
        std::vector<std::string> names;
        for (const HookCall& call : hooks) names.push_back(call.hook);
        return names;
    }

    std::vector<HookCall> hooks;
    LONG failingPage = 0;
    HRESULT jobEndResult = S_OK;

private:
    void Record(const char* hook)
    {
        hooks.push_back({hook, pageInDocument, documentCount, pageCount, CoIsInitializedOnThread()});
    }
};

// A filter with no hook of its own.
class PassThroughFilter : public PipelineFilterBase {
public:
    LONG PageInDocument() const { return pageInDocument; }
    LONG DocumentCount() const { return documentCount; }
    LONG PageCount() const { return pageCount; }
};

template <class Filter>
ComPtr<Filter> NewFilter()
{
    return ComPtr<Filter>::Adopt(new Filter);
}

ComPtr<IUnknown> Sequence() { return Unknown(MakePart<FixedDocumentSequencePart>(u"/FixedDocumentSequence.fdseq")); }
ComPtr<IUnknown> Document(int d)
{
    return Unknown(
        MakePart<FixedDocumentPart>(u"/Documents/" + Utf8ToWide(std::to_string(d)) + u"/FixedDocument.fdoc"));
}
ComPtr<IUnknown> Page(int d, int p)
{
    return Unknown(MakePart<FixedPagePart>(
        u"/Documents/" + Utf8ToWide(std::to_string(d)) + u"/Pages/" + Utf8ToWide(std::to_string(p)) + u".fpage",
        "<FixedPage Width=\"816\" Height=\"1056\"/>"));
}

using Lines = std::vector<std::string>;

TEST(PartLoop, PassesFivePartsThroughInOrderAndCounts)
{
    auto filter = NewFilter<PassThroughFilter>();
    std::vector<ComPtr<IUnknown>> parts = {
        Sequence(), Document(1), Page(1, 1), Page(1, 2),
        Unknown(MakePart<FontPart>(u"/Resources/Fonts/A.odttf", std::string(64, 'f')))};
    ChainOutcome outcome = RunFilter(filter.Get(), parts);

    EXPECT_EQ(outcome.filters[0].startResult, S_OK);
    EXPECT_EQ(
        outcome.consumer->Transcript(),
        (Lines{"SendFixedDocumentSequence /FixedDocumentSequence.fdseq",
               "SendFixedDocument /Documents/1/FixedDocument.fdoc", "SendFixedPage /Documents/1/Pages/1.fpage",
               "SendFixedPage /Documents/1/Pages/2.fpage", "SendXpsUnknown /Resources/Fonts/A.odttf", "CloseSender"}));
    // The very same part objects arrive.
    std::vector<ComPtr<IUnknown>> sent = outcome.consumer->SentParts();
    ASSERT_EQ(sent.size(), parts.size());
    for (size_t i = 0; i < parts.size(); ++i) EXPECT_EQ(AsTestPart(sent[i].Get()), AsTestPart(parts[i].Get()));

    EXPECT_EQ(filter->PageInDocument(), 2);
    EXPECT_EQ(filter->DocumentCount(), 1);
    EXPECT_EQ(filter->PageCount(), 2);
    EXPECT_EQ(outcome.filters[0].filterFinishedCount, 1);
    EXPECT_TRUE(outcome.filters[0].shutdownRequests.empty());
}

TEST(PartLoop, CountersAreUpdatedBeforeEachHook)
{
    auto filter = NewFilter<ProbeFilter>();
    ChainOutcome outcome = RunFilter(filter.Get(), {Unknown(MakePart<XpsDocumentPart>()), Sequence(), Document(1),
                                                    Page(1, 1), Page(1, 2), Document(2), Page(2, 1)});
    ASSERT_EQ(outcome.filters[0].startResult, S_OK);
    ASSERT_EQ(filter->hooks.size(), 8u);
    EXPECT_EQ(filter->HookNames(), (Lines{"OnXpsDocument", "OnFixedDocumentSequence", "OnFixedDocument", "OnFixedPage",
                                          "OnFixedPage", "OnFixedDocument", "OnFixedPage", "OnJobEnd"}));
    struct Counts {
        LONG pageInDocument, documentCount, pageCount;
    };
    const Counts expected[] = {{0, 0, 0}, {0, 0, 0}, {0, 1, 0}, {1, 1, 1}, {2, 1, 2}, {0, 2, 2}, {1, 2, 3}, {1, 2, 3}};
    for (size_t i = 0; i < filter->hooks.size(); ++i) {
        SCOPED_TRACE(filter->hooks[i].hook + " #" + std::to_string(i));
        EXPECT_EQ(filter->hooks[i].pageInDocument, expected[i].pageInDocument);
        EXPECT_EQ(filter->hooks[i].documentCount, expected[i].documentCount);
        EXPECT_EQ(filter->hooks[i].pageCount, expected[i].pageCount);
        // The hooks run inside the apartment StartOperation opened.
        EXPECT_TRUE(filter->hooks[i].comInitialised);
    }
}

TEST(PartLoop, NullPartAtOnceEndsTheJob)
{
    auto filter = NewFilter<ProbeFilter>();
    ChainOutcome outcome = RunFilter(filter.Get(), {});
    EXPECT_EQ(outcome.filters[0].startResult, S_OK);
    EXPECT_EQ(filter->HookNames(), (Lines{"OnJobEnd"}));
    EXPECT_EQ(outcome.consumer->Transcript(), (Lines{"CloseSender"}));
    EXPECT_EQ(outcome.filters[0].filterFinishedCount, 1);
}

TEST(PartLoop, FailingHookStopsTheLoopAndAsksForShutdown)
{
    auto filter = NewFilter<ProbeFilter>();
    filter->failingPage = 2;
    auto provider = ComPtr<InMemoryProvider>::Adopt(
        new InMemoryProvider({Sequence(), Document(1), Page(1, 1), Page(1, 2), Page(1, 3)}));
    ChainOutcome outcome = RunChain({filter.Get()}, provider.Get());

    EXPECT_EQ(outcome.filters[0].startResult, E_FAIL);
    // Nothing is requested after the failing page, and the job end is skipped.
    EXPECT_EQ(provider->RequestCount(), 4u);
    EXPECT_EQ(filter->HookNames(), (Lines{"OnFixedDocumentSequence", "OnFixedDocument", "OnFixedPage", "OnFixedPage"}));
    EXPECT_EQ(outcome.consumer->Transcript(), (Lines{"SendFixedDocumentSequence /FixedDocumentSequence.fdseq",
                                                     "SendFixedDocument /Documents/1/FixedDocument.fdoc",
                                                     "SendFixedPage /Documents/1/Pages/1.fpage", "CloseSender"}));
    EXPECT_EQ(outcome.filters[0].shutdownRequests, std::vector<HRESULT>{E_FAIL});
    EXPECT_EQ(outcome.filters[0].filterFinishedCount, 1);
}

TEST(PartLoop, ProviderFailureIsTheResultAndTheSenderIsStillClosed)
{
    auto filter = NewFilter<ProbeFilter>();
    auto provider = ComPtr<InMemoryProvider>::Adopt(new InMemoryProvider({Sequence(), Document(1), Page(1, 1)}));
    provider->FailRequest(2, STG_E_READFAULT);
    ChainOutcome outcome = RunChain({filter.Get()}, provider.Get());
    EXPECT_EQ(outcome.filters[0].startResult, STG_E_READFAULT);
    EXPECT_EQ(outcome.consumer->Kinds().back(), ConsumerCallKind::CloseSender);
    EXPECT_EQ(outcome.filters[0].shutdownRequests, std::vector<HRESULT>{STG_E_READFAULT});
    EXPECT_EQ(filter->HookNames(), (Lines{"OnFixedDocumentSequence", "OnFixedDocument"}));
}

TEST(PartLoop, ShutdownFromAnotherThreadEndsTheRunningLoop)
{
    auto filter = NewFilter<ProbeFilter>();
    filter->jobEndResult = E_FAIL;  // ignored once the job was stopped
    auto channel = std::make_shared<PartChannel>(4);
    auto provider = ComPtr<ChannelProvider>::Adopt(new ChannelProvider(channel));
    auto consumer = ComPtr<RecordingConsumer>::Adopt(new RecordingConsumer);
    RunOptions options;
    options.consumer = consumer;

    ChainOutcome outcome;
    std::thread pipeline([&] { outcome = RunChain({filter.Get()}, provider.Get(), options); });
    ComPtr<IUnknown> sequence = Sequence();
    ComPtr<IUnknown> document = Document(1);
    channel->Push(sequence.Get());
    channel->Push(document.Get());
    // Deadlock guard only: the two parts arrive at once.
    ASSERT_TRUE(consumer->WaitForCalls(2, std::chrono::seconds(60)));

    // The loop now waits in GetXpsPart; stop it from this thread.
    EXPECT_EQ(filter->ShutdownOperation(), S_OK);
    ComPtr<IUnknown> page = Page(1, 1);
    channel->Push(page.Get());
    pipeline.join();

    EXPECT_EQ(outcome.filters[0].startResult, S_OK);
    EXPECT_EQ(filter->HookNames(), (Lines{"OnFixedDocumentSequence", "OnFixedDocument", "OnJobEnd"}));
    EXPECT_EQ(consumer->Kinds(),
              (std::vector<ConsumerCallKind>{ConsumerCallKind::SendFixedDocumentSequence,
                                             ConsumerCallKind::SendFixedDocument, ConsumerCallKind::CloseSender}));
    EXPECT_EQ(outcome.filters[0].filterFinishedCount, 1);
    EXPECT_TRUE(outcome.filters[0].shutdownRequests.empty());
    // The page fetched after the stop was released: only this test holds it.
    EXPECT_EQ(page->AddRef(), 2u);
    EXPECT_EQ(page->Release(), 1u);
}

TEST(PartLoop, PartsOfOtherKindsGoThroughSendXpsUnknown)
{
    auto filter = NewFilter<ProbeFilter>();
    ChainOutcome outcome = RunFilter(
        filter.Get(), {Unknown(MakePart<ResourceDictionaryPart>(u"/Resources/Dict.dict", "<ResourceDictionary/>")),
                       Unknown(MakePart<ImagePart>(u"/Resources/Images/1.png", "png")),
                       Unknown(MakePart<PrintTicketPart>(u"/Metadata/PT.xml", "<PrintTicket/>"))});
    EXPECT_EQ(outcome.filters[0].startResult, S_OK);
    EXPECT_EQ(outcome.consumer->Transcript(),
              (Lines{"SendXpsUnknown /Resources/Dict.dict", "SendXpsUnknown /Resources/Images/1.png",
                     "SendXpsUnknown /Metadata/PT.xml", "CloseSender"}));
    EXPECT_EQ(filter->HookNames(), (Lines{"OnJobEnd"}));
}

TEST(PartLoop, WithoutGdiplusThePartsBypassTheHooks)
{
    Gdiplus::GdiplusFailStartupForTesting(true);
    auto filter = NewFilter<ProbeFilter>();
    Gdiplus::GdiplusFailStartupForTesting(false);
    EXPECT_EQ(filter->GdiplusReady(), 0);

    ComPtr<IUnknown> page = Page(1, 1);
    ChainOutcome outcome = RunFilter(filter.Get(), {Sequence(), Document(1), page});
    EXPECT_EQ(outcome.filters[0].startResult, S_OK);
    // Only the job end runs; pages still count.
    EXPECT_EQ(filter->HookNames(), (Lines{"OnJobEnd"}));
    EXPECT_EQ(filter->PageCount(), 1);
    EXPECT_EQ(outcome.consumer->Transcript(), (Lines{"SendFixedDocumentSequence /FixedDocumentSequence.fdseq",
                                                     "SendFixedDocument /Documents/1/FixedDocument.fdoc",
                                                     "SendFixedPage /Documents/1/Pages/1.fpage", "CloseSender"}));
    EXPECT_EQ(AsTestPart(page.Get())->Content(), "<FixedPage Width=\"816\" Height=\"1056\"/>");
}

TEST(PartLoop, GdiplusStartsWithTheObjectAndEndsWithIt)
{
    const int before = Gdiplus::GdiplusActiveStartups();
    {
        auto filter = NewFilter<ProbeFilter>();
        EXPECT_EQ(filter->GdiplusReady(), 1);
        EXPECT_EQ(Gdiplus::GdiplusActiveStartups(), before + 1);
    }
    EXPECT_EQ(Gdiplus::GdiplusActiveStartups(), before);
}

TEST(PartLoop, FailingReaderIsReportedWithoutClosingTheSender)
{
    auto filter = NewFilter<ProbeFilter>();
    auto provider = ComPtr<InMemoryProvider>::Adopt(new InMemoryProvider({}));
    auto consumer = ComPtr<RecordingConsumer>::Adopt(new RecordingConsumer);
    auto communicator = ComPtr<TestCommunicator>::Adopt(new TestCommunicator(provider.Get(), consumer.Get()));
    communicator->FailReader(E_ACCESSDENIED);
    auto control = ComPtr<RecordingControl>::Adopt(new RecordingControl);
    ASSERT_EQ(filter->InitializeFilter(communicator.Get(), DefaultPropertyBag().Get(), control.Get()), S_OK);

    EXPECT_EQ(filter->StartOperation(), E_ACCESSDENIED);
    EXPECT_TRUE(consumer->Calls().empty());
    EXPECT_EQ(control->ShutdownRequests(), std::vector<HRESULT>{E_ACCESSDENIED});
    EXPECT_EQ(control->FilterFinishedCount(), 1);
    EXPECT_TRUE(filter->hooks.empty());
}

TEST(PartLoop, WriterThatIsNoConsumerFailsTheJob)
{
    auto filter = NewFilter<ProbeFilter>();
    auto provider = ComPtr<InMemoryProvider>::Adopt(new InMemoryProvider({Sequence()}));
    // A write stream where a consumer belongs: it must never be called as one.
    auto content = std::make_shared<PartContent>();
    auto stream = ComPtr<ContentWriteStream>::Adopt(new ContentWriteStream(content));
    auto communicator = ComPtr<TestCommunicator>::Adopt(new TestCommunicator(provider.Get(), stream.Get()));
    auto control = ComPtr<RecordingControl>::Adopt(new RecordingControl);
    ASSERT_EQ(filter->InitializeFilter(communicator.Get(), DefaultPropertyBag().Get(), control.Get()), S_OK);

    EXPECT_EQ(filter->StartOperation(), E_FAIL);
    ASSERT_FALSE(control->ShutdownRequests().empty());
    for (HRESULT reason : control->ShutdownRequests()) EXPECT_EQ(reason, E_FAIL);
    EXPECT_EQ(provider->RequestCount(), 0u);
    EXPECT_TRUE(content->WriteSizes().empty());
    EXPECT_EQ(content->CloseCount(), 0);
}

TEST(PartLoop, ShutdownBeforeStartStillEndsCleanlyOnce)
{
    auto filter = NewFilter<ProbeFilter>();
    auto provider = ComPtr<InMemoryProvider>::Adopt(new InMemoryProvider({Sequence(), Document(1)}));
    auto consumer = ComPtr<RecordingConsumer>::Adopt(new RecordingConsumer);
    auto communicator = ComPtr<TestCommunicator>::Adopt(new TestCommunicator(provider.Get(), consumer.Get()));
    auto control = ComPtr<RecordingControl>::Adopt(new RecordingControl);
    ASSERT_EQ(filter->InitializeFilter(communicator.Get(), DefaultPropertyBag().Get(), control.Get()), S_OK);
    filter->ShutdownOperation();
    filter->ShutdownOperation();
    EXPECT_EQ(control->FilterFinishedCount(), 1);

    EXPECT_EQ(filter->StartOperation(), S_OK);
    EXPECT_EQ(filter->HookNames(), (Lines{"OnJobEnd"}));
    EXPECT_EQ(consumer->Kinds(), std::vector<ConsumerCallKind>{ConsumerCallKind::CloseSender});
    EXPECT_EQ(control->FilterFinishedCount(), 1);
}

// A stand-in for the pipeline's class object factory.
class ClassFactory : public ComObject<IPrintClassObjectFactory> {
public:
    HRESULT GetPrintClassObject(const WCHAR*, REFIID, void**) override { return E_NOTIMPL; }

private:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IPrintClassObjectFactory ? static_cast<IPrintClassObjectFactory*>(this) : nullptr;
    }
};

class InitializeFilterTest : public ::testing::Test {
protected:
    HRESULT Initialize(IPrintPipelinePropertyBag* bag)
    {
        return filter->InitializeFilter(communicator.Get(), bag, control.Get());
    }

    ComPtr<ProbeFilter> filter = NewFilter<ProbeFilter>();
    ComPtr<TestCommunicator> communicator = ComPtr<TestCommunicator>::Adopt(new TestCommunicator(nullptr, nullptr));
    ComPtr<RecordingControl> control = ComPtr<RecordingControl>::Adopt(new RecordingControl);
};

TEST_F(InitializeFilterTest, ReadsPrinterNameJobIdAndClassFactory)
{
    auto bag = ComPtr<TestPropertyBag>::Adopt(new TestPropertyBag);
    bag->SetString(u"PrinterName", u"Office printer");
    bag->SetUInt32(u"PrintJobId", 42);
    auto factory = ComPtr<ClassFactory>::Adopt(new ClassFactory);
    bag->SetUnknown(u"PrintClassFactory", factory.Get());

    EXPECT_EQ(Initialize(bag.Get()), S_OK);
    EXPECT_EQ(filter->PrinterName(), u"Office printer");
    EXPECT_EQ(filter->JobId(), 42u);
    EXPECT_TRUE(filter->HasClassObjectFactory());
    EXPECT_EQ(filter->PrivateNamespace(), u"http://schemas.tavprint.example/quix/printing/2006/11/printschemakeywords");
}

TEST_F(InitializeFilterTest, MissingJobIdKeepsTheEarlierOne)
{
    auto first = ComPtr<TestPropertyBag>::Adopt(new TestPropertyBag);
    first->SetString(u"PrinterName", u"A");
    first->SetUInt32(u"PrintJobId", 7);
    ASSERT_EQ(Initialize(first.Get()), S_OK);

    auto second = ComPtr<TestPropertyBag>::Adopt(new TestPropertyBag);
    second->SetString(u"PrinterName", u"B");
    EXPECT_EQ(Initialize(second.Get()), S_OK);
    EXPECT_EQ(filter->JobId(), 7u);
    EXPECT_EQ(filter->PrinterName(), u"B");
}

TEST_F(InitializeFilterTest, ResultIsThatOfThePrinterNameRead)
{
    auto noName = ComPtr<TestPropertyBag>::Adopt(new TestPropertyBag);
    noName->SetUInt32(u"PrintJobId", 9);
    EXPECT_EQ(Initialize(noName.Get()), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
    EXPECT_EQ(filter->JobId(), 9u);
    EXPECT_EQ(filter->PrinterName(), u"(null)");

    // A name of the wrong type is refused rather than read as a string.
    auto numberName = ComPtr<TestPropertyBag>::Adopt(new TestPropertyBag);
    numberName->SetUInt32(u"PrinterName", 5);
    EXPECT_EQ(Initialize(numberName.Get()), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(filter->PrinterName(), u"(null)");
}

TEST_F(InitializeFilterTest, FactoryOfTheWrongKindIsIgnored)
{
    auto bag = DefaultPropertyBag();
    auto notAFactory = ComPtr<RecordingControl>::Adopt(new RecordingControl);
    bag->SetUnknown(u"PrintClassFactory", notAFactory.Get());
    EXPECT_EQ(Initialize(bag.Get()), S_OK);
    EXPECT_FALSE(filter->HasClassObjectFactory());
}

TEST_F(InitializeFilterTest, NullArgumentAsksTheEarlierControlToShutDown)
{
    EXPECT_EQ(filter->InitializeFilter(communicator.Get(), nullptr, control.Get()), E_POINTER);
    EXPECT_TRUE(control->ShutdownRequests().empty());  // no control stored yet

    ASSERT_EQ(Initialize(DefaultPropertyBag().Get()), S_OK);
    EXPECT_EQ(filter->InitializeFilter(nullptr, DefaultPropertyBag().Get(), control.Get()), E_POINTER);
    EXPECT_EQ(control->ShutdownRequests(), std::vector<HRESULT>{E_POINTER});
}

TEST_F(InitializeFilterTest, DestructionReportsAnUnreportedFinish)
{
    ASSERT_EQ(Initialize(DefaultPropertyBag().Get()), S_OK);
    filter.Reset();
    EXPECT_EQ(control->FilterFinishedCount(), 1);
}

}  // namespace
