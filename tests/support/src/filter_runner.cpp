#include "testsupport/filter_runner.h"

#include <memory>
#include <thread>

#include "testsupport/filter_module.h"
#include "testsupport/part_channel.h"
#include "testsupport/per_user_ticket.h"

namespace testsupport {

ComPtr<TestPropertyBag> DefaultPropertyBag()
{
    auto bag = ComPtr<TestPropertyBag>::Adopt(new TestPropertyBag);
    bag->SetString(u"PrinterName", u"tav test printer");
    bag->SetUInt32(u"PrintJobId", 1);
    SetPerUserTicket(bag.Get(), DefaultDeviceTicket());
    return bag;
}

ChainOutcome RunChain(const std::vector<IPrintPipelineFilter*>& filters, IXpsDocumentProvider* source,
                      const RunOptions& options)
{
    ChainOutcome outcome;
    outcome.consumer = options.consumer ? options.consumer : ComPtr<RecordingConsumer>::Adopt(new RecordingConsumer);
    ComPtr<IPrintPipelinePropertyBag> bag = options.propertyBag;
    if (!bag) bag = ComPtr<IPrintPipelinePropertyBag>::Adopt(DefaultPropertyBag().Detach());

    const size_t count = filters.size();
    std::vector<std::shared_ptr<PartChannel>> channels;
    for (size_t i = 0; i + 1 < count; ++i) channels.push_back(std::make_shared<PartChannel>(options.channelCapacity));
    auto cancelAll = [channels](HRESULT) {
        for (const auto& channel : channels) channel->Cancel();
    };

    std::vector<ComPtr<RecordingControl>> controls;
    std::vector<ComPtr<TestCommunicator>> communicators;
    for (size_t i = 0; i < count; ++i) {
        ComPtr<IUnknown> reader =
            i == 0 ? ComPtr<IUnknown>::Share(source) : ComPtr<IUnknown>::Adopt(new ChannelProvider(channels[i - 1]));
        ComPtr<IUnknown> writer =
            i + 1 == count ? ComPtr<IUnknown>::Share(outcome.consumer.Get())
                           : ComPtr<IUnknown>::Adopt(new ChannelConsumer(channels[i], outcome.consumer->PartNames()));
        communicators.push_back(ComPtr<TestCommunicator>::Adopt(new TestCommunicator(reader.Get(), writer.Get())));
        controls.push_back(ComPtr<RecordingControl>::Adopt(new RecordingControl));
        controls.back()->OnShutdownRequest(cancelAll);
    }

    outcome.filters.resize(count);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < count; ++i) {
        threads.emplace_back([&, i] {
            FilterOutcome& result = outcome.filters[i];
            result.initializeResult =
                filters[i]->InitializeFilter(communicators[i].Get(), bag.Get(), controls[i].Get());
            if (FAILED(result.initializeResult)) {
                cancelAll(result.initializeResult);
                return;
            }
            result.startResult = filters[i]->StartOperation();
        });
    }
    for (auto& thread : threads) thread.join();
    for (size_t i = 0; i < count; ++i) {
        outcome.filters[i].shutdownRequests = controls[i]->ShutdownRequests();
        outcome.filters[i].shutdownNotes = controls[i]->ShutdownNotes();
        outcome.filters[i].filterFinishedCount = controls[i]->FilterFinishedCount();
    }
    return outcome;
}

ChainOutcome RunChain(const std::vector<IPrintPipelineFilter*>& filters, const std::vector<ComPtr<IUnknown>>& parts,
                      const RunOptions& options)
{
    auto source = ComPtr<InMemoryProvider>::Adopt(new InMemoryProvider(parts));
    return RunChain(filters, source.Get(), options);
}

ChainOutcome RunFilter(IPrintPipelineFilter* filter, const std::vector<ComPtr<IUnknown>>& parts,
                       const RunOptions& options)
{
    return RunChain(std::vector<IPrintPipelineFilter*>{filter}, parts, options);
}

ChainOutcome RunFilterModule(const std::string& moduleName, REFCLSID clsid, const std::vector<ComPtr<IUnknown>>& parts,
                             const RunOptions& options)
{
    FilterModule module(ModulePath(moduleName));
    ComPtr<IPrintPipelineFilter> filter = module.CreateFilter(clsid);
    if (!filter) {
        ChainOutcome failed;
        failed.filters.resize(1);
        failed.consumer = options.consumer ? options.consumer : ComPtr<RecordingConsumer>::Adopt(new RecordingConsumer);
        return failed;
    }
    ChainOutcome outcome = RunFilter(filter.Get(), parts, options);
    filter.Reset();
    return outcome;
}

}  // namespace testsupport
