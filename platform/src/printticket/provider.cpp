// The PrintTicket provider API (platform/printticket.h) over device
// descriptions: opening a provider for a printer, merging and validating
// tickets, capabilities, DEVMODE conversion and the default ticket.
#include "platform/printticket.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <set>

#include "../core/stream_bytes.h"
#include "capabilities.h"
#include "device_catalog.h"
#include "devmode_conversion.h"
#include "platform/devmode.h"
#include "platform/wformat.h"
#include "ticket_document.h"
#include "ticket_merge.h"
#include "ticket_scope.h"
#include "ticket_settings.h"
#include "ticket_validation.h"

using namespace tav::printticket;
using tav::securexml::DocumentPtr;

struct PrintTicketProvider {
    std::shared_ptr<const DeviceDescription> device;
    std::u16string printerName;
};

namespace {

// Open handles, so that a stale or foreign handle is refused rather than
// used.
struct OpenProviders {
    std::mutex lock;
    std::set<HPTPROVIDER> handles;
};

OpenProviders& Providers()
{
    static OpenProviders providers;
    return providers;
}

bool IsOpen(HPTPROVIDER provider)
{
    OpenProviders& open = Providers();
    std::lock_guard<std::mutex> guard(open.lock);
    return open.handles.count(provider) != 0;
}

void ReportError(const Status& status, BSTR* errorMessage)
{
    if (errorMessage == nullptr || status.Succeeded() || status.message.empty()) return;
    std::u16string text = Utf8ToWide(status.message);
    *errorMessage = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

// Runs an API call body: clears the message first and turns exceptions
// into HRESULTs.
template <class Body>
HRESULT Guarded(BSTR* errorMessage, Body body)
{
    if (errorMessage != nullptr) *errorMessage = nullptr;
    try {
        Status status = body();
        ReportError(status, errorMessage);
        return status.code;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

bool ValidScope(EPrintTicketScope scope)
{
    return scope == kPTPageScope || scope == kPTDocumentScope || scope == kPTJobScope;
}

Status Validate(xmlDoc* ticket, const DeviceDescription& device, bool* changed)
{
    ValidationReport report;
    Status status = ValidateTicket(ticket, device, &report);
    *changed = report.Changed();
    return status;
}

// The device's default ticket with the given ticket (if any) merged over it
// and validated: what the device does for that ticket.
Status EffectiveTicket(const DeviceDescription& device, IStream* ticket, DocumentPtr* result)
{
    Status status = ParseTicket(device.defaultTicket, kTicketRole, result);
    if (status.Succeeded() && ticket != nullptr) {
        DocumentPtr given;
        status = ReadTicket(ticket, kTicketRole, &given);
        if (status.Succeeded()) status = MergeDelta(result->get(), given.get(), kTicketRole);
    }
    bool changed = false;
    if (status.Succeeded()) status = Validate(result->get(), device, &changed);
    return status;
}

Status WriteResult(IStream* stream, const std::string& bytes)
{
    HRESULT hr = tav::WriteStreamFully(stream, bytes);
    if (FAILED(hr)) return Status::Failure(hr, "The result could not be written to its stream.");
    return Status::Ok();
}

}  // namespace

HRESULT PTOpenProvider(const WCHAR* printerName, DWORD version, HPTPROVIDER* provider)
{
    if (provider == nullptr) return E_POINTER;
    *provider = nullptr;
    if (printerName == nullptr || version != 1) return E_INVALIDARG;
    return Guarded(nullptr, [&] {
        auto opened = std::make_unique<PrintTicketProvider>();
        opened->printerName = printerName;
        Status status = DeviceForPrinter(opened->printerName, &opened->device);
        if (!status.Succeeded()) return status;
        OpenProviders& open = Providers();
        std::lock_guard<std::mutex> guard(open.lock);
        open.handles.insert(opened.get());
        *provider = opened.release();
        return Status::Ok();
    });
}

HRESULT PTCloseProvider(HPTPROVIDER provider)
{
    OpenProviders& open = Providers();
    {
        std::lock_guard<std::mutex> guard(open.lock);
        if (open.handles.erase(provider) == 0) return E_HANDLE;
    }
    delete provider;
    return S_OK;
}

HRESULT PTMergeAndValidatePrintTicket(HPTPROVIDER provider, IStream* baseTicket, IStream* deltaTicket,
                                      EPrintTicketScope scope, IStream* result, BSTR* errorMessage)
{
    return Guarded(errorMessage, [&] {
        if (!IsOpen(provider)) return Status::Failure(E_HANDLE, "The provider handle is not open.");
        if (baseTicket == nullptr || result == nullptr) return Status::Failure(E_POINTER, "A stream is missing.");
        if (!ValidScope(scope)) return Status::Failure(E_INVALIDARG, "The scope is unknown.");
        DocumentPtr merged;
        Status status = ReadTicket(baseTicket, kBaseTicketRole, &merged);
        if (status.Succeeded() && deltaTicket != nullptr) {
            DocumentPtr delta;
            status = ReadTicket(deltaTicket, kDeltaTicketRole, &delta);
            if (status.Succeeded()) status = MergeDelta(merged.get(), delta.get(), kDeltaTicketRole);
        }
        if (!status.Succeeded()) return status;
        ApplyScope(merged.get(), scope);
        bool changed = false;
        status = Validate(merged.get(), *provider->device, &changed);
        if (!status.Succeeded()) return status;
        status = WriteResult(result, tav::securexml::Serialize(merged.get()));
        if (!status.Succeeded()) return status;
        return Status{changed ? S_PT_CONFLICT_RESOLVED : S_PT_NO_CONFLICT, {}};
    });
}

HRESULT PTGetPrintCapabilities(HPTPROVIDER provider, IStream* ticket, IStream* capabilities, BSTR* errorMessage)
{
    return Guarded(errorMessage, [&] {
        if (!IsOpen(provider)) return Status::Failure(E_HANDLE, "The provider handle is not open.");
        if (capabilities == nullptr) return Status::Failure(E_POINTER, "The capabilities stream is missing.");
        const DeviceDescription& device = *provider->device;
        DocumentPtr effective;
        Status status = EffectiveTicket(device, ticket, &effective);
        if (!status.Succeeded()) return status;
        PageSetup page = ReadPageSetup(xmlDocGetRootElement(effective.get()), device);
        return WriteResult(capabilities, WritePrintCapabilities(device, page));
    });
}

HRESULT PTConvertPrintTicketToDevMode(HPTPROVIDER provider, IStream* ticket, EDefaultDevmodeType baseType,
                                      EPrintTicketScope scope, ULONG* size, DEVMODEW** devmode, BSTR* errorMessage)
{
    if (size != nullptr) *size = 0;
    if (devmode != nullptr) *devmode = nullptr;
    return Guarded(errorMessage, [&] {
        if (!IsOpen(provider)) return Status::Failure(E_HANDLE, "The provider handle is not open.");
        if (size == nullptr || devmode == nullptr) return Status::Failure(E_POINTER, "An out argument is missing.");
        if (!ValidScope(scope) || (baseType != kUserDefaultDevmode && baseType != kPrinterDefaultDevmode))
            return Status::Failure(E_INVALIDARG, "The scope or the default DEVMODE type is unknown.");
        // Both kinds of default are the device's default ticket: the platform
        // keeps no per-user DEVMODE.
        const DeviceDescription& device = *provider->device;
        DocumentPtr effective;
        Status status = EffectiveTicket(device, ticket, &effective);
        if (!status.Succeeded()) return status;
        ApplyScope(effective.get(), scope);
        DeviceSettings settings = ReadDeviceSettings(xmlDocGetRootElement(effective.get()), device);
        auto* converted = static_cast<DEVMODE_WITH_EXTRA*>(std::malloc(sizeof(DEVMODE_WITH_EXTRA)));
        if (converted == nullptr) throw std::bad_alloc();
        *converted = ConvertToDevMode(settings, provider->printerName);
        *devmode = &converted->publicPart;
        *size = sizeof(DEVMODE_WITH_EXTRA);
        return Status::Ok();
    });
}

HRESULT PTReleaseMemory(void* buffer)
{
    std::free(buffer);
    return S_OK;
}

HRESULT PTGetDefaultPrintTicket(HPTPROVIDER provider, IStream* ticket)
{
    return Guarded(nullptr, [&] {
        if (!IsOpen(provider)) return Status::Failure(E_HANDLE, "The provider handle is not open.");
        if (ticket == nullptr) return Status::Failure(E_POINTER, "The ticket stream is missing.");
        return WriteResult(ticket, provider->device->defaultTicket);
    });
}

HRESULT PTGetDevicePipelineProperty(HPTPROVIDER provider, const WCHAR* name, VARIANT* value)
{
    if (!IsOpen(provider)) return E_HANDLE;
    if (name == nullptr || value == nullptr) return E_POINTER;
    VariantInit(value);
    const DeviceOutput& output = provider->device->output;
    const std::pair<const char16_t*, const std::optional<int64_t>*> numbers[] = {
        {u"OutputBitsPixel", &output.bitsPerPixel},
        {u"OutputPlanes", &output.planes},
        {u"PortraitRotation", &output.portraitRotation},
        {u"LandscapeRotation", &output.landscapeRotation},
    };
    std::u16string_view wanted(name);
    for (const auto& [known, number] : numbers) {
        if (wanted != known) continue;
        if (!*number) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
        value->vt = VT_I4;
        value->lVal = static_cast<LONG>(**number);
        return S_OK;
    }
    const std::optional<std::string>* file = wanted == u"EncDllName64"     ? &output.encoder
                                             : wanted == u"QzmdFileName64" ? &output.manualDuplexProgram
                                                                           : nullptr;
    if (file == nullptr) return E_INVALIDARG;
    if (!*file) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    std::u16string fileName = Utf8ToWide(**file);
    BSTR text = SysAllocStringLen(fileName.data(), static_cast<UINT>(fileName.size()));
    if (text == nullptr) return E_OUTOFMEMORY;
    value->vt = VT_BSTR;
    value->bstrVal = text;
    return S_OK;
}

HRESULT PTRegisterPrinterDevice(const WCHAR* printerName, const char* deviceFile)
{
    if (printerName == nullptr || *printerName == 0) return E_INVALIDARG;
    return Guarded(nullptr, [&] {
        RegisterPrinterDevice(printerName, deviceFile != nullptr ? deviceFile : "");
        return Status::Ok();
    });
}
