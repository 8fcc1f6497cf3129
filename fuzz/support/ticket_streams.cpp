#include "ticket_streams.h"

#include <cstdlib>

#include "platform/bstr.h"
#include "platform/printticket.h"

namespace tav::fuzz {

ComPtr<IStream> BytesStream(std::string_view bytes)
{
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnBytes(bytes.data(), bytes.size(), stream.Out()))) std::abort();
    return stream;
}

ComPtr<IStream> EmptyStream()
{
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Out()))) std::abort();
    return stream;
}

std::string StreamBytes(IStream* stream)
{
    const BYTE* bytes = nullptr;
    size_t count = 0;
    if (FAILED(GetMemoryStreamBytes(stream, &bytes, &count))) std::abort();
    return std::string(reinterpret_cast<const char*>(bytes), count);
}

void UseMergedTicket(HPTPROVIDER provider, const std::string& ticket)
{
    BSTR message = nullptr;
    ComPtr<IStream> capabilities = EmptyStream();
    PTGetPrintCapabilities(provider, BytesStream(ticket).Get(), capabilities.Get(), &message);
    SysFreeString(message);
    message = nullptr;
    ULONG size = 0;
    DEVMODEW* devmode = nullptr;
    if (SUCCEEDED(PTConvertPrintTicketToDevMode(provider, BytesStream(ticket).Get(), kUserDefaultDevmode, kPTJobScope,
                                                &size, &devmode, &message)))
        PTReleaseMemory(devmode);
    SysFreeString(message);
}

}  // namespace tav::fuzz
