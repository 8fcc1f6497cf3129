#include "chain/chain_objects.h"

#include <map>
#include <thread>

#include "opc/package_error.h"
#include "parts/new_part.h"
#include "parts/part_identity.h"

namespace tav::host {
namespace {

// GetNewEmptyPart is the same on every consumer of the chain.
class ConsumerBase : public ComObject<IXpsDocumentConsumer> {
public:
    ConsumerBase(std::shared_ptr<FailureLog> log, std::shared_ptr<SenderState> state,
                 std::shared_ptr<PartNameRegistry> names)
        : log_(std::move(log)), state_(std::move(state)), names_(std::move(names))
    {
    }
    HRESULT GetNewEmptyPart(const WCHAR* uri, REFIID riid, void** part, IPrintWriteStream** stream) override
    {
        return CreateEmptyPart(uri, riid, part, stream, log_, names_.get());
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IXpsDocumentConsumer ? static_cast<IXpsDocumentConsumer*>(this) : nullptr;
    }
    std::shared_ptr<FailureLog> log_;
    std::shared_ptr<SenderState> state_;
    std::shared_ptr<PartNameRegistry> names_;
};

class QueueConsumer : public ConsumerBase {
public:
    QueueConsumer(std::shared_ptr<PartQueue> queue, std::shared_ptr<FailureLog> log, std::shared_ptr<SenderState> state,
                  std::shared_ptr<PartNameRegistry> names)
        : ConsumerBase(std::move(log), std::move(state), std::move(names)), queue_(std::move(queue))
    {
    }
    ~QueueConsumer() override { queue_->Close(); }

    HRESULT SendXpsUnknown(IUnknown* part) override { return Send(part); }
    HRESULT SendXpsDocument(IXpsDocument* document) override { return Send(document); }
    HRESULT SendFixedDocumentSequence(IFixedDocumentSequence* sequence) override { return Send(sequence); }
    HRESULT SendFixedDocument(IFixedDocument* document) override { return Send(document); }
    HRESULT SendFixedPage(IFixedPage* page) override { return Send(page); }
    HRESULT CloseSender() override
    {
        state_->closed = true;
        queue_->Close();
        return S_OK;
    }

private:
    HRESULT Send(IUnknown* part)
    {
        if (part == nullptr) return E_POINTER;
        return queue_->Push(ComPtr<IUnknown>::Share(part));
    }
    std::shared_ptr<PartQueue> queue_;
};

// Writes the output package on a thread of its own, behind a queue, so that
// compressing and writing a part overlaps the last filter's work on the
// next ones. A part that cannot be written fails the job: the failure is
// recorded at once, the parts queued after it are dropped, and the filter
// learns of it from its next send or from CloseSender, which waits until
// every part sent before it was written.
class PackageConsumer : public ConsumerBase {
public:
    PackageConsumer(std::unique_ptr<PackageWriter> writer, std::shared_ptr<FailureLog> log,
                    std::shared_ptr<SenderState> state, std::shared_ptr<PartNameRegistry> names,
                    std::function<void()> onPage, std::shared_ptr<PartQueue> queue)
        : ConsumerBase(std::move(log), std::move(state), std::move(names)),
          writer_(std::move(writer)),
          onPage_(std::move(onPage)),
          queue_(std::move(queue))
    {
    }
    ~PackageConsumer() override
    {
        queue_->Abort();
        if (thread_.joinable()) thread_.join();
    }

