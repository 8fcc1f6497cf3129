#include "job/ticket_provider.h"

#include "chain/filter_chain.h"
#include "platform/printticket.h"
#include "platform/wformat.h"

namespace tav::host {
namespace {

class Provider {
public:
    explicit Provider(const std::string& printerName)
    {
        std::u16string name = Utf8ToWide(printerName);
        HRESULT result = PTOpenProvider(name.c_str(), 1, &handle_);
        if (result == E_PRINTDEVICECAPABILITIES_FORMAT) {
            throw TicketError("not a valid device description (devices/README.md describes the format; " +
                              HresultText(result) + ")");
        }
        if (FAILED(result)) {
            throw TicketError("cannot open the PrintTicket provider for printer \"" + printerName + "\" (" +
                              HresultText(result) + ")");
        }
    }
    ~Provider() { PTCloseProvider(handle_); }
    HPTPROVIDER Get() const { return handle_; }

private:
    HPTPROVIDER handle_ = nullptr;
};

std::string StreamBytes(IStream* stream)
{
    const BYTE* bytes = nullptr;
    size_t count = 0;
    if (FAILED(GetMemoryStreamBytes(stream, &bytes, &count))) throw TicketError("cannot read a ticket stream");
    return std::string(reinterpret_cast<const char*>(bytes), count);
}

ComPtr<IStream> BytesStream(const std::string& bytes)
{
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnBytes(bytes.data(), bytes.size(), stream.Out()))) {
        throw TicketError("cannot make a ticket stream");
    }
    return stream;
}

ComPtr<IStream> EmptyStream()
{
    ComPtr<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Out()))) throw TicketError("cannot make a ticket stream");
    return stream;
}

}  // namespace

std::string DeviceDefaultTicket(const std::string& printerName)
{
    Provider provider(printerName);
    ComPtr<IStream> ticket = EmptyStream();
    HRESULT result = PTGetDefaultPrintTicket(provider.Get(), ticket.Get());
    if (FAILED(result)) {
        throw TicketError("the device of printer \"" + printerName + "\" gives no default ticket (" +
                          HresultText(result) + ")");
    }
    return StreamBytes(ticket.Get());
}

std::string MergeJobTicket(const std::string& printerName, const std::string& base, const std::string& delta)
{
    Provider provider(printerName);
    ComPtr<IStream> result = EmptyStream();
    BSTR message = nullptr;
    HRESULT status = PTMergeAndValidatePrintTicket(provider.Get(), BytesStream(base).Get(), BytesStream(delta).Get(),
                                                   kPTJobScope, result.Get(), &message);
    std::string text = WideToUtf8(message);
    SysFreeString(message);
    if (FAILED(status)) {
        std::string reason =
            "the job ticket cannot be merged (" + HresultText(status) + ")" + (text.empty() ? "" : ": " + text);
        if (status == E_PRINTTICKET_FORMAT) throw BaseTicketError(reason);
        throw TicketError(reason);
    }
    return StreamBytes(result.Get());
}

void RegisterDevice(const std::string& printerName, const std::string& deviceFile)
{
    std::u16string name = Utf8ToWide(printerName);
    HRESULT result = PTRegisterPrinterDevice(name.c_str(), deviceFile.c_str());
    if (FAILED(result)) {
        throw TicketError("cannot use the device file " + deviceFile + " (" + HresultText(result) + ")");
    }
}

}  // namespace tav::host
