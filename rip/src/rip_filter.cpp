#include "rip_filter.h"

#include <algorithm>
#include <memory>
#include <new>

#include "filtercore/failure_note.h"
#include "filtercore/job_warning.h"
#include "filtercore/module.h"
#include "filtercore/page_geometry.h"
#include "filtercore/raised_result.h"
#include "manual_duplex_notification.h"
#include "manual_duplex_request.h"
#include "module_folder.h"
#include "open_record.h"
#include "platform/com.h"
#include "platform/devmode.h"
#include "platform/library.h"
#include "platform/printticket.h"
#include "platform/spooler.h"
#include "platform/wformat.h"
#include "resource_callbacks.h"

namespace {

constexpr HRESULT kNoTicket = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
constexpr size_t kMaxNameCharacters = 255;
constexpr size_t kMaxPathCharacters = 259;

// One property of the bag, cleared again on every path.
class Property {
public:
    Property(IPrintPipelinePropertyBag* bag, const WCHAR* name)
    {
        VariantInit(&value);
        result = bag == nullptr ? E_UNEXPECTED : bag->GetProperty(name, &value);
    }
    ~Property() { VariantClear(&value); }
    Property(const Property&) = delete;
    Property& operator=(const Property&) = delete;

    bool Integer(LONG* number) const
    {
        if (FAILED(result)) return false;
        switch (value.vt) {
        case VT_I4:
        case VT_INT: *number = value.lVal; return true;
        case VT_UI4:
        case VT_UINT: *number = static_cast<LONG>(value.ulVal); return true;
        default: return false;
        }
    }
    std::u16string Text() const
    {
        if (FAILED(result) || value.vt != VT_BSTR || value.bstrVal == nullptr) return u"";
        return std::u16string(value.bstrVal, SysStringLen(value.bstrVal));
    }

    VARIANT value;
    HRESULT result;
};

struct DevModeRelease {
    void operator()(DEVMODEW* devmode) const { PTReleaseMemory(devmode); }
};
using OwnedDevMode = std::unique_ptr<DEVMODEW, DevModeRelease>;

}  // namespace

RipFilter::RipFilter() { converterLoadResult = pcorectl.Load(); }

RipFilter::~RipFilter()
{
    // Whatever the converter still writes has nowhere to go now.
    writer.Reset();
    CloseConverter();
    provider.Reset();
}

HRESULT RipFilter::StartOperation()
{
    ClearFailureNote();
    if (FAILED(converterLoadResult)) {
        NoteFailure(converterLoadResult, u"",
                    pcorectl.Reason().empty() ? u"the converter's folder cannot be found" : pcorectl.Reason());
        if (control)
            control->RequestShutdown(converterLoadResult,
                                     ComPtr<IImgErrorInfo>::Adopt(MakeErrorInfo(converterLoadResult)).Get());
        ReportFilterFinished();
        return E_FAIL;
    }
    ReadDeviceParameters();
    // Without a channel a manual two-sided job leaves its file list for the
    // user; the job goes on.
    notificationChannel = tav::rip::OpenManualDuplexChannel(classObjectFactory.Get(), printerName, jobId);
    {
        Property report(propertyBag.Get(), u"ProgressReport");
        if (SUCCEEDED(report.result) && report.value.vt == VT_UNKNOWN && report.value.punkVal != nullptr)
            report.value.punkVal->QueryInterface(IID_IPrintPipelineProgressReport, progressReport.OutVoid());
    }

    ResetCounters();
    HRESULT comResult = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HRESULT result = comResult;
    if (SUCCEEDED(result)) result = ConnectProviderConsumer();
    if (SUCCEEDED(result)) result = SetupPerUserTicket();
    if (SUCCEEDED(result)) result = RunPartLoop();
    // A failed job leaves the converter's job open; what it writes while it
    // closes goes with the failed output.
    if (FAILED(result)) CloseConverter();
    // Closed whenever it was obtained, also after a failure.
    if (writer) writer->Close();
    progressReport.Reset();
    if (propertyBag) propertyBag->DeleteProperty(u"ProgressReport");

    // A job stopped by ShutdownOperation is cancelled, not failed; any
    // other failure goes to the pipeline with its reason.
    if (FAILED(result) && !stopped && control)
        control->RequestShutdown(result, ComPtr<IImgErrorInfo>::Adopt(MakeErrorInfo(result)).Get());
    if (SUCCEEDED(comResult)) CoUninitialize();
    ReportFilterFinished();
    return S_OK;
}