    HRESULT SendXpsUnknown(IUnknown* part) override { return Send(part, kOther); }
    HRESULT SendXpsDocument(IXpsDocument* document) override { return Send(document, kXpsDocument); }
    HRESULT SendFixedDocumentSequence(IFixedDocumentSequence* sequence) override { return Send(sequence, kSequence); }
    HRESULT SendFixedDocument(IFixedDocument* document) override { return Send(document, kDocument); }
    HRESULT SendFixedPage(IFixedPage* page) override { return Send(page, kPage); }
    HRESULT CloseSender() override
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (state_->closed) return S_OK;
        queue_->Close();
        if (thread_.joinable()) thread_.join();
        if (failed_) return E_FAIL;
        std::optional<Failure> failure;
        try {
            writer_->Finish();
            state_->closed = true;
            return S_OK;
        } catch (const InputReadError& error) {
            failure = Failure{FailureKind::Package, error.Part(), error.Reason()};
        } catch (const PackageError& error) {
            failure = Failure{FailureKind::Output, error.Part(), error.Reason()};
        } catch (const std::exception& error) {
            failure = Failure{FailureKind::Output, "", error.what()};
        }
        failed_ = true;
        std::lock_guard<std::mutex> holdState(state_->lock);
        state_->finishFailure = failure;
        state_->closed = true;  // closed, if not finished
        return E_FAIL;
    }

private:
    // How a part was sent, which decides how it is written.
    enum SentAs { kOther, kXpsDocument, kSequence, kDocument, kPage };

    HRESULT Send(IUnknown* part, SentAs sentAs)
    {
        if (part == nullptr) return E_POINTER;
        std::lock_guard<std::mutex> hold(lock_);
        if (failed_) return E_FAIL;
        if (state_->closed) return E_UNEXPECTED;
        if (!thread_.joinable()) thread_ = std::thread([this] { WriteParts(); });
        HRESULT result = queue_->Push(ComPtr<IUnknown>::Share(part), sentAs);
        if (FAILED(result)) return result;
        return failed_ ? E_FAIL : S_OK;
    }

    void WriteParts()
    {
        for (;;) {
            ComPtr<IUnknown> part;
            int sentAs = kOther;
            if (FAILED(queue_->Pop(&part, &sentAs)) || !part) return;
            if (!failed_) Write(part.Get(), static_cast<SentAs>(sentAs));
        }
    }

    void Write(IUnknown* part, SentAs sentAs)
    {
        try {
            switch (sentAs) {
            case kOther: writer_->AddOther(part); break;
            case kXpsDocument: writer_->AddXpsDocument(static_cast<IXpsDocument*>(part)); break;
            case kSequence: writer_->AddSequence(static_cast<IFixedDocumentSequence*>(part)); break;
            case kDocument: writer_->AddDocument(static_cast<IFixedDocument*>(part)); break;
            case kPage: writer_->AddPage(static_cast<IFixedPage*>(part)); break;
            }
            if (sentAs == kPage && onPage_) onPage_();
            return;
        } catch (const InputReadError& error) {
            Fail(FailureKind::Package, error.Part(), error.Reason());
        } catch (const PackageError& error) {
            Fail(FailureKind::Output, error.Part(), error.Reason());
        } catch (const std::exception& error) {
            Fail(FailureKind::Output, DescribePart(part), error.what());
        }
    }
    void Fail(FailureKind kind, std::string part, std::string reason)
    {
        log_->Record(kind, std::move(part), std::move(reason));
        failed_ = true;
    }

    // Held by the sending filter's calls; the writer thread works outside it.
    std::mutex lock_;
    std::unique_ptr<PackageWriter> writer_;
    std::function<void()> onPage_;
    std::shared_ptr<PartQueue> queue_;
    std::thread thread_;
    std::atomic<bool> failed_{false};
};

// Reads the package on a thread of its own, up to a queue's capacity ahead
// of the first filter: reading and checking a page (inflating it, its markup
// pass, its relationships) overlaps the filters' work on the pages before.
// A fault in the package reaches the filter, and the failure log, where the
// walk met it: after the last good part, as if the filter had read the
// package itself.
class PackageProvider : public ComObject<IXpsDocumentProvider> {
public:
    PackageProvider(std::unique_ptr<PackageWalker> walker, std::shared_ptr<FailureLog> log,
                    std::shared_ptr<PartTracker> tracker, std::shared_ptr<std::atomic<bool>> drained,
                    std::shared_ptr<PartQueue> queue)
        : walker_(std::move(walker)),
          log_(std::move(log)),
          tracker_(std::move(tracker)),
          drained_(std::move(drained)),
          queue_(std::move(queue))
    {
    }
    ~PackageProvider() override
    {
        queue_->Abort();
        if (reader_.joinable()) reader_.join();
    }

