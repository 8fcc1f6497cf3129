// The test filter module: small filters written straight against the
// pipeline interfaces, to drive the host without the product's filters.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "modules/test_filters.h"
#include "platform/comobject.h"
#include "platform/library.h"
#include "platform/pipeline.h"
#include "platform/spooler.h"
#include "platform/wformat.h"

namespace {

enum class Behaviour { PassThrough, FailAtStart, FailLater, AddPage, DropPages, StopEarly, ReportSpooler, WriteStream };

const char* Tag(Behaviour behaviour)
{
    switch (behaviour) {
    case Behaviour::PassThrough: return "pass";
    case Behaviour::FailAtStart: return "failstart";
    case Behaviour::FailLater: return "faillater";
    case Behaviour::AddPage: return "addpage";
    case Behaviour::DropPages: return "droppages";
    case Behaviour::StopEarly: return "stopearly";
    case Behaviour::ReportSpooler: return "spooler";
    case Behaviour::WriteStream: return "stream";
    }
    return "?";
}

constexpr char kAddedPage[] =
    "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" Width=\"400\" Height=\"300\" xml:lang=\"en-US\">"
    "<Path Data=\"M 0,0 L 400,0 400,300 0,300 Z\" Fill=\"#FF00FF00\"/></FixedPage>";
constexpr char kAddedTicket[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><psf:PrintTicket version=\"1\" "
    "xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\"/>";

class TestFilter : public ComObject<IPrintPipelineFilter> {
public:
    explicit TestFilter(Behaviour behaviour) : behaviour_(behaviour) {}

    HRESULT InitializeFilter(IInterFilterCommunicator* communicator, IPrintPipelinePropertyBag* bag,
                             IPrintPipelineManagerControl* control) override
    {
        if (communicator == nullptr || bag == nullptr || control == nullptr) return E_POINTER;
        communicator_ = ComPtr<IInterFilterCommunicator>::Share(communicator);
        control_ = ComPtr<IPrintPipelineManagerControl>::Share(control);
        VARIANT value;
        VariantInit(&value);
        if (SUCCEEDED(bag->GetProperty(u"TestLog", &value)) && value.vt == VT_BSTR)
            logPath_ = WideToUtf8(value.bstrVal);
        VariantClear(&value);
        bag_ = ComPtr<IPrintPipelinePropertyBag>::Share(bag);
        return S_OK;
    }

    HRESULT ShutdownOperation() override
    {
        Log("shutdown");
        Finish();
        return S_OK;
    }

    HRESULT StartOperation() override
    {
        Log("started");
        HRESULT result = Run();
        if (FAILED(result) && !stopped_) control_->RequestShutdown(result, nullptr);
        if (stopped_) result = S_OK;
        Log("ended " + std::to_string(result));
        Finish();
        return result;
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IPrintPipelineFilter ? static_cast<IPrintPipelineFilter*>(this) : nullptr;
    }

private:
    HRESULT Run()
    {
        if (behaviour_ == Behaviour::FailAtStart) return E_FAIL;
        if (behaviour_ == Behaviour::ReportSpooler) ReportSpooler();
        if (behaviour_ == Behaviour::WriteStream) return WriteStream();
        HRESULT result = communicator_->RequestReader(provider_.OutVoid());
        if (SUCCEEDED(result)) result = communicator_->RequestWriter(consumer_.OutVoid());
        if (FAILED(result)) return result;
        for (int taken = 0;; ++taken) {
            if (behaviour_ == Behaviour::StopEarly && taken == 2) break;
            ComPtr<IUnknown> part;
            result = provider_->GetXpsPart(part.Out());
            if (FAILED(result) || !part || stopped_) break;
            if (behaviour_ == Behaviour::FailLater) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                result = E_FAIL;
                break;
            }
            result = Forward(part.Get());
            if (FAILED(result)) break;
        }
        if (SUCCEEDED(result) && !stopped_ && behaviour_ == Behaviour::AddPage) result = AddPage();
        consumer_->CloseSender();
        return result;
    }

    HRESULT Forward(IUnknown* part)
    {
        ComPtr<IXpsDocument> xps;
        ComPtr<IFixedDocumentSequence> sequence;
        ComPtr<IFixedDocument> document;
        ComPtr<IFixedPage> page;
        if (SUCCEEDED(part->QueryInterface(IID_IXpsDocument, xps.OutVoid())))
            return consumer_->SendXpsDocument(xps.Get());
        if (SUCCEEDED(part->QueryInterface(IID_IFixedDocumentSequence, sequence.OutVoid()))) {
            return consumer_->SendFixedDocumentSequence(sequence.Get());
        }
        if (SUCCEEDED(part->QueryInterface(IID_IFixedDocument, document.OutVoid()))) {
            return consumer_->SendFixedDocument(document.Get());
        }
        if (SUCCEEDED(part->QueryInterface(IID_IFixedPage, page.OutVoid()))) {
            if (behaviour_ == Behaviour::DropPages) return S_OK;
            if (behaviour_ == Behaviour::AddPage) {
                HRESULT result = RewritePage(page.Get());
                if (FAILED(result)) return result;
                if (!firstPage_) firstPage_ = page;
            }
            return consumer_->SendFixedPage(page.Get());
        }
        return consumer_->SendXpsUnknown(part);
    }

    HRESULT WriteStream()
    {
        ComPtr<IPrintWriteStream> stream;
        HRESULT result = communicator_->RequestReader(provider_.OutVoid());
        if (SUCCEEDED(result)) result = communicator_->RequestWriter(stream.OutVoid());
        if (FAILED(result)) return result;
        VARIANT value;
        VariantInit(&value);
        ComPtr<IPrintPipelineProgressReport> report;
        if (SUCCEEDED(bag_->GetProperty(u"ProgressReport", &value)) && value.vt == VT_UNKNOWN)
            value.punkVal->QueryInterface(IID_IPrintPipelineProgressReport, report.OutVoid());
        VariantClear(&value);
        for (int pages = 1; SUCCEEDED(result) && !stopped_;) {
            ComPtr<IUnknown> part;
            result = provider_->GetXpsPart(part.Out());
            if (FAILED(result) || !part) break;
            ComPtr<IFixedPage> page;
            if (FAILED(part->QueryInterface(IID_IFixedPage, page.OutVoid()))) continue;
            std::string line = "page " + std::to_string(pages++) + "\n";
            ULONG written = 0;
            result = stream->WriteBytes(line.data(), static_cast<ULONG>(line.size()), &written);
            if (SUCCEEDED(result) && report) result = report->ReportProgress(XpsJob_FixedPageAdded);
        }
        stream->Close();
        return result;
    }

    // Copies the page's markup into its own write stream in small blocks.
    static HRESULT RewritePage(IFixedPage* page)
    {
        ComPtr<IPrintReadStream> in;
        ComPtr<IPrintWriteStream> out;
        HRESULT result = page->GetStream(in.Out());
        if (SUCCEEDED(result)) result = page->GetWriteStream(out.Out());
        if (FAILED(result)) return result;
        char block[1000];
        for (;;) {
            ULONG got = 0;
            BOOL end = FALSE;
            result = in->ReadBytes(block, sizeof block, &got, &end);
            if (FAILED(result) || got == 0) break;
            ULONG written = 0;
            result = out->WriteBytes(block, got, &written);
            if (FAILED(result)) break;
        }
        out->Close();
        return result;
    }

    static HRESULT WriteAll(IPrintWriteStream* stream, const char* text)
    {
        ULONG written = 0;
        HRESULT result = stream->WriteBytes(text, static_cast<ULONG>(std::char_traits<char>::length(text)), &written);
        stream->Close();
        return result;
    }

    HRESULT AddPage()
    {
        ComPtr<IFixedPage> page;
        ComPtr<IPrintWriteStream> stream;
        HRESULT result = consumer_->GetNewEmptyPart(TEST_ADDED_PAGE_NAME, IID_IFixedPage, page.OutVoid(), stream.Out());
        if (FAILED(result)) return result;
        result = WriteAll(stream.Get(), kAddedPage);
        if (FAILED(result)) return result;
        ComPtr<IPartPrintTicket> ticket;
        result =
            consumer_->GetNewEmptyPart(TEST_ADDED_TICKET_NAME, IID_IPartPrintTicket, ticket.OutVoid(), stream.Out());
        if (FAILED(result)) return result;
        result = WriteAll(stream.Get(), kAddedTicket);
        if (SUCCEEDED(result)) result = page->SetPrintTicket(ticket.Get());
        if (FAILED(result)) return result;
        if (firstPage_) {
            ComPtr<IXpsPartIterator> resources;
            result = firstPage_->GetXpsPartIterator(resources.Out());
            if (FAILED(result)) return result;
            for (resources->Reset(); !resources->IsDone(); resources->Next()) {
                BSTR uri = nullptr;
                ComPtr<IUnknown> resource;
                result = resources->Current(&uri, resource.Out());
                SysFreeString(uri);
                if (SUCCEEDED(result)) result = page->SetPagePart(resource.Get());
                if (FAILED(result)) return result;
            }
        }
        return consumer_->SendFixedPage(page.Get());
    }

    std::string TextProperty(const char16_t* name)
    {
        VARIANT value;
        VariantInit(&value);
        std::string text;
        if (SUCCEEDED(bag_->GetProperty(name, &value)) && value.vt == VT_BSTR) text = WideToUtf8(value.bstrVal);
        VariantClear(&value);
        return text;
    }

    // Record buffers as a filter gets them: asked for the size, then filled.
    template <class Query>
    static std::string Record(Query query)
    {
        DWORD needed = 0;
        query(nullptr, 0, &needed);
        std::string buffer(needed, '\0');
        if (needed == 0 || !query(reinterpret_cast<BYTE*>(buffer.data()), needed, &needed)) return "";
        return buffer;
    }

    void ReportSpooler()
    {
        VARIANT handle, jobId;
        VariantInit(&handle);
        VariantInit(&jobId);
        bag_->GetProperty(u"PrinterHandle", &handle);
        bag_->GetProperty(u"PrintJobId", &jobId);
        HANDLE printer =
            handle.vt == VT_UI8 ? reinterpret_cast<HANDLE>(static_cast<uintptr_t>(handle.ullVal)) : nullptr;
        std::string job = Record([&](BYTE* buffer, DWORD size, DWORD* needed) {
            return GetJobW(printer, jobId.ulVal, 1, buffer, size, needed);
        });
        if (!job.empty()) {
            const auto* record = reinterpret_cast<const JOB_INFO_1W*>(job.data());
            char date[32];
            std::snprintf(date, sizeof date, "%04u-%02u-%02u", record->Submitted.wYear, record->Submitted.wMonth,
                          record->Submitted.wDay);
            Log("job " + WideToUtf8(record->pDocument) + "|" + WideToUtf8(record->pUserName) + "|" + date);
        }
        std::string driver = Record([&](BYTE* buffer, DWORD size, DWORD* needed) {
            return GetPrinterDriverW(printer, nullptr, 2, buffer, size, needed);
        });
        if (driver.empty()) return;
        std::string config = WideToUtf8(reinterpret_cast<const DRIVER_INFO_2W*>(driver.data())->pConfigFile);
        Log("config " + config);
        std::string ids = TextProperty(u"DataTimeID");
        size_t monthRun = ids.find(',', ids.find(',') + 1);
        std::string library = config.substr(0, config.rfind('/') + 1) + TextProperty(u"LangDllName64");
        if (HMODULE module = LoadLibraryW(Utf8ToWide(library).c_str())) {
            WCHAR name[200];
            UINT march = static_cast<UINT>(std::stoul(ids.substr(monthRun + 1))) + 2;
            if (LoadStringW(module, march, name, 200) > 0) Log("month " + WideToUtf8(name));
            FreeLibrary(module);
        }
    }

    void Finish()
    {
        if (!stopped_.exchange(true) && control_) control_->FilterFinished();
    }

    void Log(const std::string& what)
    {
        if (logPath_.empty()) return;
        std::string line = std::string(Tag(behaviour_)) + " " + what + "\n";
        if (FILE* file = std::fopen(logPath_.c_str(), "a")) {
            std::fputs(line.c_str(), file);
            std::fclose(file);
        }
    }

    Behaviour behaviour_;
    std::atomic<bool> stopped_{false};
    std::string logPath_;
    ComPtr<IInterFilterCommunicator> communicator_;
    ComPtr<IPrintPipelinePropertyBag> bag_;
    ComPtr<IPrintPipelineManagerControl> control_;
    ComPtr<IXpsDocumentProvider> provider_;
    ComPtr<IXpsDocumentConsumer> consumer_;
    ComPtr<IFixedPage> firstPage_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object)
{
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    Behaviour behaviour;
    if (clsid == CLSID_TestPassThrough) {
        behaviour = Behaviour::PassThrough;
    } else if (clsid == CLSID_TestFailAtStart) {
        behaviour = Behaviour::FailAtStart;
    } else if (clsid == CLSID_TestFailLater) {
        behaviour = Behaviour::FailLater;
    } else if (clsid == CLSID_TestAddPage) {
        behaviour = Behaviour::AddPage;
    } else if (clsid == CLSID_TestDropPages) {
        behaviour = Behaviour::DropPages;
    } else if (clsid == CLSID_TestStopEarly) {
        behaviour = Behaviour::StopEarly;
    } else if (clsid == CLSID_TestReportSpooler) {
        behaviour = Behaviour::ReportSpooler;
    } else if (clsid == CLSID_TestWriteStream) {
        behaviour = Behaviour::WriteStream;
    } else {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    TestFilter* filter = new TestFilter(behaviour);
    HRESULT result = filter->QueryInterface(riid, object);
    filter->Release();
    return result;
}
