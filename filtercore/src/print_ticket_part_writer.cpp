// PrintTicketManager::WriteTicketPart: a ticket document stored as a new
// print-ticket part of the job.
#include <memory>
#include <new>

#include "filtercore/part_names.h"
#include "filtercore/print_ticket_manager.h"
#include "filtercore/ticket_document_io.h"

namespace {

constexpr ULONG kCopyBlockSize = 65536;

// "/PT_<tag>_<tick count>_<number>.xml", relative to the package root.
PartNameMaker TicketPartName(const WCHAR* tag)
{
    return [tag](const PartNameNumbers& numbers) {
        HeapWideString name;
        name.Format(u"/PT_%ws_%u_%u.xml", tag, numbers.ticks, numbers.number);
        return name;
    };
}

// Copies the markup from its start to the part in blocks of 64 KiB, each
// block passed to one WriteBytes call.
HRESULT CopyBlocks(IStream* markup, IPrintWriteStream* target)
{
    LARGE_INTEGER start{};
    HRESULT hr = markup->Seek(start, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr)) return hr;
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[kCopyBlockSize]);
    if (!block) return E_OUTOFMEMORY;
    for (;;) {
        ULONG read = 0;
        hr = markup->Read(block.get(), kCopyBlockSize, &read);
        if (FAILED(hr)) return hr;
        if (read == 0) return S_OK;
        if (read > kCopyBlockSize) return E_UNEXPECTED;
        ULONG written = 0;
        hr = target->WriteBytes(block.get(), read, &written);
        if (FAILED(hr)) return hr;
        // A stream that takes less than it was given would cut the ticket
        // short.
        if (written != read) return STG_E_WRITEFAULT;
    }
}

}  // namespace

HRESULT PrintTicketManager::WriteTicketPart(IXpsDocumentConsumer* consumer, IXMLDOMDocument2* ticket, const WCHAR* tag,
                                            IPartPrintTicket** part)
{
    if (ticket == nullptr || tag == nullptr || part == nullptr) return E_POINTER;
    *part = nullptr;
    if (consumer == nullptr) return E_UNEXPECTED;

    ComPtr<IStream> markup;
    HRESULT hr = TicketDocumentStream(ticket, &markup);
    if (FAILED(hr)) return hr;
    ComPtr<IPartPrintTicket> created;
    ComPtr<IPrintWriteStream> stream;
    hr = GetNewUniquelyNamedPart(consumer, TicketPartName(tag), IID_IPartPrintTicket, &created, &stream);
    if (FAILED(hr)) return hr;

    hr = CopyBlocks(markup.Get(), stream.Get());
    // Closed on every path: an open write stream would leave the part's
    // content unfinished.
    stream->Close();
    if (FAILED(hr)) return hr;
    *part = created.Detach();
    return S_OK;
}