    HRESULT GetXpsPart(IUnknown** part) override
    {
        if (part == nullptr) return E_POINTER;
        *part = nullptr;
        std::lock_guard<std::mutex> hold(lock_);
        if (failed_) return E_FAIL;
        if (!reader_.joinable()) reader_ = std::thread([this] { ReadAhead(); });
        ComPtr<IUnknown> next;
        HRESULT result = queue_->Pop(&next);
        if (FAILED(result)) return result;
        if (!next) {
            // Written before the queue closed, read after it did.
            if (failure_) {
                failed_ = true;
                log_->Record(failure_->kind, failure_->part, failure_->reason);
                return E_FAIL;
            }
            *drained_ = true;
        }
        tracker_->Note(next.Get());
        *part = next.Detach();
        return S_OK;
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IXpsDocumentProvider ? static_cast<IXpsDocumentProvider*>(this) : nullptr;
    }

private:
    void ReadAhead()
    {
        for (;;) {
            ComPtr<IUnknown> next;
            try {
                next = walker_->Next();
            } catch (const PackageError& error) {
                failure_ = Failure{FailureKind::Package, error.Part(), error.Reason()};
                break;
            } catch (const std::exception& error) {
                failure_ = Failure{FailureKind::Package, walker_->CurrentPartName(), error.what()};
                break;
            }
            if (!next) break;
            // Aborted: the job stops, or the provider goes away.
            if (FAILED(queue_->Push(std::move(next)))) return;
        }
        queue_->Close();
    }

    std::mutex lock_;
    std::unique_ptr<PackageWalker> walker_;
    std::shared_ptr<FailureLog> log_;
    std::shared_ptr<PartTracker> tracker_;
    std::shared_ptr<std::atomic<bool>> drained_;
    std::shared_ptr<PartQueue> queue_;
    std::thread reader_;
    std::optional<Failure> failure_;
    bool failed_ = false;
};

class QueueProvider : public ComObject<IXpsDocumentProvider> {
public:
    QueueProvider(std::shared_ptr<PartQueue> queue, std::shared_ptr<PartTracker> tracker)
        : queue_(std::move(queue)), tracker_(std::move(tracker))
    {
    }
    HRESULT GetXpsPart(IUnknown** part) override
    {
        if (part == nullptr) return E_POINTER;
        *part = nullptr;
        ComPtr<IUnknown> next;
        HRESULT result = queue_->Pop(&next);
        if (FAILED(result)) return result;
        tracker_->Note(next.Get());
        *part = next.Detach();
        return S_OK;
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IXpsDocumentProvider ? static_cast<IXpsDocumentProvider*>(this) : nullptr;
    }

private:
    std::shared_ptr<PartQueue> queue_;
    std::shared_ptr<PartTracker> tracker_;
};

class Communicator : public ComObject<IInterFilterCommunicator> {
public:
    Communicator(ComPtr<IUnknown> reader, ComPtr<IUnknown> writer)
        : reader_(std::move(reader)), writer_(std::move(writer))
    {
    }
    HRESULT RequestReader(void** reader) override { return Hand(reader_, reader); }
    HRESULT RequestWriter(void** writer) override { return Hand(writer_, writer); }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IInterFilterCommunicator ? static_cast<IInterFilterCommunicator*>(this) : nullptr;
    }

private:
    static HRESULT Hand(const ComPtr<IUnknown>& object, void** out)
    {
        if (out == nullptr) return E_POINTER;
        *out = ComPtr<IUnknown>(object).Detach();
        return *out == nullptr ? E_UNEXPECTED : S_OK;
    }
    ComPtr<IUnknown> reader_;
    ComPtr<IUnknown> writer_;
};

