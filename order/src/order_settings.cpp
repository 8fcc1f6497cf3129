#include "order_settings.h"

#include <algorithm>

#include "filtercore/print_ticket_dom.h"
#include "filtercore/raised_result.h"

namespace {

constexpr HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);

// Duplex options along which a booklet cannot be folded.
bool ExcludesBooklet(const DuplexSettings& duplex)
{
    if (duplex.scope != kSettingScopeJob) return false;
    return duplex.kind == kDuplexOneSided || duplex.kind == kDuplexLongEdge || duplex.kind == kDuplexLongEdgeManual;
}

// Reads both settings; the records start from the readers' defaults, which
// are this filter's presets (binding: "BindLeft", "AllPagesAtOnce", 10
// sheets per set; duplex: absent, one-sided).
HRESULT ReadBindingAndDuplex(IXMLDOMDocument2* ticket, const WCHAR* privateNamespace, BindingSettings* binding,
                             DuplexSettings* duplex)
{
    return CatchRaised([&] {
        PrintTicketDom dom(u"PrintTicket", privateNamespace, ticket);
        HRESULT hr = ReadBinding(dom, binding);
        if (FAILED(hr)) return hr;
        return ReadDuplex(dom, duplex);
    });
}

}  // namespace

OrderSettings ReconcileOrderSettings(const BindingSettings& binding, const DuplexSettings& duplex)
{
    OrderSettings settings;
    settings.bindingOption = IsBookletBinding(binding.option) && ExcludesBooklet(duplex) ? kBindLeft : binding.option;
    settings.bookletScope = IsBookletBinding(settings.bindingOption) ? kBookletOverJob : kNoBooklet;
    settings.bookletMethod = binding.bookletMethod;
    settings.sheetsPerSet = std::max(binding.sheetsPerSet, 1);
    settings.duplexMode = duplex.mode;
    return settings;
}

HRESULT ReadOrderSettings(IXMLDOMDocument2* ticket, const WCHAR* privateNamespace, OrderSettings* settings)
{
    if (ticket == nullptr || settings == nullptr) return E_POINTER;
    BindingSettings binding;
    DuplexSettings duplex;
    HRESULT hr = ReadBindingAndDuplex(ticket, privateNamespace, &binding, &duplex);
    if (hr == kNotFound) return S_FALSE;
    if (FAILED(hr)) return hr;
    *settings = ReconcileOrderSettings(binding, duplex);
    return S_OK;
}
