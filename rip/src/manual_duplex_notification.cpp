#include "manual_duplex_notification.h"

#include <cstring>

namespace tav::rip {
namespace {

// The answers of the user's session are not needed: the request is all the
// job says.
class SilentCallback : public ComObject<IPrintAsyncNotifyCallback> {
public:
    HRESULT OnEventNotify(IPrintAsyncNotifyChannel*, IPrintAsyncNotifyDataObject*) override { return S_OK; }
    HRESULT ChannelClosed(IPrintAsyncNotifyChannel*, IPrintAsyncNotifyDataObject*) override { return S_OK; }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IPrintAsyncNotifyCallback ? static_cast<IPrintAsyncNotifyCallback*>(this) : nullptr;
    }
};

}  // namespace

ComPtr<IPrintAsyncNotifyChannel> OpenManualDuplexChannel(IPrintClassObjectFactory* factory, const WCHAR* printer,
                                                         ULONG jobId)
{
    ComPtr<IPrintAsyncNotifyChannel> channel;
    if (factory == nullptr) return channel;
    ComPtr<IPrintAsyncNotify> notify;
    if (FAILED(factory->GetPrintClassObject(printer, IID_IPrintAsyncNotify, notify.OutVoid())) || !notify)
        return channel;
    ComPtr<IPrintAsyncNotifyCallback> callback = ComPtr<IPrintAsyncNotifyCallback>::Adopt(new SilentCallback());
    GUID type = kAsyncPrintUIRequestType;
    if (FAILED(notify->CreatePrintAsyncNotifyChannel(jobId, &type, kPerUser, kBiDirectional, callback.Get(),
                                                     channel.Out())))
        channel.Reset();
    return channel;
}

HRESULT SendManualDuplexRequest(IPrintAsyncNotifyChannel* channel, std::u16string_view document)
{
    if (channel == nullptr) return E_POINTER;
    ComPtr<ManualDuplexRequestData> data = ComPtr<ManualDuplexRequestData>::Adopt(new ManualDuplexRequestData());
    if (!data->Fill(document)) return E_INVALIDARG;
    return channel->SendNotification(data.Get());
}

ManualDuplexRequestData::ManualDuplexRequestData() = default;

bool ManualDuplexRequestData::Fill(std::u16string_view document)
{
    if ((document.size() + 1) * sizeof(char16_t) > kBufferSize) return false;
    std::memset(buffer_, 0, sizeof buffer_);
    std::memcpy(buffer_, document.data(), document.size() * sizeof(char16_t));
    status_ = S_OK;
    return true;
}

HRESULT ManualDuplexRequestData::AcquireData(BYTE** data, ULONG* size, GUID** type)
{
    if (FAILED(status_)) return status_;
    if (data == nullptr || size == nullptr || type == nullptr) return E_INVALIDARG;
    AddRef();
    *data = buffer_;
    *size = kBufferSize;
    *type = &type_;
    return S_OK;
}

HRESULT ManualDuplexRequestData::ReleaseData()
{
    HRESULT status = status_;
    Release();
    return status;
}

void* ManualDuplexRequestData::InterfaceFor(REFIID riid)
{
    return riid == IID_IPrintAsyncNotifyDataObject ? static_cast<IPrintAsyncNotifyDataObject*>(this) : nullptr;
}

}  // namespace tav::rip
