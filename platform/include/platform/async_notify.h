// Asynchronous print notifications: a filter opens a channel to the user's
// session through the IPrintAsyncNotify object the pipeline's print class
// object factory gives for the printer, and sends data objects on it. A
// notification of the type kAsyncPrintUIRequestType carries an asynchronous
// print UI request document; the host's print UI host serves it by calling
// the entry point the document names. Declarations only: the host
// implements the channel, the filter the data and callback objects.
#pragma once

#include "platform/bstr.h"
#include "platform/types.h"
#include "platform/unknown.h"

constexpr IID IID_IPrintAsyncNotify = {0x532818F7, 0x921B, 0x4FB2, {0xBF, 0xF8, 0x2F, 0x4F, 0xD5, 0x2E, 0xBE, 0xBF}};
constexpr IID IID_IPrintAsyncNotifyChannel = {
    0x4A5031B1, 0x1F3F, 0x4DB0, {0xA4, 0x62, 0x45, 0x30, 0xED, 0x8B, 0x04, 0x51}};
constexpr IID IID_IPrintAsyncNotifyDataObject = {
    0x77CF513E, 0x5D49, 0x4789, {0x9F, 0x30, 0xD0, 0x82, 0x2B, 0x33, 0x5C, 0x0D}};
constexpr IID IID_IPrintAsyncNotifyCallback = {
    0x7DEF34C1, 0x9D92, 0x4C99, {0xB3, 0xB3, 0xDB, 0x94, 0xA9, 0xD4, 0x19, 0x1B}};

// The notification type of an asynchronous print UI request.
constexpr GUID kAsyncPrintUIRequestType = {
    0xE5CA6F23, 0x8B43, 0x4A1D, {0x9C, 0x16, 0x2D, 0x62, 0x4B, 0x0C, 0x7E, 0x15}};

// The default namespace of an asynchronous print UI request document.
constexpr char16_t kAsyncPrintUIRequestNamespace[] = u"http://schemas.microsoft.com/2003/print/asyncui/v1/request";

enum PrintAsyncNotifyUserFilter { kPerUser = 0, kAllUsers = 1 };
enum PrintAsyncNotifyConversationStyle { kBiDirectional = 0, kUniDirectional = 1 };

struct IPrintAsyncNotifyDataObject : IUnknown {
    // The data, its size in bytes and its notification type; the object
    // stays alive until ReleaseData.
    virtual HRESULT AcquireData(BYTE** data, ULONG* size, GUID** type) = 0;
    virtual HRESULT ReleaseData() = 0;

protected:
    ~IPrintAsyncNotifyDataObject() = default;
};

struct IPrintAsyncNotifyChannel : IUnknown {
    virtual HRESULT SendNotification(IPrintAsyncNotifyDataObject* data) = 0;
    virtual HRESULT CloseChannel(IPrintAsyncNotifyDataObject* data) = 0;

protected:
    ~IPrintAsyncNotifyChannel() = default;
};

struct IPrintAsyncNotifyCallback : IUnknown {
    virtual HRESULT OnEventNotify(IPrintAsyncNotifyChannel* channel, IPrintAsyncNotifyDataObject* data) = 0;
    virtual HRESULT ChannelClosed(IPrintAsyncNotifyChannel* channel, IPrintAsyncNotifyDataObject* data) = 0;

protected:
    ~IPrintAsyncNotifyCallback() = default;
};

struct IPrintAsyncNotify : IUnknown {
    virtual HRESULT CreatePrintAsyncNotifyChannel(ULONG jobId, GUID* type, PrintAsyncNotifyUserFilter filter,
                                                  PrintAsyncNotifyConversationStyle style,
                                                  IPrintAsyncNotifyCallback* callback,
                                                  IPrintAsyncNotifyChannel** channel) = 0;
    virtual HRESULT CreatePrintAsyncNotifyRegistration(GUID* type, PrintAsyncNotifyUserFilter filter,
                                                       PrintAsyncNotifyConversationStyle style,
                                                       IPrintAsyncNotifyCallback* callback, void** registration) = 0;

protected:
    ~IPrintAsyncNotify() = default;
};

// The signature of the entry point an asynchronous print UI request names:
// it takes the request's argument string and returns a string of its own
// (allocated with SysAllocString; the caller frees it).
using AsyncUIEntryPoint = BSTR (*)(const WCHAR* arguments);
