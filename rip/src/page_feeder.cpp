#include "page_feeder.h"

#include <cstring>
#include <vector>

#include "filtercore/failure_note.h"
#include "filtercore/raised_result.h"
#include "filtercore/sequential_read_adapter.h"
#include "platform/com.h"
#include "platform/spooler.h"

namespace {

// xmlns and xmlns:p declare namespaces; the reader reports them among the
// attributes for the page writers that need them.
bool IsNamespaceDeclaration(std::u16string_view name) { return name == u"xmlns" || name.starts_with(u"xmlns:"); }

}  // namespace

PageFeeder::PageFeeder(IFixedPage* page, BOOL isPage, const PageDeviceValues& device, const ConverterSession& session,
                       ULONG jobId)
    : ComObjectBase(IID_ISAXContentHandler),
      page(ComPtr<IFixedPage>::Share(page)),
      isPage(isPage),
      device_(device),
      session_(session),
      jobId(jobId)
{
}

PageFeeder::~PageFeeder()
{
    if (printer != nullptr) ClosePrinter(printer);
}

HRESULT PageFeeder::Create(IFixedPage* page, BOOL isPage, const PageDeviceValues& device,
                           const ConverterSession& session, const WCHAR* printerName, ULONG jobId, PageFeeder** feeder,
                           std::u16string* reason)
{
    if (page == nullptr || feeder == nullptr || reason == nullptr) return E_POINTER;
    *feeder = nullptr;
    ComPtr<PageFeeder> made;
    HRESULT hr = CatchRaised([&] {
        made = ComPtr<PageFeeder>::Adopt(new PageFeeder(page, isPage, device, session, jobId));
        return S_OK;
    });
    if (FAILED(hr)) return hr;
    hr = made->pcoreconv.Load();
    if (FAILED(hr)) {
        *reason =
            made->pcoreconv.Reason().empty() ? u"the converter's folder cannot be found" : made->pcoreconv.Reason();
        return hr;
    }
    // Without the printer the feed goes on, only unable to notice that the
    // job was deleted.
    if (isPage && printerName != nullptr && *printerName != u'\0') {
        std::u16string name(printerName);
        if (!OpenPrinterW(name.data(), &made->printer, nullptr)) made->printer = nullptr;
    }
    *feeder = made.Detach();
    return S_OK;
}

HRESULT PageFeeder::Feed(IPartBase* markup)
{
    if (markup == nullptr) return E_POINTER;
    ComPtr<ISAXXMLReader> reader;
    HRESULT hr = CoCreateInstance(CLSID_SAXXMLReader60, nullptr, CLSCTX_ALL, IID_ISAXXMLReader, reader.OutVoid());
    if (SUCCEEDED(hr)) hr = reader->putContentHandler(this);
    ComPtr<IPrintReadStream> stream;
    if (SUCCEEDED(hr)) hr = markup->GetStream(stream.Out());
    ComPtr<ISequentialStream> adapter;
    if (SUCCEEDED(hr)) hr = SequentialReadAdapter::Create(stream.Get(), adapter.Out());
    if (FAILED(hr)) return hr;
    VARIANT input;
    VariantInit(&input);
    input.vt = VT_UNKNOWN;
    input.punkVal = adapter.Get();  // borrowed: the VARIANT is not cleared
    hr = reader->parse(input);
    reader->putContentHandler(nullptr);
    if (FAILED(hr) && failure_.empty()) {
        CatchRaised([&] {
            failure_ = DescribeFailure(hr);
            return S_OK;
        });
    }
    return hr;
}

HRESULT PageFeeder::startDocument()
{
    if (!isPage) return S_OK;
    ConverterHandle context = session_.converterContext;
    pcoreconv.XpsSetConvResAPI(context, static_cast<void*>(page.Get()), session_.font, session_.colourProfile,
                               session_.image, 0, 0);
    const INT width = device_.mediaWidth;
    const INT height = device_.mediaHeight;
    pcoreconv.XpsSetPageDevice(context, 1, 1, width, height, 0, 0, width, height, device_.resolution.x,
                               device_.resolution.y, device_.rotationCode, 0, 4, 100, height, height,
                               device_.planesCode, device_.planes, device_.bitsPerPixel);
    return S_OK;
}

HRESULT PageFeeder::startElement(const WCHAR*, int, const WCHAR*, int, const WCHAR* qName, int qNameLength,
                                 ISAXAttributes* attributes)
{
    if (qName == nullptr || attributes == nullptr) return E_POINTER;
    if (qNameLength <= 0) return E_INVALIDARG;
    return CatchRaised([&] {
        currentElement.assign(qName, static_cast<size_t>(qNameLength));
        HRESULT hr = narrowName_.Assign(qName, qNameLength);
        if (FAILED(hr)) return hr;
        if (pcoreconv.XPSStartElem(narrowName_.Get(), session_.converterContext) == 0)
            return Refused(u"the element " + currentElement);
        elementJustStarted = TRUE;
        return ReadAttributes(attributes);
    });
}

