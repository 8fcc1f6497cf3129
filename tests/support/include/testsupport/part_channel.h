// A bounded hand-over of parts between one filter's consumer and the next
// filter's provider, as the pipeline passes parts between filter threads.
// Also serves as a provider that blocks until the test hands it parts.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "platform/comobject.h"
#include "platform/pipeline.h"
#include "testsupport/parts.h"

namespace testsupport {

class PartChannel {
public:
    explicit PartChannel(size_t capacity);

    // Waits for room. E_ABORT once cancelled, E_UNEXPECTED after Close.
    HRESULT Push(IUnknown* part);
    // The sender has sent everything: Pop gives a null part once the queue
    // is empty.
    void Close();
    // Ends the hand-over at once: waiting and later calls fail with E_ABORT.
    void Cancel();
    // Waits for a part: S_OK with the part, S_OK with null once closed and
    // drained, E_ABORT once cancelled.
    HRESULT Pop(IUnknown** part);

private:
    const size_t capacity_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<ComPtr<IUnknown>> parts_;
    bool closed_ = false;
    bool cancelled_ = false;
};

// The receiving side of a channel.
class ChannelProvider : public ComObject<IXpsDocumentProvider> {
public:
    explicit ChannelProvider(std::shared_ptr<PartChannel> channel) : channel_(std::move(channel)) {}
    HRESULT GetXpsPart(IUnknown** part) override { return channel_->Pop(part); }

private:
    void* InterfaceFor(REFIID riid) override;
    std::shared_ptr<PartChannel> channel_;
};

// The sending side: every Send pushes the part, CloseSender closes, and new
// parts are in-memory test parts whose names are claimed in the job's
// registry.
class ChannelConsumer : public ComObject<IXpsDocumentConsumer> {
public:
    ChannelConsumer(std::shared_ptr<PartChannel> channel, std::shared_ptr<PartNameRegistry> partNames)
        : channel_(std::move(channel)), partNames_(std::move(partNames))
    {
    }
    HRESULT SendXpsUnknown(IUnknown* part) override { return Send(part); }
    HRESULT SendXpsDocument(IXpsDocument* document) override { return Send(document); }
    HRESULT SendFixedDocumentSequence(IFixedDocumentSequence* sequence) override { return Send(sequence); }
    HRESULT SendFixedDocument(IFixedDocument* document) override { return Send(document); }
    HRESULT SendFixedPage(IFixedPage* page) override { return Send(page); }
    HRESULT CloseSender() override;
    HRESULT GetNewEmptyPart(const WCHAR* uri, REFIID riid, void** part, IPrintWriteStream** stream) override;

private:
    void* InterfaceFor(REFIID riid) override;
    HRESULT Send(IUnknown* part);
    std::shared_ptr<PartChannel> channel_;
    std::shared_ptr<PartNameRegistry> partNames_;
};

}  // namespace testsupport
