#include "filtercore/pipeline_filter_core.h"

#include "filtercore/errors.h"
#include "filtercore/failure_note.h"
#include "filtercore/private_keywords.h"

namespace {

// Reads one property into a VARIANT that is cleared again on every path.
class Property {
public:
    Property(IPrintPipelinePropertyBag* bag, const WCHAR* name)
    {
        VariantInit(&value);
        result = bag->GetProperty(name, &value);
    }
    ~Property() { VariantClear(&value); }
    Property(const Property&) = delete;
    Property& operator=(const Property&) = delete;

    VARIANT value;
    HRESULT result;
};

}  // namespace

PipelineFilterCore::PipelineFilterCore() : ComObjectBase(IID_IPrintPipelineFilter)
{
    privateNamespace = SysAllocString(kPrivateKeywordsNamespace);
    if (privateNamespace == nullptr) throw CXDException(E_OUTOFMEMORY);
}

PipelineFilterCore::~PipelineFilterCore()
{
    ReportFilterFinished();
    SysFreeString(printerName);
    printerName = nullptr;
    classObjectFactory.Reset();
    SysFreeString(privateNamespace);
    privateNamespace = nullptr;
    propertyBag.Reset();
    control.Reset();
    communicator.Reset();
}

HRESULT PipelineFilterCore::InitializeFilter(IInterFilterCommunicator* newCommunicator,
                                             IPrintPipelinePropertyBag* newPropertyBag,
                                             IPrintPipelineManagerControl* newControl)
{
    if (newCommunicator == nullptr || newPropertyBag == nullptr || newControl == nullptr) {
        if (control) control->RequestShutdown(E_POINTER, nullptr);
        return E_POINTER;
    }
    communicator = ComPtr<IInterFilterCommunicator>::Share(newCommunicator);
    propertyBag = ComPtr<IPrintPipelinePropertyBag>::Share(newPropertyBag);
    control = ComPtr<IPrintPipelineManagerControl>::Share(newControl);

    ReadClassObjectFactory();
    HRESULT printerNameResult = ReadPrinterName();
    ReadJobId();
    stopped = 0;
    return printerNameResult;
}

void PipelineFilterCore::ReadClassObjectFactory()
{
    Property factory(propertyBag.Get(), u"PrintClassFactory");
    if (FAILED(factory.result) || factory.value.vt != VT_UNKNOWN || factory.value.punkVal == nullptr) return;
    ComPtr<IPrintClassObjectFactory> found;
    if (SUCCEEDED(factory.value.punkVal->QueryInterface(IID_IPrintClassObjectFactory, found.OutVoid())))
        classObjectFactory = found;
}

HRESULT PipelineFilterCore::ReadPrinterName()
{
    Property name(propertyBag.Get(), u"PrinterName");
    if (FAILED(name.result)) return name.result;
    // A value of another type would be read as a BSTR it is not.
    if (name.value.vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
    BSTR copy = SysAllocStringLen(name.value.bstrVal, SysStringLen(name.value.bstrVal));
    if (copy == nullptr) return E_OUTOFMEMORY;
    SysFreeString(printerName);
    printerName = copy;
    return name.result;
}

void PipelineFilterCore::ReadJobId()
{
    Property id(propertyBag.Get(), u"PrintJobId");
    if (FAILED(id.result)) return;
    switch (id.value.vt) {
    case VT_UI4:
    case VT_UINT: jobId = id.value.ulVal; break;
    case VT_I4:
    case VT_INT: jobId = static_cast<ULONG>(id.value.lVal); break;
    default: break;
    }
}

HRESULT PipelineFilterCore::ShutdownOperation()
{
    ReportFilterFinished();
    return S_OK;
}

void PipelineFilterCore::ReportFilterFinished()
{
    // The exchange makes the report happen once even when the part loop's
    // end and ShutdownOperation race.
    if (control && stopped.exchange(1) == 0) control->FilterFinished();
}

HRESULT PipelineFilterCore::SetupPerUserTicket()
{
    if (!propertyBag) return E_UNEXPECTED;
    Property perUserTicket(propertyBag.Get(), u"PerUserPrintTicket");
    if (FAILED(perUserTicket.result)) return perUserTicket.result;
    Property name(propertyBag.Get(), u"PrinterName");
    if (FAILED(name.result)) return name.result;
    // Values of another type would be used as objects they are not.
    if (perUserTicket.value.vt != VT_UNKNOWN || name.value.vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
    if (perUserTicket.value.punkVal == nullptr) return E_POINTER;

    ComPtr<IPrintReadStreamFactory> factory;
    ComPtr<IPrintReadStream> stream;
    HRESULT hr = perUserTicket.value.punkVal->QueryInterface(IID_IPrintReadStreamFactory, factory.OutVoid());
    if (SUCCEEDED(hr)) hr = factory->GetStream(stream.Out());
    if (SUCCEEDED(hr)) hr = ticketManager.Initialize(stream.Get(), name.value.bstrVal);
    return NoteStepFailureOf(hr, static_cast<IPartPrintTicket*>(nullptr),
                             u"the per-user PrintTicket (PerUserPrintTicket) cannot be used");
}
