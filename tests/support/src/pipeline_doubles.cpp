#include "testsupport/pipeline_doubles.h"

#include "platform/wformat.h"
#include "testsupport/parts.h"

namespace testsupport {

InMemoryProvider::InMemoryProvider(std::vector<ComPtr<IUnknown>> parts) : parts_(std::move(parts)) {}

void* InMemoryProvider::InterfaceFor(REFIID riid)
{
    return riid == IID_IXpsDocumentProvider ? static_cast<IXpsDocumentProvider*>(this) : nullptr;
}

HRESULT InMemoryProvider::GetXpsPart(IUnknown** part)
{
    if (part == nullptr) return E_POINTER;
    *part = nullptr;
    std::lock_guard<std::mutex> guard(lock_);
    if (requests_++ == failingRequest_) return failure_;
    if (next_ < parts_.size()) *part = ComPtr<IUnknown>(parts_[next_++]).Detach();
    return S_OK;
}

void InMemoryProvider::FailRequest(size_t index, HRESULT hr)
{
    std::lock_guard<std::mutex> guard(lock_);
    failingRequest_ = index;
    failure_ = hr;
}

size_t InMemoryProvider::RequestCount() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return requests_;
}

const char* ConsumerCallName(ConsumerCallKind kind)
{
    switch (kind) {
    case ConsumerCallKind::SendXpsUnknown: return "SendXpsUnknown";
    case ConsumerCallKind::SendXpsDocument: return "SendXpsDocument";
    case ConsumerCallKind::SendFixedDocumentSequence: return "SendFixedDocumentSequence";
    case ConsumerCallKind::SendFixedDocument: return "SendFixedDocument";
    case ConsumerCallKind::SendFixedPage: return "SendFixedPage";
    case ConsumerCallKind::CloseSender: return "CloseSender";
    case ConsumerCallKind::GetNewEmptyPart: return "GetNewEmptyPart";
    }
    return "?";
}

void* RecordingConsumer::InterfaceFor(REFIID riid)
{
    return riid == IID_IXpsDocumentConsumer ? static_cast<IXpsDocumentConsumer*>(this) : nullptr;
}

HRESULT RecordingConsumer::Record(ConsumerCallKind kind, IUnknown* part, std::u16string uri)
{
    std::lock_guard<std::mutex> guard(lock_);
    calls_.push_back(ConsumerCall{kind, ComPtr<IUnknown>::Share(part), std::move(uri)});
    changed_.notify_all();
    auto failure = failures_.find(kind);
    return failure != failures_.end() ? failure->second : S_OK;
}

HRESULT RecordingConsumer::SendXpsUnknown(IUnknown* part)
{
    if (part == nullptr) return E_POINTER;
    return Record(ConsumerCallKind::SendXpsUnknown, part, PartUri(part));
}

HRESULT RecordingConsumer::SendXpsDocument(IXpsDocument* document)
{
    if (document == nullptr) return E_POINTER;
    return Record(ConsumerCallKind::SendXpsDocument, document, PartUri(document));
}

HRESULT RecordingConsumer::SendFixedDocumentSequence(IFixedDocumentSequence* sequence)
{
    if (sequence == nullptr) return E_POINTER;
    return Record(ConsumerCallKind::SendFixedDocumentSequence, sequence, PartUri(sequence));
}

HRESULT RecordingConsumer::SendFixedDocument(IFixedDocument* document)
{
    if (document == nullptr) return E_POINTER;
    return Record(ConsumerCallKind::SendFixedDocument, document, PartUri(document));
}

HRESULT RecordingConsumer::SendFixedPage(IFixedPage* page)
{
    if (page == nullptr) return E_POINTER;
    return Record(ConsumerCallKind::SendFixedPage, page, PartUri(page));
}

HRESULT RecordingConsumer::CloseSender() { return Record(ConsumerCallKind::CloseSender, nullptr, {}); }

HRESULT RecordingConsumer::GetNewEmptyPart(const WCHAR* uri, REFIID riid, void** part, IPrintWriteStream** stream)
{
    HRESULT hr = CreateUniquePart(*partNames_, uri, riid, part, stream);
    if (FAILED(hr)) return hr;
    HRESULT recorded = Record(ConsumerCallKind::GetNewEmptyPart, static_cast<IUnknown*>(*part), uri);
    if (FAILED(recorded)) {
        static_cast<IUnknown*>(*part)->Release();
        (*stream)->Release();
        *part = nullptr;
        *stream = nullptr;
    }
    return recorded;
}

void RecordingConsumer::FailCalls(ConsumerCallKind kind, HRESULT hr)
{
    std::lock_guard<std::mutex> guard(lock_);
    failures_[kind] = hr;
}

std::vector<ConsumerCall> RecordingConsumer::Calls() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return calls_;
}

std::vector<ConsumerCallKind> RecordingConsumer::Kinds() const
{
    std::vector<ConsumerCallKind> kinds;
    for (const ConsumerCall& call : Calls()) kinds.push_back(call.kind);
    return kinds;
}

std::vector<std::string> RecordingConsumer::Transcript() const
{
    std::vector<std::string> lines;
    for (const ConsumerCall& call : Calls()) {
        std::string line = ConsumerCallName(call.kind);
        if (!call.uri.empty()) line += " " + WideToUtf8(call.uri);
        lines.push_back(line);
    }
    return lines;
}

std::vector<ComPtr<IUnknown>> RecordingConsumer::SentParts() const
{
    std::vector<ComPtr<IUnknown>> parts;
    for (const ConsumerCall& call : Calls()) {
        if (call.kind != ConsumerCallKind::CloseSender && call.kind != ConsumerCallKind::GetNewEmptyPart)
            parts.push_back(call.part);
    }
    return parts;
}

