// The device description reader, through the provider as a printer's
// description is used: the file is registered for a printer, a provider is
// opened on it (reading and checking the description), and a provider that
// opened gives its default ticket, capabilities and a DEVMODE.
#include "fuzz_support.h"
#include "platform/bstr.h"
#include "platform/printticket.h"
#include "ticket_streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tav::fuzz;
    static InputFile input(".xml");
    EnsureComApartment();
    input.Write(data, size);
    if (FAILED(PTRegisterPrinterDevice(u"fuzz device", input.Path().c_str()))) return 0;
    HPTPROVIDER provider = nullptr;
    if (FAILED(PTOpenProvider(u"fuzz device", 1, &provider))) return 0;
    ComPtr<IStream> ticket = EmptyStream();
    if (SUCCEEDED(PTGetDefaultPrintTicket(provider, ticket.Get())))
        UseMergedTicket(provider, StreamBytes(ticket.Get()));
    PTCloseProvider(provider);
    return 0;
}
