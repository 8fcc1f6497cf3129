// The PrintTicket provider: merging and validation of PrintTickets,
// PrintCapabilities of the device under a ticket, and conversion of a ticket
// to a DEVMODE. A provider is opened for a printer; the printer's device
// description (see devices/) decides media, margins, duplex, resolutions and
// input bins.
#pragma once

#include "platform/bstr.h"
#include "platform/stream.h"
#include "platform/variant.h"

struct PrintTicketProvider;  // opaque
using HPTPROVIDER = PrintTicketProvider*;

enum EPrintTicketScope {
    kPTPageScope = 0,
    kPTDocumentScope = 1,
    kPTJobScope = 2,
};

enum EDefaultDevmodeType {
    kUserDefaultDevmode = 0,
    kPrinterDefaultDevmode = 1,
};

constexpr HRESULT S_PT_NO_CONFLICT = 0x00040001;
constexpr HRESULT S_PT_CONFLICT_RESOLVED = 0x00040002;
constexpr HRESULT E_PRINTTICKET_FORMAT = MakeHresult(0x80040001u);
constexpr HRESULT E_PRINTCAPABILITIES_FORMAT = MakeHresult(0x80040002u);
constexpr HRESULT E_DELTA_PRINTTICKET_FORMAT = MakeHresult(0x80040003u);
constexpr HRESULT E_PRINTDEVICECAPABILITIES_FORMAT = MakeHresult(0x80040004u);

struct DEVMODEW;  // declared in platform/devmode.h

// version must be 1. The printer name selects the device registered for it
// (PTRegisterPrinterDevice); unknown names use the built-in default device.
HRESULT PTOpenProvider(const WCHAR* printerName, DWORD version, HPTPROVIDER* provider);
HRESULT PTCloseProvider(HPTPROVIDER provider);

// Reads the base and delta tickets from their streams' current positions and
// writes the merged, validated ticket (UTF-8) to result. errorMessage
// (optional) gets a message on failure, freed by the caller with
// SysFreeString.
HRESULT PTMergeAndValidatePrintTicket(HPTPROVIDER provider, IStream* baseTicket, IStream* deltaTicket,
                                      EPrintTicketScope scope, IStream* result, BSTR* errorMessage);

// Writes the device's PrintCapabilities under the given ticket (null: the
// device's default ticket) to capabilities.
HRESULT PTGetPrintCapabilities(HPTPROVIDER provider, IStream* ticket, IStream* capabilities, BSTR* errorMessage);

// Fills a new DEVMODEW from the ticket; free it with PTReleaseMemory.
HRESULT PTConvertPrintTicketToDevMode(HPTPROVIDER provider, IStream* ticket, EDefaultDevmodeType baseType,
                                      EPrintTicketScope scope, ULONG* size, DEVMODEW** devmode, BSTR* errorMessage);
HRESULT PTReleaseMemory(void* buffer);

// Writes the device's default PrintTicket (what a user who changed nothing
// prints with: the pipeline's per-user ticket) to ticket, UTF-8.
HRESULT PTGetDefaultPrintTicket(HPTPROVIDER provider, IStream* ticket);

// A pipeline property the printer's device description gives (its Output
// section, devices/README.md): "OutputBitsPixel", "OutputPlanes",
// "PortraitRotation" and "LandscapeRotation" as VT_I4, "EncDllName64" and
// "QzmdFileName64" as VT_BSTR (the caller clears value). HRESULT_FROM_WIN32(ERROR_NOT_FOUND) when
// the description does not give it, E_INVALIDARG for any other name.
HRESULT PTGetDevicePipelineProperty(HPTPROVIDER provider, const WCHAR* name, VARIANT* value);

// Spooler side of the platform: which device description file a printer
// name stands for. Replaces an earlier registration of the name. The file is
// read when a provider is opened for the printer.
HRESULT PTRegisterPrinterDevice(const WCHAR* printerName, const char* deviceFile);