bool RecordingConsumer::WaitForCalls(size_t count, std::chrono::milliseconds limit) const
{
    std::unique_lock<std::mutex> guard(lock_);
    return changed_.wait_for(guard, limit, [&] { return calls_.size() >= count; });
}

TestCommunicator::TestCommunicator(IUnknown* reader, IUnknown* writer)
    : reader_(ComPtr<IUnknown>::Share(reader)), writer_(ComPtr<IUnknown>::Share(writer))
{
}

void* TestCommunicator::InterfaceFor(REFIID riid)
{
    return riid == IID_IInterFilterCommunicator ? static_cast<IInterFilterCommunicator*>(this) : nullptr;
}

HRESULT TestCommunicator::HandOut(const ComPtr<IUnknown>& object, HRESULT failure, void** out)
{
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (FAILED(failure)) return failure;
    *out = ComPtr<IUnknown>(object).Detach();
    return S_OK;
}

HRESULT TestCommunicator::RequestReader(void** reader)
{
    std::lock_guard<std::mutex> guard(lock_);
    return HandOut(reader_, readerFailure_, reader);
}

HRESULT TestCommunicator::RequestWriter(void** writer)
{
    std::lock_guard<std::mutex> guard(lock_);
    return HandOut(writer_, writerFailure_, writer);
}

void TestCommunicator::FailReader(HRESULT hr)
{
    std::lock_guard<std::mutex> guard(lock_);
    readerFailure_ = hr;
}

void TestCommunicator::FailWriter(HRESULT hr)
{
    std::lock_guard<std::mutex> guard(lock_);
    writerFailure_ = hr;
}

void* RecordingControl::InterfaceFor(REFIID riid)
{
    return riid == IID_IPrintPipelineManagerControl ? static_cast<IPrintPipelineManagerControl*>(this) : nullptr;
}

HRESULT RecordingControl::RequestShutdown(HRESULT reason, IImgErrorInfo* errorInfo)
{
    // "PART: REASON" as the host shows it, or the reason alone.
    std::string note;
    if (errorInfo != nullptr) {
        BSTR source = nullptr;
        BSTR description = nullptr;
        errorInfo->GetSource(&source);
        errorInfo->GetDescription(&description);
        std::string part = WideToUtf8(source);
        note = (part.empty() ? "" : part + ": ") + WideToUtf8(description);
        SysFreeString(source);
        SysFreeString(description);
    }
    std::function<void(HRESULT)> handler;
    {
        std::lock_guard<std::mutex> guard(lock_);
        shutdownRequests_.push_back(reason);
        shutdownNotes_.push_back(std::move(note));
        handler = handler_;
    }
    if (handler) handler(reason);
    return S_OK;
}

HRESULT RecordingControl::FilterFinished()
{
    std::lock_guard<std::mutex> guard(lock_);
    ++filterFinished_;
    return S_OK;
}

void RecordingControl::OnShutdownRequest(std::function<void(HRESULT)> handler)
{
    std::lock_guard<std::mutex> guard(lock_);
    handler_ = std::move(handler);
}

std::vector<HRESULT> RecordingControl::ShutdownRequests() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return shutdownRequests_;
}

std::vector<std::string> RecordingControl::ShutdownNotes() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return shutdownNotes_;
}

int RecordingControl::FilterFinishedCount() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return filterFinished_;
}

TestPropertyBag::~TestPropertyBag()
{
    for (auto& [name, value] : values_) VariantClear(&value);
}

void* TestPropertyBag::InterfaceFor(REFIID riid)
{
    return riid == IID_IPrintPipelinePropertyBag ? static_cast<IPrintPipelinePropertyBag*>(this) : nullptr;
}

HRESULT TestPropertyBag::AddProperty(const WCHAR* name, const VARIANT* value)
{
    if (name == nullptr || value == nullptr) return E_POINTER;
    VARIANT copy;
    VariantInit(&copy);
    HRESULT hr = VariantCopy(&copy, value);
    if (FAILED(hr)) return hr;
    std::lock_guard<std::mutex> guard(lock_);
    auto [entry, added] = values_.try_emplace(name, copy);
    if (!added) {
        VariantClear(&entry->second);
        entry->second = copy;
    }
    return S_OK;
}

HRESULT TestPropertyBag::GetProperty(const WCHAR* name, VARIANT* value)
{
    if (name == nullptr || value == nullptr) return E_POINTER;
    VariantInit(value);
    std::lock_guard<std::mutex> guard(lock_);
    auto found = values_.find(name);
    if (found == values_.end()) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    return VariantCopy(value, &found->second);
}

BOOL TestPropertyBag::DeleteProperty(const WCHAR* name)
{
    if (name == nullptr) return FALSE;
    std::lock_guard<std::mutex> guard(lock_);
    auto found = values_.find(name);
    if (found == values_.end()) return FALSE;
    VariantClear(&found->second);
    values_.erase(found);
    return TRUE;
}

void TestPropertyBag::SetString(const WCHAR* name, const WCHAR* text)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(text);
    AddProperty(name, &value);
    VariantClear(&value);
}

void TestPropertyBag::SetUInt32(const WCHAR* name, ULONG number)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_UI4;
    value.ulVal = number;
    AddProperty(name, &value);
}

void TestPropertyBag::SetUnknown(const WCHAR* name, IUnknown* object)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_UNKNOWN;
    value.punkVal = object;  // borrowed: AddProperty copies with its own reference
    AddProperty(name, &value);
}

}  // namespace testsupport