void RipFilter::ReadDeviceParameters()
{
    const std::pair<const WCHAR*, LONG*> parameters[] = {
        {u"OutputBitsPixel", &outputBitsPerPixel},
        {u"OutputPlanes", &outputPlanes},
        {u"PortraitRotation", &portraitRotation},
        {u"LandscapeRotation", &landscapeRotation},
    };
    for (const auto& [name, value] : parameters) Property(propertyBag.Get(), name).Integer(value);
}

void RipFilter::ReportProgress(EXpsJobConsumption update)
{
    if (progressReport) progressReport->ReportProgress(update);
}

HRESULT RipFilter::RunPartLoop()
{
    if (!provider) return E_UNEXPECTED;
    for (;;) {
        ComPtr<IUnknown> part;
        HRESULT hr = provider->GetXpsPart(part.Out());
        if (FAILED(hr)) return hr;
        // The job is complete, or it was stopped: a part fetched after the
        // stop is released unseen.
        if (!part || stopped) break;
        ClearFailureNote();
        hr = DispatchPart(part.Get());
        if (FAILED(hr)) return hr;
    }
    ClearFailureNote();
    return OnJobEnd();
}

HRESULT RipFilter::DispatchPart(IUnknown* part)
{
    return DispatchXpsPart(part, *this, [this](auto* typed) -> HRESULT {
        using Part = std::remove_pointer_t<decltype(typed)>;
        if constexpr (std::is_same_v<Part, IXpsDocument>) {
            return OnXpsDocument(typed);
        } else if constexpr (std::is_same_v<Part, IFixedDocumentSequence>) {
            ReportProgress(XpsJob_DocumentSequenceAdded);
            return OnFixedDocumentSequence(typed);
        } else if constexpr (std::is_same_v<Part, IFixedDocument>) {
            ReportProgress(XpsJob_FixedDocumentAdded);
            return OnFixedDocument(typed);
        } else if constexpr (std::is_same_v<Part, IFixedPage>) {
            ReportProgress(XpsJob_FixedPageAdded);
            return OnFixedPage(typed);
        } else {
            return S_OK;  // resources reach the converter through the callbacks
        }
    });
}

HRESULT RipFilter::OnXpsDocument(IXpsDocument* document) { return document == nullptr ? E_POINTER : S_OK; }

HRESULT RipFilter::OnFixedDocumentSequence(IFixedDocumentSequence* sequence)
{
    if (sequence == nullptr) return E_POINTER;
    HRESULT hr = ticketManager.OnJobTicket(sequence);
    if (FAILED(hr)) NoteFailureOf(hr, sequence, DescribeFailure(hr));
    return hr;
}

HRESULT RipFilter::OnFixedDocument(IFixedDocument* document)
{
    if (document == nullptr) return E_POINTER;
    HRESULT hr = ticketManager.OnDocumentTicket(document);
    if (FAILED(hr)) NoteFailureOf(hr, document, DescribeFailure(hr));
    return hr;
}

HRESULT RipFilter::OnFixedPage(IFixedPage* page)
{
    if (page == nullptr) return E_POINTER;
    HRESULT hr = ticketManager.OnPageTicket(page);
    IXMLDOMDocument2* ticket = nullptr;  // borrowed from the manager
    if (SUCCEEDED(hr)) hr = ticketManager.GetMergedTicket(TicketLevel::Page, &ticket);
    if (hr == kNoTicket) return S_FALSE;
    if (FAILED(hr)) {
        NoteFailureOf(hr, page, DescribeFailure(hr));
        return hr;
    }
    return CatchRaised([&] {
        refusalReason.clear();
        // The DEVMODE stays until the page is fed: the converter may read it
        // while it converts the page.
        ComPtr<IStream> ticketStream;
        HRESULT result = ticket->QueryInterface(IID_IStream, ticketStream.OutVoid());
        LARGE_INTEGER start{};
        if (SUCCEEDED(result)) result = ticketStream->Seek(start, STREAM_SEEK_SET, nullptr);
        ULONG size = 0;
        DEVMODEW* converted = nullptr;
        BSTR message = nullptr;
        if (SUCCEEDED(result))
            result = PTConvertPrintTicketToDevMode(ticketManager.ProviderHandle(), ticketStream.Get(),
                                                   kUserDefaultDevmode, kPTJobScope, &size, &converted, &message);
        SysFreeString(message);
        OwnedDevMode devmode(converted);
        if (FAILED(result)) {
            NoteFailureOf(result, page, u"its print ticket gives no DEVMODE: " + DescribeFailure(result));
            return result;
        }
        pcorectl.DevModeSet(devmode.get(), size, jobHandle);
        return FeedPage(page, ticket);
    });
}

