#include "settings_test_support.h"

#include "filtercore/private_keywords.h"
#include "platform/printticket.h"
#include "platform/stream.h"
#include "testsupport/fixtures.h"
#include "testsupport/ticket_markup.h"

namespace settingstest {

namespace {

std::string Named(const std::string& element, const std::string& name, const std::string& content)
{
    return "<psf:" + element + " name=\"" + name + "\">" + content + "</psf:" + element + ">";
}

std::string Value(const std::string& value, const std::string& type)
{
    return "<psf:Value xsi:type=\"xsd:" + type + "\">" + value + "</psf:Value>";
}

std::string StreamText(IStream* stream)
{
    const BYTE* bytes = nullptr;
    size_t count = 0;
    EXPECT_EQ(GetMemoryStreamBytes(stream, &bytes, &count), S_OK);
    return std::string(reinterpret_cast<const char*>(bytes), count);
}

ComPtr<IStream> TextStream(const std::string& text)
{
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnBytes(text.data(), text.size(), stream.Out()), S_OK);
    return stream;
}

ComPtr<IStream> EmptyStream()
{
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Out()), S_OK);
    return stream;
}

// The provider of the built-in default device (no device is registered for
// this printer name).
class DefaultDevice {
public:
    DefaultDevice() { EXPECT_EQ(PTOpenProvider(u"settings test printer", 1, &provider_), S_OK); }
    ~DefaultDevice() { PTCloseProvider(provider_); }
    HPTPROVIDER Get() const { return provider_; }

private:
    HPTPROVIDER provider_ = nullptr;
};

}  // namespace

std::string Feature(const std::string& name, const std::string& content) { return Named("Feature", name, content); }

std::string Option(const std::string& name, const std::string& content)
{
    return name.empty() ? "<psf:Option>" + content + "</psf:Option>" : Named("Option", name, content);
}

std::string Scored(const std::string& name, const std::string& value, const std::string& type)
{
    return Named("ScoredProperty", name, Value(value, type));
}

std::string ScoredRef(const std::string& name, const std::string& parameter)
{
    return Named("ScoredProperty", name, "<psf:ParameterRef name=\"" + parameter + "\"/>");
}

std::string Property(const std::string& name, const std::string& value, const std::string& type)
{
    return Named("Property", name, Value(value, type));
}

std::string PropertyGroup(const std::string& name, const std::string& content)
{
    return Named("Property", name, content);
}

std::string ParameterInit(const std::string& name, const std::string& value, const std::string& type)
{
    return Named("ParameterInit", name, Value(value, type));
}

std::string MakeCapabilities(const std::string& body)
{
    using namespace testsupport;
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<psf:PrintCapabilities xmlns:psf=\"") +
           kFrameworkUri + "\" xmlns:psk=\"" + kKeywordsUri + "\" xmlns:xsi=\"" + kSchemaInstanceUri +
           "\" xmlns:xsd=\"" + kSchemaUri + "\" version=\"1\">" + body + "</psf:PrintCapabilities>";
}

PrintTicketDom& TicketTest::Wrap(const std::string& markup, const WCHAR* rootName)
{
    ticket.reset();
    document = tickettest::LoadDocument(markup);
    ticket = std::make_unique<PrintTicketDom>(rootName, kPrivateKeywordsNamespace, document.Get());
    return *ticket;
}

std::string TicketTest::Saved() { return tickettest::SavedMarkup(document.Get()); }

void TicketTest::TearDown()
{
    ticket.reset();
    document.Reset();
    ComTest::TearDown();
}

std::string Text(BSTR text) { return text == nullptr ? "(null)" : tickettest::Utf8(text); }

bool ReadFixtureTicket(const std::string& entry, std::string* markup)
{
    return testsupport::ReadFixtureEntry("xps/mb06.xps", entry, markup);
}

std::string MergedOverDeviceDefault(const std::string& delta)
{
    DefaultDevice device;
    ComPtr<IStream> base = EmptyStream();
    EXPECT_EQ(PTGetDefaultPrintTicket(device.Get(), base.Get()), S_OK);
    LARGE_INTEGER start{};
    EXPECT_EQ(base->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
    ComPtr<IStream> deltaStream = TextStream(delta);
    ComPtr<IStream> merged = EmptyStream();
    BSTR error = nullptr;
    HRESULT hr =
        PTMergeAndValidatePrintTicket(device.Get(), base.Get(), deltaStream.Get(), kPTJobScope, merged.Get(), &error);
    EXPECT_TRUE(SUCCEEDED(hr)) << Text(error);
    SysFreeString(error);
    return StreamText(merged.Get());
}

std::string DeviceCapabilities(const std::string& ticket)
{
    DefaultDevice device;
    ComPtr<IStream> ticketStream = TextStream(ticket);
    ComPtr<IStream> capabilities = EmptyStream();
    BSTR error = nullptr;
    EXPECT_EQ(PTGetPrintCapabilities(device.Get(), ticketStream.Get(), capabilities.Get(), &error), S_OK)
        << Text(error);
    SysFreeString(error);
    return StreamText(capabilities.Get());
}

}  // namespace settingstest
