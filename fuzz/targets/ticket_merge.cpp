// The PrintTicket provider's merge and validation. The input is a base
// ticket and a delta ticket split at a NUL byte; without one it is a delta
// over the device's default ticket, as the filters merge a job's ticket.
// Each pair is merged at job and at page scope, and a merged ticket is
// used for the device's capabilities and a DEVMODE. A merge that succeeds
// must give a ticket that merges again.
#include <cstdio>

#include "fuzz_support.h"
#include "platform/bstr.h"
#include "platform/printticket.h"
#include "platform/wformat.h"
#include "ticket_streams.h"

namespace {

using namespace tav::fuzz;

struct Merged {
    HRESULT result = E_FAIL;
    std::string ticket;
    std::string message;
};

Merged Merge(HPTPROVIDER provider, std::string_view base, std::string_view delta, EPrintTicketScope scope)
{
    Merged merged;
    ComPtr<IStream> result = EmptyStream();
    BSTR message = nullptr;
    merged.result = PTMergeAndValidatePrintTicket(provider, BytesStream(base).Get(), BytesStream(delta).Get(), scope,
                                                  result.Get(), &message);
    if (message != nullptr) merged.message = WideToUtf8(message, SysStringLen(message));
    SysFreeString(message);
    if (SUCCEEDED(merged.result)) merged.ticket = StreamBytes(result.Get());
    return merged;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    EnsureComApartment();
    static HPTPROVIDER provider = [] {
        HPTPROVIDER opened = nullptr;
        if (FAILED(PTOpenProvider(u"fuzz printer", 1, &opened))) __builtin_trap();
        return opened;
    }();
    static const std::string defaultTicket = [] {
        ComPtr<IStream> ticket = EmptyStream();
        if (FAILED(PTGetDefaultPrintTicket(provider, ticket.Get()))) __builtin_trap();
        return StreamBytes(ticket.Get());
    }();

    auto [first, second] = SplitAtNul(data, size);
    bool split = size > first.size();
    std::string_view base = split ? first : std::string_view(defaultTicket);
    std::string_view delta = split ? second : first;
    for (EPrintTicketScope scope : {kPTJobScope, kPTPageScope}) {
        Merged merged = Merge(provider, base, delta, scope);
        if (FAILED(merged.result)) continue;
        UseMergedTicket(provider, merged.ticket);
        Merged again = Merge(provider, merged.ticket, merged.ticket, scope);
        if (FAILED(again.result)) {
            std::fprintf(stderr, "fuzz: a merged ticket does not merge again (0x%08x, %s):\n%.4000s\n",
                         static_cast<unsigned>(again.result), again.message.c_str(), merged.ticket.c_str());
            __builtin_trap();
        }
    }
    return 0;
}
