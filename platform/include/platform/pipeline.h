// The print filter pipeline and XPS part interfaces the filters are written
// against. They are declarations only: the pipeline host and the tests'
// doubles implement them.
#pragma once

#include "platform/bstr.h"
#include "platform/stream.h"
#include "platform/variant.h"

// Interface identifiers (the platform's published values).
constexpr IID IID_IPrintPipelineProgressReport = {
    0xEDC12C7C, 0xED40, 0x4EA5, {0x96, 0xA6, 0x5E, 0x43, 0x97, 0x49, 0x7A, 0x61}};
constexpr IID IID_IPrintClassObjectFactory = {
    0x9AF593DD, 0x9B02, 0x48A8, {0x9B, 0xAD, 0x69, 0xAC, 0xE4, 0x23, 0xF8, 0x8B}};
constexpr IID IID_IPrintPipelineFilter = {0xCDB62FC0, 0x8BED, 0x434E, {0x86, 0xFB, 0xA2, 0xCA, 0xE5, 0x5F, 0x19, 0xEA}};
constexpr IID IID_IXpsDocumentProvider = {0xB8CF8530, 0x5562, 0x47C4, {0xAB, 0x67, 0xB1, 0xF6, 0x9E, 0xCF, 0x96, 0x1E}};
constexpr IID IID_IXpsDocumentConsumer = {0x4368D8A2, 0x4181, 0x4A9F, {0xB2, 0x95, 0x3D, 0x9A, 0x38, 0xBB, 0x9B, 0xA0}};
constexpr IID IID_IXpsDocument = {0xE8D907DB, 0x62A9, 0x4A95, {0xAB, 0xE7, 0xE0, 0x17, 0x63, 0xDD, 0x30, 0xF8}};
constexpr IID IID_IFixedDocumentSequence = {
    0x8028D181, 0x2C32, 0x4249, {0x84, 0x93, 0x1B, 0xFB, 0x22, 0x04, 0x55, 0x74}};
constexpr IID IID_IFixedDocument = {0xF222CA9F, 0x9968, 0x4DB9, {0x81, 0xBD, 0xAB, 0xAE, 0xBF, 0x15, 0xF9, 0x3F}};
constexpr IID IID_IPartBase = {0x36D51E28, 0x369E, 0x43BA, {0xA6, 0x66, 0x95, 0x40, 0xC6, 0x2C, 0x3F, 0x58}};
constexpr IID IID_IFixedPage = {0x3D9F6448, 0x7E95, 0x4CB5, {0x94, 0xFB, 0x01, 0x80, 0xC2, 0x88, 0x3A, 0x57}};
constexpr IID IID_IPartImage = {0x725F2E3C, 0x401A, 0x4705, {0x9D, 0xE0, 0xFE, 0x6F, 0x13, 0x53, 0xB8, 0x7F}};
constexpr IID IID_IPartFont = {0xE07FE0AB, 0x1124, 0x43D0, {0xA8, 0x65, 0xE8, 0xFF, 0xB6, 0xA3, 0xEA, 0x82}};
constexpr IID IID_IPartThumbnail = {0x027ED1C9, 0xBA39, 0x4CC5, {0xAA, 0x55, 0x7E, 0xC3, 0xA0, 0xDE, 0x17, 0x1A}};
constexpr IID IID_IPartPrintTicket = {0x4A0F50F6, 0xF9A2, 0x41F0, {0x99, 0xE7, 0x5A, 0xE9, 0x55, 0xBE, 0x8E, 0x9E}};
constexpr IID IID_IPartColorProfile = {0x63CCA95B, 0x7D18, 0x4762, {0xB1, 0x5E, 0x98, 0x65, 0x86, 0x93, 0xD2, 0x4A}};
constexpr IID IID_IPartResourceDictionary = {
    0x16CFCE6D, 0xE744, 0x4FB3, {0xB4, 0x74, 0xF1, 0xD5, 0x4F, 0x02, 0x4A, 0x01}};
constexpr IID IID_IXpsPartIterator = {0x0021D3CD, 0xAF6F, 0x42AB, {0x99, 0x99, 0x14, 0xBC, 0x82, 0xA6, 0x2D, 0x2E}};
constexpr IID IID_IPrintReadStream = {0x4D47A67C, 0x66CC, 0x4430, {0x85, 0x0E, 0xDA, 0xF4, 0x66, 0xFE, 0x5B, 0xC4}};
constexpr IID IID_IPrintWriteStream = {0x65BB7F1B, 0x371E, 0x4571, {0x8A, 0xC7, 0x91, 0x2F, 0x51, 0x0B, 0x1A, 0x38}};
constexpr IID IID_IInterFilterCommunicator = {
    0x4DAF1E69, 0x81FD, 0x462D, {0x94, 0x0F, 0x8C, 0xD3, 0xDD, 0xF5, 0x6F, 0xCA}};
constexpr IID IID_IPrintPipelineManagerControl = {
    0xAA3E4910, 0x5889, 0x4681, {0x91, 0xEF, 0x82, 0x3A, 0xD4, 0xED, 0x4E, 0x44}};
