// The asynchronous notification that asks the user's session to start the
// manual duplex program: a channel opened through the pipeline's print class
// object factory, and the request document sent on it in a data object.
#pragma once

#include <string_view>

#include "platform/async_notify.h"
#include "platform/comobject.h"
#include "platform/pipeline.h"

namespace tav::rip {

// The notification channel of the job for asynchronous print UI requests,
// per user and both ways; null when the factory gives no IPrintAsyncNotify
// for the printer or no channel.
ComPtr<IPrintAsyncNotifyChannel> OpenManualDuplexChannel(IPrintClassObjectFactory* factory, const WCHAR* printer,
                                                         ULONG jobId);

// Sends the request document (at most 1023 characters) on the channel.
HRESULT SendManualDuplexRequest(IPrintAsyncNotifyChannel* channel, std::u16string_view document);

// The data object that carries a request: a zero-filled 2048-byte buffer
// holding the document as UTF-16, of the asynchronous print UI request
// type. Its status is E_FAIL until the document is in it.
class ManualDuplexRequestData : public ComObject<IPrintAsyncNotifyDataObject> {
public:
    static constexpr ULONG kBufferSize = 2048;

    ManualDuplexRequestData();
    // Puts the document in; false when it does not fit with its terminator.
    bool Fill(std::u16string_view document);

    // The buffer, its size and its type, with a reference the caller gives
    // back with ReleaseData; the status while the object is incomplete,
    // E_INVALIDARG for a null argument.
    HRESULT AcquireData(BYTE** data, ULONG* size, GUID** type) override;
    HRESULT ReleaseData() override;

protected:
    void* InterfaceFor(REFIID riid) override;

private:
    BYTE buffer_[kBufferSize] = {};
    GUID type_ = kAsyncPrintUIRequestType;
    HRESULT status_ = E_FAIL;
};

}  // namespace tav::rip