HRESULT PageFeeder::ReadAttributes(ISAXAttributes* attributes)
{
    int count = 0;
    HRESULT hr = attributes->getLength(&count);
    if (FAILED(hr)) return hr;
    for (int index = count - 1; index >= 0; --index) {
        const WCHAR* name = nullptr;
        const WCHAR* value = nullptr;
        int nameLength = 0;
        int valueLength = 0;
        hr = attributes->getQName(index, &name, &nameLength);
        if (SUCCEEDED(hr)) hr = attributes->getValue(index, &value, &valueLength);
        if (FAILED(hr)) return hr;
        if (value == nullptr && valueLength == 0) value = u"";
        if (name == nullptr || value == nullptr || nameLength <= 0 || valueLength < 0) return E_POINTER;
        std::u16string_view nameText(name, static_cast<size_t>(nameLength));
        std::u16string_view valueText(value, static_cast<size_t>(valueLength));
        if (IsNamespaceDeclaration(nameText)) continue;
        hr = narrowName_.Assign(name, nameLength);
        if (FAILED(hr)) return hr;
        int32_t accepted = 0;
        if (nameText == u"UnicodeString") {
            // The text itself, zero-terminated, as the converter measures it.
            std::u16string wide(valueText);
            accepted = pcoreconv.XPSReadAtt(narrowName_.Get(), wide.c_str(), session_.converterContext);
        } else {
            hr = narrowValue_.Assign(value, valueLength);
            if (FAILED(hr)) return hr;
            accepted = pcoreconv.XPSReadAtt(narrowName_.Get(), narrowValue_.Get(), session_.converterContext);
        }
        if (accepted == 0) return Refused(u"the attribute " + std::u16string(nameText) + u" of " + currentElement);
        if (currentElement == u"ResourceDictionary" && nameText == u"Source") {
            pendingDictionary = TRUE;
            dictionarySource = valueText;
        }
    }
    return S_OK;
}

HRESULT PageFeeder::endElement(const WCHAR*, int, const WCHAR*, int, const WCHAR* qName, int qNameLength)
{
    if (qName == nullptr) return E_POINTER;
    if (qNameLength <= 0) return E_INVALIDARG;
    return CatchRaised([&] {
        std::u16string_view name(qName, static_cast<size_t>(qNameLength));
        int32_t accepted = 0;
        if (elementJustStarted && name == currentElement) {
            accepted = pcoreconv.XPSEndCurElem(session_.converterContext);
        } else {
            HRESULT hr = narrowName_.Assign(qName, qNameLength);
            if (FAILED(hr)) return hr;
            accepted = pcoreconv.XPSEndElem(narrowName_.Get(), session_.converterContext);
        }
        if (name.ends_with(u"ImageBrush") && JobDeleted()) {
            failure_ = u"the job was cancelled";
            return HRESULT_FROM_WIN32(ERROR_PRINT_CANCELLED);
        }
        elementJustStarted = FALSE;
        if (accepted == 0) return Refused(u"the end of " + std::u16string(name));
        if (pendingDictionary && name == u"ResourceDictionary") {
            pendingDictionary = FALSE;
            return FeedDictionary();
        }
        return S_OK;
    });
}

bool PageFeeder::JobDeleted() const
{
    if (printer == nullptr) return false;
    DWORD needed = 0;
    if (GetJobW(printer, jobId, 1, nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
        needed < sizeof(JOB_INFO_1W))
        return false;
    std::vector<BYTE> buffer(needed, 0);
    if (!GetJobW(printer, jobId, 1, buffer.data(), needed, &needed)) return false;
    JOB_INFO_1W job{};
    std::memcpy(&job, buffer.data(), sizeof job);
    return (job.Status & (JOB_STATUS_DELETING | JOB_STATUS_DELETED)) != 0;
}

// A remote dictionary is fed only from the page: XPS lets no dictionary
// name another, and following one from another could loop.
HRESULT PageFeeder::FeedDictionary()
{
    if (!isPage) return S_OK;
    ComPtr<IUnknown> part;
    ComPtr<IPartResourceDictionary> dictionary;
    HRESULT hr = page->GetPagePart(dictionarySource.c_str(), part.Out());
    if (SUCCEEDED(hr) && part) hr = part->QueryInterface(IID_IPartResourceDictionary, dictionary.OutVoid());
    if (FAILED(hr) || !dictionary) {
        failure_ = u"the resource dictionary " + dictionarySource + u" cannot be read";
        return FAILED(hr) ? hr : E_POINTER;
    }
    ComPtr<PageFeeder> feeder;
    std::u16string reason;
    hr = Create(page.Get(), FALSE, device_, session_, nullptr, jobId, feeder.Out(), &reason);
    if (SUCCEEDED(hr)) {
        hr = feeder->Feed(dictionary.Get());
        reason = feeder->Failure();
    }
    if (FAILED(hr)) failure_ = dictionarySource + u": " + reason;
    return hr;
}

HRESULT PageFeeder::Refused(std::u16string what)
{
    failure_ = u"the converter refused " + std::move(what);
    return E_FAIL;
}
