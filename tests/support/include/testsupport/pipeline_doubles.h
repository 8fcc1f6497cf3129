// Doubles for the pipeline objects a filter talks to: the part provider, the
// consumer that records every call, the communicator that hands both out, the
// manager control and the property bag. All are thread-safe: the filter runs
// on its own thread while the test looks on.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/comobject.h"
#include "platform/pipeline.h"
#include "testsupport/parts.h"

namespace testsupport {

// Yields a list of parts in order, then a null part (the job is complete).
class InMemoryProvider : public ComObject<IXpsDocumentProvider> {
public:
    explicit InMemoryProvider(std::vector<ComPtr<IUnknown>> parts);
    HRESULT GetXpsPart(IUnknown** part) override;

    // The request with this zero-based index fails with hr instead.
    void FailRequest(size_t index, HRESULT hr);
    size_t RequestCount() const;

private:
    void* InterfaceFor(REFIID riid) override;

    mutable std::mutex lock_;
    std::vector<ComPtr<IUnknown>> parts_;
    size_t next_ = 0;
    size_t requests_ = 0;
    size_t failingRequest_ = SIZE_MAX;
    HRESULT failure_ = S_OK;
};

enum class ConsumerCallKind {
    SendXpsUnknown,
    SendXpsDocument,
    SendFixedDocumentSequence,
    SendFixedDocument,
    SendFixedPage,
    CloseSender,
    GetNewEmptyPart,
};

const char* ConsumerCallName(ConsumerCallKind kind);

struct ConsumerCall {
    ConsumerCallKind kind;
    // The part sent or created; null for CloseSender.
    ComPtr<IUnknown> part;
    // The part's name (for GetNewEmptyPart the name asked for).
    std::u16string uri;
};

// Records every call in order and keeps the parts (with their content, and
// the content written to new parts once their streams are closed).
class RecordingConsumer : public ComObject<IXpsDocumentConsumer> {
public:
    HRESULT SendXpsUnknown(IUnknown* part) override;
    HRESULT SendXpsDocument(IXpsDocument* document) override;
    HRESULT SendFixedDocumentSequence(IFixedDocumentSequence* sequence) override;
    HRESULT SendFixedDocument(IFixedDocument* document) override;
    HRESULT SendFixedPage(IFixedPage* page) override;
    HRESULT CloseSender() override;
    HRESULT GetNewEmptyPart(const WCHAR* uri, REFIID riid, void** part, IPrintWriteStream** stream) override;

    // Calls of this kind are recorded and then fail with hr.
    void FailCalls(ConsumerCallKind kind, HRESULT hr);
    // The names of the parts this consumer created (GetNewEmptyPart refuses
    // a name a second time), to be shared with the other consumers of a job.
    std::shared_ptr<PartNameRegistry> PartNames() const { return partNames_; }

    std::vector<ConsumerCall> Calls() const;
    std::vector<ConsumerCallKind> Kinds() const;
    // "SendFixedPage /Documents/1/Pages/1.fpage" lines, one per call, for
    // readable comparisons.
    std::vector<std::string> Transcript() const;
    // The parts sent with any Send call, in order.
    std::vector<ComPtr<IUnknown>> SentParts() const;
    // Waits until at least count calls were recorded; false after limit.
    bool WaitForCalls(size_t count, std::chrono::milliseconds limit) const;

private:
    void* InterfaceFor(REFIID riid) override;
    HRESULT Record(ConsumerCallKind kind, IUnknown* part, std::u16string uri);

    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    std::vector<ConsumerCall> calls_;
    std::map<ConsumerCallKind, HRESULT> failures_;
    const std::shared_ptr<PartNameRegistry> partNames_ = std::make_shared<PartNameRegistry>();
};

// Hands out the reader and writer it was given (any interface pointers,
// passed on untyped as the pipeline does).
class TestCommunicator : public ComObject<IInterFilterCommunicator> {
public:
    TestCommunicator(IUnknown* reader, IUnknown* writer);
    HRESULT RequestReader(void** reader) override;
    HRESULT RequestWriter(void** writer) override;

    void FailReader(HRESULT hr);
    void FailWriter(HRESULT hr);

private:
    void* InterfaceFor(REFIID riid) override;
    HRESULT HandOut(const ComPtr<IUnknown>& object, HRESULT failure, void** out);

    std::mutex lock_;
    ComPtr<IUnknown> reader_;
    ComPtr<IUnknown> writer_;
    HRESULT readerFailure_ = S_OK;
    HRESULT writerFailure_ = S_OK;
};

class RecordingControl : public ComObject<IPrintPipelineManagerControl> {
public:
    HRESULT RequestShutdown(HRESULT reason, IImgErrorInfo* errorInfo) override;
    HRESULT FilterFinished() override;

    // Called (on the requesting thread) after each RequestShutdown.
    void OnShutdownRequest(std::function<void(HRESULT)> handler);
    std::vector<HRESULT> ShutdownRequests() const;
    // What each request's error information said: "PART: REASON", the
    // reason alone, or "" for a request without it.
    std::vector<std::string> ShutdownNotes() const;
    int FilterFinishedCount() const;

private:
    void* InterfaceFor(REFIID riid) override;

    mutable std::mutex lock_;
    std::vector<HRESULT> shutdownRequests_;
    std::vector<std::string> shutdownNotes_;
    int filterFinished_ = 0;
    std::function<void(HRESULT)> handler_;
};

// A map of names to VARIANTs; values are copied in and out.
class TestPropertyBag : public ComObject<IPrintPipelinePropertyBag> {
public:
    ~TestPropertyBag() override;
    HRESULT AddProperty(const WCHAR* name, const VARIANT* value) override;
    HRESULT GetProperty(const WCHAR* name, VARIANT* value) override;
    BOOL DeleteProperty(const WCHAR* name) override;

    void SetString(const WCHAR* name, const WCHAR* text);
    void SetUInt32(const WCHAR* name, ULONG value);
    void SetUnknown(const WCHAR* name, IUnknown* object);

private:
    void* InterfaceFor(REFIID riid) override;

    std::mutex lock_;
    std::map<std::u16string, VARIANT> values_;
};

}  // namespace testsupport
