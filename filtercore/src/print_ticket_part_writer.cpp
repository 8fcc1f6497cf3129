// PrintTicketManager::WriteTicketPart: a ticket document stored as a new
// print-ticket part of the job.
#include <memory>
#include <new>

#include "filtercore/print_ticket_manager.h"
#include "filtercore/ticket_document_io.h"
#include "raised_result.h"
#include "ticket_part_name.h"

namespace {

constexpr ULONG kCopyBlockSize = 65536;

// A clash with a part the consumer already has costs a new name; a consumer
// that refuses this many names in a row has another problem.
constexpr int kNameAttempts = 8;

// What a consumer answers for a part name the job already has.
constexpr HRESULT kNameTaken = HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);

// A new empty ticket part under a name the consumer accepts.
HRESULT CreateNamedPart(IXpsDocumentConsumer* consumer, const WCHAR* tag, ComPtr<IPartPrintTicket>* part,
                        ComPtr<IPrintWriteStream>* stream)
{
    HRESULT hr = E_FAIL;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        hr = CatchRaised([&] {
            HeapWideString name = NewTicketPartName(tag);
            return consumer->GetNewEmptyPart(name.Text(), IID_IPartPrintTicket, part->OutVoid(), stream->Out());
        });
        if (hr != kNameTaken) break;
    }
    if (FAILED(hr)) return hr;
    return *part && *stream ? S_OK : E_POINTER;
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

HRESULT PrintTicketManager::WriteTicketPart(IXpsDocumentConsumer* consumer, IXMLDOMDocument2* ticket,
                                            const WCHAR* tag, IPartPrintTicket** part)
{
    if (ticket == nullptr || tag == nullptr || part == nullptr) return E_POINTER;
    *part = nullptr;
    if (consumer == nullptr) return E_UNEXPECTED;

    ComPtr<IStream> markup;
    HRESULT hr = TicketDocumentStream(ticket, &markup);
    if (FAILED(hr)) return hr;
    ComPtr<IPartPrintTicket> created;
    ComPtr<IPrintWriteStream> stream;
    hr = CreateNamedPart(consumer, tag, &created, &stream);
    if (FAILED(hr)) return hr;

    hr = CopyBlocks(markup.Get(), stream.Get());
    // Closed on every path: an open write stream would leave the part's
    // content unfinished.
    stream->Close();
    if (FAILED(hr)) return hr;
    *part = created.Detach();
    return S_OK;
}
