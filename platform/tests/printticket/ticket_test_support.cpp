#include "ticket_test_support.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/bstr.h"
#include "platform/wformat.h"

namespace tav::testing {

std::string Ticket(const std::string& body)
{
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<psf:PrintTicket version=\"1\" xmlns:psf=\"") +
           kFramework + "\" xmlns:psk=\"" + kKeywords +
           "\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
           "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:ns0000=\"" +
           kPrivate + "\">" + body + "</psf:PrintTicket>";
}

IStream* TextStream(const std::string& text)
{
    IStream* stream = nullptr;
    EXPECT_EQ(CreateStreamOnBytes(text.data(), text.size(), &stream), S_OK);
    return stream;
}

IStream* EmptyStream()
{
    IStream* stream = nullptr;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    return stream;
}

std::string StreamText(IStream* stream)
{
    const BYTE* bytes = nullptr;
    size_t count = 0;
    EXPECT_EQ(GetMemoryStreamBytes(stream, &bytes, &count), S_OK);
    return std::string(reinterpret_cast<const char*>(bytes), count);
}

Provider::Provider(const char16_t* printerName) { EXPECT_EQ(PTOpenProvider(printerName, 1, &handle_), S_OK); }

Provider::~Provider()
{
    if (handle_ != nullptr) {
        EXPECT_EQ(PTCloseProvider(handle_), S_OK);
    }
}

namespace {

std::string TakeMessage(BSTR message)
{
    std::string text = WideToUtf8(message);
    SysFreeString(message);
    return text;
}

}  // namespace

MergeOutcome Merge(HPTPROVIDER provider, const std::string& base, const std::string* delta, EPrintTicketScope scope)
{
    StreamPtr baseStream(TextStream(base));
    StreamPtr deltaStream(delta != nullptr ? TextStream(*delta) : nullptr);
    StreamPtr result(EmptyStream());
    BSTR message = nullptr;
    MergeOutcome outcome;
    outcome.hr =
        PTMergeAndValidatePrintTicket(provider, baseStream.get(), deltaStream.get(), scope, result.get(), &message);
    outcome.result = StreamText(result.get());
    outcome.message = TakeMessage(message);
    return outcome;
}

MergeOutcome Merge(HPTPROVIDER provider, const std::string& base, const std::string& delta, EPrintTicketScope scope)
{
    return Merge(provider, base, &delta, scope);
}

std::string Capabilities(HPTPROVIDER provider, const std::string& ticket)
{
    StreamPtr ticketStream(ticket.empty() ? nullptr : TextStream(ticket));
    StreamPtr result(EmptyStream());
    BSTR message = nullptr;
    HRESULT hr = PTGetPrintCapabilities(provider, ticketStream.get(), result.get(), &message);
    EXPECT_EQ(hr, S_OK) << TakeMessage(message);
    return StreamText(result.get());
}

std::string DefaultTicket(HPTPROVIDER provider)
{
    StreamPtr result(EmptyStream());
    EXPECT_EQ(PTGetDefaultPrintTicket(provider, result.get()), S_OK);
    return StreamText(result.get());
}

namespace {

// A folder of its own for the test process, removed when the process ends.
struct TemporaryFolder {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tav-printticket-tests-" + std::to_string(::getpid()));
    TemporaryFolder() { std::filesystem::create_directories(path); }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

}  // namespace

std::string WriteTemporaryFile(const std::string& name, const std::string& text)
{
    static const TemporaryFolder folder;
    std::filesystem::path path = folder.path / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

}  // namespace tav::testing
