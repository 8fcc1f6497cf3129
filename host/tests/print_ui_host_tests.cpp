// The host's print UI host: request documents read as the user's session
// reads them, module names mapped into the module folder, and requests
// that cannot be served reported instead of lost.
#include <gtest/gtest.h>

#include <cstring>

#include "job/print_ui_host.h"
#include "platform/async_notify.h"

namespace {

using tav::host::ModuleFileOf;
using tav::host::PrintUIHost;
using tav::host::PrintUIRequest;
using tav::host::ReadPrintUIRequest;

const std::u16string kRequest =
    u"<?xml version=\"1.0\" ?><asyncPrintUIRequest "
    u"xmlns=\"http://schemas.microsoft.com/2003/print/asyncui/v1/request\" "
    u"xmlns:myco=\"urn:x\"><v1><requestOpen><customUI dll=\"TAVRIP.DLL\" entrypoint=\"StartManualDuplex\" "
    u"bidi=\"false\">9 Duplex Me /t&amp;1/l.ini</customUI></requestOpen></v1></asyncPrintUIRequest>";

TEST(PrintUIHost, ReadsTheRequestedEntryPointAndItsArguments)
{
    std::string failure;
    std::optional<PrintUIRequest> request = ReadPrintUIRequest(kRequest, &failure);
    ASSERT_TRUE(request) << failure;
    EXPECT_EQ(*request, (PrintUIRequest{"TAVRIP.DLL", "StartManualDuplex", u"9 Duplex Me /t&1/l.ini"}));

    // Another namespace, a missing entry point, a DOCTYPE.
    for (const char16_t* refused :
         {u"<asyncPrintUIRequest xmlns=\"urn:other\"><v1><requestOpen><customUI dll=\"A.DLL\" entrypoint=\"E\"/>"
          u"</requestOpen></v1></asyncPrintUIRequest>",
          u"<asyncPrintUIRequest xmlns=\"http://schemas.microsoft.com/2003/print/asyncui/v1/request\"><v1>"
          u"<requestOpen><customUI dll=\"A.DLL\"/></requestOpen></v1></asyncPrintUIRequest>",
          u"<!DOCTYPE a [<!ENTITY e \"x\">]><a/>"}) {
        EXPECT_FALSE(ReadPrintUIRequest(refused, &failure)) << std::string(refused, refused + 30);
        EXPECT_FALSE(failure.empty());
    }

    EXPECT_EQ(ModuleFileOf("TAVRIP.DLL"), "libtavrip.so");
    EXPECT_EQ(ModuleFileOf("../x.dll"), std::nullopt);
    EXPECT_EQ(ModuleFileOf("tavrip.so"), std::nullopt);
}

// A request as a filter sends it.
class RequestData : public ComObject<IPrintAsyncNotifyDataObject> {
public:
    explicit RequestData(const std::u16string& document, GUID type) : type_(type)
    {
        std::memcpy(buffer_, document.data(), document.size() * 2);
    }
    HRESULT AcquireData(BYTE** data, ULONG* size, GUID** type) override
    {
        *data = buffer_;
        *size = sizeof buffer_;
        *type = &type_;
        return S_OK;
    }
    HRESULT ReleaseData() override { return S_OK; }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IPrintAsyncNotifyDataObject ? static_cast<IPrintAsyncNotifyDataObject*>(this) : nullptr;
    }

private:
    BYTE buffer_[2048] = {};
    GUID type_;
};

TEST(PrintUIHost, RequestsSentOnAChannelAreServedInOrderAndFailuresReported)
{
    auto host = std::make_shared<PrintUIHost>();
    ComPtr<IPrintClassObjectFactory> factory = tav::host::MakePrintClassFactory(host);
    ComPtr<IPrintAsyncNotify> notify;
    ASSERT_EQ(factory->GetPrintClassObject(u"tavprint", IID_IPrintAsyncNotify, notify.OutVoid()), S_OK);
    GUID type = kAsyncPrintUIRequestType;
    ComPtr<IPrintAsyncNotifyChannel> channel;
    ASSERT_EQ(notify->CreatePrintAsyncNotifyChannel(1, &type, kPerUser, kBiDirectional, nullptr, channel.Out()), S_OK);

    auto missing = kRequest;
    missing.replace(missing.find(u"TAVRIP.DLL"), 10, u"NOSUCH.DLL");
    auto entryless = kRequest;
    entryless.replace(entryless.find(u"StartManualDuplex"), 17, u"NoSuchEntryPoint1");
    for (const std::u16string& document : {missing, entryless}) {
        auto data = ComPtr<RequestData>::Adopt(new RequestData(document, kAsyncPrintUIRequestType));
        EXPECT_EQ(channel->SendNotification(data.Get()), S_OK);
    }
    // Data of another type is refused at once.
    auto other = ComPtr<RequestData>::Adopt(new RequestData(kRequest, IID_IPrintAsyncNotify));
    EXPECT_EQ(channel->SendNotification(other.Get()), E_INVALIDARG);

    std::vector<std::string> warnings = host->Serve();
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[0].find("libnosuch.so cannot be loaded"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[1].find("lacks the entry point NoSuchEntryPoint1"), std::string::npos) << warnings[1];
    // Each is served once.
    EXPECT_TRUE(host->Serve().empty());
}

}  // namespace
