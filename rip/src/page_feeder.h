// PageFeeder: hands one page's markup to the converter's page library as a
// stream of element and attribute calls, in document order: XPSStartElem,
// the element's attributes last to first through XPSReadAtt, its children,
// then XPSEndCurElem for an element without children or XPSEndElem with its
// name. A page feeder starts with XpsSetConvResAPI and XpsSetPageDevice; a
// resource dictionary that the page names by Source is fed right after the
// end of the ResourceDictionary element that names it, by a feeder of its
// own. Namespace declarations are no attributes to the converter and are not
// handed on. A job deleted in the spooler stops the feed at the end of the
// next element whose name ends with "ImageBrush".
#pragma once

#include <string>

#include "converter/converter_interface.h"
#include "converter_library.h"
#include "filtercore/com_object_base.h"
#include "narrow_text.h"
#include "page_device.h"
#include "platform/comobject.h"
#include "platform/pipeline.h"
#include "platform/xml.h"

// The page-device values: media size in microns and the codes of
// page_device.h.
struct PageDeviceValues {
    INT mediaWidth = 215900;
    INT mediaHeight = 279400;
    PageResolution resolution;
    INT rotationCode = 2;
    INT planesCode = 3;
    INT planes = 3;
    INT bitsPerPixel = 8;
};

// What a feeder hands the converter besides the markup: the job's handles
// and the resource callbacks registered for the page.
struct ConverterSession {
    ConverterHandle jobHandle = 0;
    ConverterHandle converterContext = 0;
    ConverterPartCallback font = nullptr;
    ConverterPartCallback colourProfile = nullptr;
    ConverterImageCallback image = nullptr;
};

class PageFeeder : public ComObjectBase<ISAXContentHandler> {
public:
    // A feeder for the page (isPage, with the printer opened by name for the
    // cancellation check when a name is given) or for a resource dictionary
    // the page names. Loads the converter's page library; on failure
    // *reason says why.
    static HRESULT Create(IFixedPage* page, BOOL isPage, const PageDeviceValues& device,
                          const ConverterSession& session, const WCHAR* printerName, ULONG jobId, PageFeeder** feeder,
                          std::u16string* reason);

    // Parses the part's markup (the page, or a dictionary) through the
    // platform's SAX reader into this feeder.
    HRESULT Feed(IPartBase* markup);

    // Why the feed failed, in words, when the feeder knows: "the converter
    // refused the element Path", "the job was cancelled".
    const std::u16string& Failure() const { return failure_; }

    HRESULT putDocumentLocator(ISAXLocator* locator) override { return S_OK; }
    // A page feeder registers the resource callbacks and the page device.
    HRESULT startDocument() override;
    HRESULT endDocument() override { return S_OK; }
    HRESULT startPrefixMapping(const WCHAR* prefix, int prefixLength, const WCHAR* uri, int uriLength) override
    {
        return S_OK;
    }
    HRESULT endPrefixMapping(const WCHAR* prefix, int prefixLength) override { return S_OK; }
    HRESULT startElement(const WCHAR* namespaceUri, int namespaceUriLength, const WCHAR* localName, int localNameLength,
                         const WCHAR* qName, int qNameLength, ISAXAttributes* attributes) override;
    HRESULT endElement(const WCHAR* namespaceUri, int namespaceUriLength, const WCHAR* localName, int localNameLength,
                       const WCHAR* qName, int qNameLength) override;
    HRESULT characters(const WCHAR* text, int length) override { return S_OK; }
    HRESULT ignorableWhitespace(const WCHAR* text, int length) override { return S_OK; }
    HRESULT processingInstruction(const WCHAR* target, int targetLength, const WCHAR* data, int dataLength) override
    {
        return S_OK;
    }
    HRESULT skippedEntity(const WCHAR* name, int length) override { return S_OK; }

private:
    PageFeeder(IFixedPage* page, BOOL isPage, const PageDeviceValues& device, const ConverterSession& session,
               ULONG jobId);
    ~PageFeeder() override;

    HRESULT ReadAttributes(ISAXAttributes* attributes);
    bool JobDeleted() const;
    HRESULT FeedDictionary();
    HRESULT Refused(std::u16string what);

    ComPtr<IFixedPage> page;
    BOOL isPage;
    PageDeviceValues device_;
    ConverterSession session_;
    PageLibrary pcoreconv;
    HANDLE printer = nullptr;
    ULONG jobId;
    std::u16string currentElement;
    BOOL elementJustStarted = FALSE;
    BOOL pendingDictionary = FALSE;
    std::u16string dictionarySource;
    // Converted names and values, kept from call to call.
    NarrowText narrowName_;
    NarrowText narrowValue_;
    std::u16string failure_;
};