PageDeviceValues RipFilter::PageDevice(IXMLDOMDocument2* ticket)
{
    PageDeviceValues values;
    PageOrientation orientation = PageOrientation::Portrait;
    // A ticket that cannot be read leaves Letter, Portrait and 600 dpi.
    CatchRaised([&] {
        PrintTicketDom dom(u"PrintTicket", privateNamespace, ticket);
        PageGeometry geometry;
        ReadPageGeometry(dom, &geometry);
        values.mediaWidth = geometry.width;
        values.mediaHeight = geometry.height;
        orientation = geometry.orientation;
        values.resolution = ReadPageResolution(dom);
        return S_OK;
    });
    values.rotationCode = RotationCode(orientation, portraitRotation, landscapeRotation);
    values.planesCode = PlanesCode(outputPlanes);
    values.planes = outputPlanes;
    values.bitsPerPixel = outputBitsPerPixel;
    return values;
}

HRESULT RipFilter::FeedPage(IFixedPage* page, IXMLDOMDocument2* ticket)
{
    ConverterSession session;
    session.jobHandle = jobHandle;
    session.converterContext = converterContext;
    session.font = &FetchFontData;
    session.colourProfile = &FetchColourProfileData;
    session.image = &FetchImageData;

    // The printer is opened by its whole name: a cut one names no printer.
    ComPtr<PageFeeder> feeder;
    std::u16string reason;
    HRESULT hr = PageFeeder::Create(page, TRUE, PageDevice(ticket), session, printerName, jobId, feeder.Out(), &reason);
    if (FAILED(hr)) {
        NoteFailureOf(hr, page, reason);
        return hr;
    }
    {
        ImageFailureScope imageFailures(this);
        hr = feeder->Feed(page);
    }
    if (FAILED(hr)) NoteConverterFailure(hr, page, feeder->Failure());
    // The page library is unloaded with its feeder, after every page.
    return hr;
}

void RipFilter::NoteConverterFailure(HRESULT result, IFixedPage* page, const std::u16string& fallback)
{
    const std::u16string& reason = !refusalReason.empty() ? refusalReason : fallback;
    NoteFailureOf(result, page, reason.empty() ? DescribeFailure(result) : reason);
}

HRESULT RipFilter::OnJobEnd()
{
    CloseConverter();
    SettleFileList();
    return S_OK;
}

void RipFilter::SettleFileList()
{
    if (fileList.Path().empty()) return;
    if (stopped) {
        fileList.Delete();
        return;
    }
    const std::u16string listPath = Utf8ToWide(fileList.Path());
    std::string failure;
    if (!notificationChannel) {
        failure = "the manual duplex program cannot be started: the pipeline offers no notification channel";
    } else {
        std::u16string program(
            CutText(Property(propertyBag.Get(), u"QzmdFileName64").Text(), tav::rip::kMaxManualDuplexArguments));
        std::optional<std::u16string> arguments = tav::rip::ManualDuplexArguments(program, listPath);
        std::optional<std::u16string> request =
            arguments ? tav::rip::ManualDuplexRequest(*arguments) : std::optional<std::u16string>();
        if (!request) {
            failure = "the manual duplex program cannot be started: its name and the file list's path are too long";
        } else if (HRESULT hr = tav::rip::SendManualDuplexRequest(notificationChannel.Get(), *request); FAILED(hr)) {
            failure = "the manual duplex program cannot be started: the request is refused (" +
                      WideToUtf8(DescribeFailure(hr)) + ")";
        }
    }
    // The list stays for the user to print the second pass by hand.
    if (!failure.empty()) Warning(failure + "; the second-pass files are listed in " + fileList.Path());
}

void RipFilter::CloseConverter()
{
    if (conversionHandle != 0) pcorectl.PrnCtrlXPS2SPDLClose(conversionHandle);
    conversionHandle = 0;
    converterContext = 0;
    if (jobHandle != 0) pcorectl.PrnCtrlClose(jobHandle);
    jobHandle = 0;
}

