#include "testsupport/per_user_ticket.h"

#include "platform/printticket.h"

namespace testsupport {

ReadStreamFactory::ReadStreamFactory(std::string bytes) : content_(std::move(bytes)) {}

void* ReadStreamFactory::InterfaceFor(REFIID riid)
{
    return riid == IID_IPrintReadStreamFactory ? static_cast<IPrintReadStreamFactory*>(this) : nullptr;
}

HRESULT ReadStreamFactory::GetStream(IPrintReadStream** stream) { return OpenReadStream(content_, stream); }

std::string DefaultDeviceTicket()
{
    HPTPROVIDER provider = nullptr;
    if (FAILED(PTOpenProvider(u"tav test printer", 1, &provider))) return {};
    ComPtr<IStream> ticket;
    const BYTE* bytes = nullptr;
    size_t count = 0;
    std::string markup;
    if (SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, ticket.Out())) &&
        SUCCEEDED(PTGetDefaultPrintTicket(provider, ticket.Get())) &&
        SUCCEEDED(GetMemoryStreamBytes(ticket.Get(), &bytes, &count)))
        markup.assign(reinterpret_cast<const char*>(bytes), count);
    PTCloseProvider(provider);
    return markup;
}

void SetPerUserTicket(TestPropertyBag* bag, const std::string& ticket)
{
    auto factory = ComPtr<ReadStreamFactory>::Adopt(new ReadStreamFactory(ticket));
    bag->SetUnknown(u"PerUserPrintTicket", factory.Get());
}

}  // namespace testsupport