class PropertyBag : public ComObject<IPrintPipelinePropertyBag> {
public:
    ~PropertyBag() override
    {
        for (auto& [name, value] : values_) VariantClear(&value);
    }
    HRESULT AddProperty(const WCHAR* name, const VARIANT* value) override
    {
        if (name == nullptr || value == nullptr) return E_POINTER;
        VARIANT copy;
        VariantInit(&copy);
        HRESULT result = VariantCopy(&copy, value);
        if (FAILED(result)) return result;
        std::lock_guard<std::mutex> hold(lock_);
        auto [found, added] = values_.emplace(name, copy);
        if (!added) {
            VariantClear(&found->second);
            found->second = copy;
        }
        return S_OK;
    }
    HRESULT GetProperty(const WCHAR* name, VARIANT* value) override
    {
        if (name == nullptr || value == nullptr) return E_POINTER;
        VariantInit(value);
        std::lock_guard<std::mutex> hold(lock_);
        auto found = values_.find(name);
        if (found == values_.end()) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
        return VariantCopy(value, &found->second);
    }
    BOOL DeleteProperty(const WCHAR* name) override
    {
        if (name == nullptr) return FALSE;
        VARIANT removed;
        {
            std::lock_guard<std::mutex> hold(lock_);
            auto found = values_.find(name);
            if (found == values_.end()) return FALSE;
            removed = found->second;
            values_.erase(found);
        }
        VariantClear(&removed);
        return TRUE;
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IPrintPipelinePropertyBag ? static_cast<IPrintPipelinePropertyBag*>(this) : nullptr;
    }

private:
    std::mutex lock_;
    std::map<std::u16string, VARIANT> values_;
};

}  // namespace

void PartTracker::Note(IUnknown* part)
{
    std::string name = DescribePart(part);
    std::lock_guard<std::mutex> hold(lock_);
    last_ = std::move(name);
}

std::string PartTracker::Last() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return last_;
}

ComPtr<IXpsDocumentProvider> MakePackageProvider(std::unique_ptr<PackageWalker> walker, std::shared_ptr<FailureLog> log,
                                                 std::shared_ptr<PartTracker> tracker,
                                                 std::shared_ptr<std::atomic<bool>> drained,
                                                 std::shared_ptr<PartQueue> readAhead)
{
    return ComPtr<IXpsDocumentProvider>::Adopt(new PackageProvider(
        std::move(walker), std::move(log), std::move(tracker), std::move(drained), std::move(readAhead)));
}

ComPtr<IXpsDocumentProvider> MakeQueueProvider(std::shared_ptr<PartQueue> queue, std::shared_ptr<PartTracker> tracker)
{
    return ComPtr<IXpsDocumentProvider>::Adopt(new QueueProvider(std::move(queue), std::move(tracker)));
}

ComPtr<IXpsDocumentConsumer> MakeQueueConsumer(std::shared_ptr<PartQueue> queue, std::shared_ptr<FailureLog> log,
                                               std::shared_ptr<SenderState> state,
                                               std::shared_ptr<PartNameRegistry> names)
{
    return ComPtr<IXpsDocumentConsumer>::Adopt(
        new QueueConsumer(std::move(queue), std::move(log), std::move(state), std::move(names)));
}

ComPtr<IXpsDocumentConsumer> MakePackageConsumer(std::unique_ptr<PackageWriter> writer, std::shared_ptr<FailureLog> log,
                                                 std::shared_ptr<SenderState> state,
                                                 std::shared_ptr<PartNameRegistry> names, std::function<void()> onPage,
                                                 std::shared_ptr<PartQueue> writeBehind)
{
    return ComPtr<IXpsDocumentConsumer>::Adopt(new PackageConsumer(std::move(writer), std::move(log), std::move(state),
                                                                   std::move(names), std::move(onPage),
                                                                   std::move(writeBehind)));
}

ComPtr<IInterFilterCommunicator> MakeCommunicator(ComPtr<IUnknown> reader, ComPtr<IUnknown> writer)
{
    return ComPtr<IInterFilterCommunicator>::Adopt(new Communicator(std::move(reader), std::move(writer)));
}

ComPtr<IPrintPipelinePropertyBag> MakePropertyBag()
{
    return ComPtr<IPrintPipelinePropertyBag>::Adopt(new PropertyBag());
}

}  // namespace tav::host