HRESULT RipFilter::ConnectProviderConsumer()
{
    provider.Reset();
    writer.Reset();
    if (!communicator) return E_PENDING;
    ComPtr<IUnknown> reader;
    ComPtr<IUnknown> output;
    HRESULT hr = communicator->RequestReader(reader.OutVoid());
    if (SUCCEEDED(hr)) hr = communicator->RequestWriter(output.OutVoid());
    if (FAILED(hr)) return hr;
    // Checked before the converter opens, so that what it writes at once
    // has somewhere to go.
    if (!reader || !output || FAILED(reader->QueryInterface(IID_IXpsDocumentProvider, provider.OutVoid())) ||
        FAILED(output->QueryInterface(IID_IPrintWriteStream, writer.OutVoid())) || !provider || !writer) {
        provider.Reset();
        writer.Reset();
        NoteFailure(E_FAIL, u"", u"the pipeline gives the rip filter no XPS provider or no output stream");
        return E_FAIL;
    }
    return OpenConverter();
}

HRESULT RipFilter::OpenConverter()
{
    return CatchRaised([&] {
        std::u16string printer(CutText(printerName == nullptr ? u"" : printerName, kMaxNameCharacters));
        std::u16string encoder = EncoderPath();
        OpenRecord record = MakeOpenRecord(printer, DocumentName(), jobId);
        records.Reset();
        refusalReason.clear();
        jobHandle = pcorectl.PrnCtrlOpen(u"driverout", 0, encoder.c_str(), &WriteCallback, this, record.data(),
                                         &CancelCallback);
        if (jobHandle != 0) conversionHandle = pcorectl.PrnCtrlXPS2SPDLOpen(&CancelCallback, jobHandle);
        if (conversionHandle != 0) converterContext = pcorectl.GetConvCntFromSPDLCnt(conversionHandle);
        if (converterContext != 0) return S_OK;
        NoteFailure(E_FAIL, u"", !refusalReason.empty() ? refusalReason : u"the converter refuses to open the job");
        return E_FAIL;
    });
}

std::u16string RipFilter::DocumentName() const
{
    if (printerName == nullptr) return u"";
    std::u16string name(printerName, SysStringLen(printerName));
    HANDLE printer = nullptr;
    if (!OpenPrinterW(name.data(), &printer, nullptr)) return u"";
    std::u16string document;
    DWORD needed = 0;
    if (!GetJobW(printer, jobId, 1, nullptr, 0, &needed) && GetLastError() == ERROR_INSUFFICIENT_BUFFER &&
        needed >= sizeof(JOB_INFO_1W)) {
        std::vector<BYTE> buffer(needed, 0);
        JOB_INFO_1W job{};
        if (GetJobW(printer, jobId, 1, buffer.data(), needed, &needed)) {
            std::copy_n(buffer.data(), sizeof job, reinterpret_cast<BYTE*>(&job));
            if (job.pDocument != nullptr) document = CutText(job.pDocument, kMaxNameCharacters);
        }
    }
    ClosePrinter(printer);
    return document;
}

std::u16string RipFilter::EncoderPath() const
{
    std::u16string name(CutText(Property(propertyBag.Get(), u"EncDllName64").Text(), kMaxPathCharacters));
    if (name.empty()) return u"";
    return std::u16string(CutText(OwnModuleFolder() + name, kMaxPathCharacters));
}

HRESULT RipFilter::WriteCallback(const BYTE* buffer, uint32_t count, void* context)
{
    auto* filter = static_cast<RipFilter*>(context);
    if (filter == nullptr) return E_POINTER;
    // Nothing may escape into the converter.
    try {
        return filter->records.Take(buffer, count);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

BOOL RipFilter::CancelCallback(BYTE* flag)
{
    if (flag != nullptr) *flag = 0;
    return 1;
}

HRESULT RipFilter::PrinterData(const BYTE* bytes, uint32_t count)
{
    if (!writer) return E_UNEXPECTED;
    ULONG written = 0;
    HRESULT hr = writer->WriteBytes(bytes, count, &written);
    if (SUCCEEDED(hr) && written != count) hr = STG_E_WRITEFAULT;
    return hr;
}

void RipFilter::FilePath(std::u16string path)
{
    std::string failure;
    if (!fileList.Add(path, &failure)) Warning(failure);
    secondPassFiles.push_back(std::move(path));
}

void RipFilter::Warning(std::string text)
{
    if (text.empty() || !warningsGiven.insert(text).second) return;
    ReportJobWarning(control.Get(), u"", Utf8ToWide(text));
}

void RipFilter::ImageFailed(std::string_view uri, std::string_view reason)
{
    std::string text = "the image " + std::string(uri) + " cannot be used: " + std::string(reason);
    if (!warningsGiven.insert(text).second) return;
    ReportJobWarning(control.Get(), u"", Utf8ToWide(text));
}

void RipFilter::RefusalReason(std::string text) { refusalReason = Utf8ToWide(text); }