constexpr IID IID_IPrintPipelinePropertyBag = {
    0x8B8C99DC, 0x7892, 0x4A95, {0x8A, 0x04, 0x57, 0x42, 0x2E, 0x9F, 0xBB, 0x47}};
constexpr IID IID_IPrintReadStreamFactory = {
    0xACB971E3, 0xDF8D, 0x4FC2, {0xBE, 0xE6, 0x06, 0x09, 0xD1, 0x5F, 0x3C, 0xF9}};
constexpr IID IID_IImgErrorInfo = {0x2BCE4ECE, 0xD30E, 0x445A, {0x94, 0x23, 0x68, 0x29, 0xBE, 0x94, 0x5A, 0xD8}};

enum EXpsCompressionOptions {
    Compression_NotCompressed = 0,
    Compression_Normal = 1,
    Compression_Small = 2,
    Compression_Fast = 3,
};

enum EXpsFontOptions {
    Font_Normal = 0,
    Font_Obfusticate = 1,
};

enum EXpsJobConsumption {
    XpsJob_DocumentSequenceAdded = 0,
    XpsJob_FixedDocumentAdded = 1,
    XpsJob_FixedPageAdded = 2,
};

// Error details that may accompany a shutdown request: what went wrong, for
// the user. Both texts belong to the caller.
struct IImgErrorInfo : IUnknown {
    // The name of the part the failure concerns; empty when it concerns none.
    virtual HRESULT GetSource(BSTR* source) = 0;
    // What is wrong, in a few words ("not well-formed XML (line 3)").
    virtual HRESULT GetDescription(BSTR* description) = 0;

protected:
    ~IImgErrorInfo() = default;
};

// --- Streams -------------------------------------------------------------

struct IPrintReadStream : IUnknown {
    virtual HRESULT Seek(LONGLONG offset, DWORD origin, ULONGLONG* newPosition) = 0;
    // endOfFile (optional) becomes TRUE once the end of the content is reached.
    virtual HRESULT ReadBytes(void* buffer, ULONG count, ULONG* read, BOOL* endOfFile) = 0;

protected:
    ~IPrintReadStream() = default;
};

struct IPrintWriteStream : IUnknown {
    virtual HRESULT WriteBytes(const void* buffer, ULONG count, ULONG* written) = 0;
    // Ends the content; for a part, the new content replaces the old one now.
    virtual void Close() = 0;

protected:
    ~IPrintWriteStream() = default;
};

struct IPrintReadStreamFactory : IUnknown {
    virtual HRESULT GetStream(IPrintReadStream** stream) = 0;

protected:
    ~IPrintReadStreamFactory() = default;
};

// --- Parts ---------------------------------------------------------------

struct IPartBase : IUnknown {
    virtual HRESULT GetUri(BSTR* uri) = 0;
    virtual HRESULT GetStream(IPrintReadStream** stream) = 0;
    virtual HRESULT GetPartCompression(EXpsCompressionOptions* compression) = 0;
    virtual HRESULT SetPartCompression(EXpsCompressionOptions compression) = 0;

protected:
    ~IPartBase() = default;
};

struct IPartPrintTicket : IPartBase {
protected:
    ~IPartPrintTicket() = default;
};

struct IPartColorProfile : IPartBase {
protected:
    ~IPartColorProfile() = default;
};

struct IPartResourceDictionary : IPartBase {
protected:
    ~IPartResourceDictionary() = default;
};

struct IPartFont : IPartBase {
    virtual HRESULT GetFontProperties(BSTR* contentType, EXpsFontOptions* options) = 0;
    virtual HRESULT SetFontContent(BSTR contentType) = 0;
    virtual HRESULT SetFontOptions(EXpsFontOptions options) = 0;

protected:
    ~IPartFont() = default;
};

struct IPartImage : IPartBase {
    virtual HRESULT GetImageProperties(BSTR* contentType) = 0;
    virtual HRESULT SetImageContent(BSTR contentType) = 0;

protected:
    ~IPartImage() = default;
};

struct IPartThumbnail : IPartBase {
    virtual HRESULT GetThumbnailProperties(BSTR* contentType) = 0;
    virtual HRESULT SetThumbnailContent(BSTR contentType) = 0;

protected:
    ~IPartThumbnail() = default;
};

// Walks the resources a page refers to: Current gives the part name and the
// part (IPartFont, IPartImage, IPartColorProfile, IPartResourceDictionary, ...).
struct IXpsPartIterator : IUnknown {
    virtual void Reset() = 0;
    virtual HRESULT Current(BSTR* uri, IUnknown** part) = 0;
    virtual BOOL IsDone() = 0;
    virtual void Next() = 0;

protected:
    ~IXpsPartIterator() = default;
};

struct IFixedPage : IPartBase {
    // HRESULT_FROM_WIN32(ERROR_NOT_FOUND) when the page has no ticket.
    virtual HRESULT GetPrintTicket(IPartPrintTicket** ticket) = 0;
    virtual HRESULT GetPagePart(const WCHAR* uri, IUnknown** part) = 0;
    virtual HRESULT GetWriteStream(IPrintWriteStream** stream) = 0;
    virtual HRESULT SetPrintTicket(IPartPrintTicket* ticket) = 0;
    // Adds a resource part to the page's relationships.
    virtual HRESULT SetPagePart(IUnknown* part) = 0;
    virtual HRESULT DeleteResource(const WCHAR* uri) = 0;
    virtual HRESULT GetXpsPartIterator(IXpsPartIterator** iterator) = 0;

protected:
    ~IFixedPage() = default;
};

struct IFixedDocument : IUnknown {
    virtual HRESULT GetUri(BSTR* uri) = 0;
    virtual HRESULT GetPrintTicket(IPartPrintTicket** ticket) = 0;
    virtual HRESULT SetPrintTicket(IPartPrintTicket* ticket) = 0;

protected:
    ~IFixedDocument() = default;
};

struct IFixedDocumentSequence : IUnknown {
    virtual HRESULT GetUri(BSTR* uri) = 0;
    virtual HRESULT GetPrintTicket(IPartPrintTicket** ticket) = 0;
    virtual HRESULT SetPrintTicket(IPartPrintTicket* ticket) = 0;

protected:
    ~IFixedDocumentSequence() = default;
};

struct IXpsDocument : IUnknown {
    virtual HRESULT GetThumbnail(IPartThumbnail** thumbnail) = 0;
    virtual HRESULT SetThumbnail(IPartThumbnail* thumbnail) = 0;

protected:
    ~IXpsDocument() = default;
};

// --- Provider and consumer ---------------------------------------------

struct IXpsDocumentProvider : IUnknown {
    // The next part of the job, or S_OK with a null part when the job is
    // complete.
    virtual HRESULT GetXpsPart(IUnknown** part) = 0;

protected:
    ~IXpsDocumentProvider() = default;
};

struct IXpsDocumentConsumer : IUnknown {
    virtual HRESULT SendXpsUnknown(IUnknown* part) = 0;
    virtual HRESULT SendXpsDocument(IXpsDocument* document) = 0;
    virtual HRESULT SendFixedDocumentSequence(IFixedDocumentSequence* sequence) = 0;
    virtual HRESULT SendFixedDocument(IFixedDocument* document) = 0;
    virtual HRESULT SendFixedPage(IFixedPage* page) = 0;
    virtual HRESULT CloseSender() = 0;
    // A new, empty part of the given name and interface (IID_IFixedPage,
    // IID_IPartPrintTicket, IID_IPartFont, IID_IPartImage, ...) and the
    // stream that writes its content.
    virtual HRESULT GetNewEmptyPart(const WCHAR* uri, REFIID riid, void** part, IPrintWriteStream** stream) = 0;

protected:
    ~IXpsDocumentConsumer() = default;
};

// --- The pipeline --------------------------------------------------------

struct IInterFilterCommunicator : IUnknown {
    // The filter's provider (IXpsDocumentProvider) and consumer
    // (IXpsDocumentConsumer, or an IPrintWriteStream for the last filter).
    virtual HRESULT RequestReader(void** reader) = 0;
    virtual HRESULT RequestWriter(void** writer) = 0;

protected:
    ~IInterFilterCommunicator() = default;
};

struct IPrintPipelineManagerControl : IUnknown {
    virtual HRESULT RequestShutdown(HRESULT reason, IImgErrorInfo* errorInfo) = 0;
    virtual HRESULT FilterFinished() = 0;

protected:
    ~IPrintPipelineManagerControl() = default;
};

struct IPrintPipelinePropertyBag : IUnknown {
    virtual HRESULT AddProperty(const WCHAR* name, const VARIANT* value) = 0;
    // HRESULT_FROM_WIN32(ERROR_NOT_FOUND) (value VT_EMPTY) when absent; the
    // caller clears the returned VARIANT.
    virtual HRESULT GetProperty(const WCHAR* name, VARIANT* value) = 0;
    virtual BOOL DeleteProperty(const WCHAR* name) = 0;

protected:
    ~IPrintPipelinePropertyBag() = default;
};

struct IPrintPipelineProgressReport : IUnknown {
    virtual HRESULT ReportProgress(EXpsJobConsumption update) = 0;

protected:
    ~IPrintPipelineProgressReport() = default;
};

struct IPrintClassObjectFactory : IUnknown {
    virtual HRESULT GetPrintClassObject(const WCHAR* printerName, REFIID riid, void** object) = 0;

protected:
    ~IPrintClassObjectFactory() = default;
};

struct IPrintPipelineFilter : IUnknown {
    virtual HRESULT InitializeFilter(IInterFilterCommunicator* communicator, IPrintPipelinePropertyBag* propertyBag,
                                     IPrintPipelineManagerControl* control) = 0;
    virtual HRESULT ShutdownOperation() = 0;
    virtual HRESULT StartOperation() = 0;

protected:
    ~IPrintPipelineFilter() = default;
};

// The signature of every filter module's DllGetClassObject export.
using DllGetClassObjectFunction = HRESULT (*)(REFCLSID clsid, REFIID riid, void** object);
using DllCanUnloadNowFunction = HRESULT (*)();
