// ReadMirror and WriteMirror: the keywords feature "PageMirrorImage" and the
// private feature "PageReverseImage".
#include "filtercore/job_settings.h"
#include "filtercore/name_table.h"
#include "filtercore/raised_result.h"
#include "filtercore/read_outcome.h"
#include "filtercore/ticket_writing.h"

namespace {

constexpr WCHAR kMirrorFeature[] = u"PageMirrorImage";
constexpr WCHAR kReverseFeature[] = u"PageReverseImage";

// Indexed by MirrorOption.
constexpr const WCHAR* kMirrorNames[] = {u"MirrorImageWidth", u"MirrorImageHeight", u"None"};

}  // namespace

HRESULT ReadMirror(PrintTicketDom& ticket, MirrorSettings* settings)
{
    if (settings == nullptr) return E_POINTER;
    return CatchRaised([&] {
        // Without the private flag a private mirror option keeps its prefix
        // and matches nothing.
        OwnedBstr mirror;
        if (SUCCEEDED(ticket.GetOptionName(ticket.KeywordsPrefix(), kMirrorFeature, mirror.Out(), nullptr))) {
            INT index = NameIndex(mirror.Get(), kMirrorNames, NameComparison::Exact);
            if (index >= 0) settings->mirror = index;
        }

        OwnedBstr reverse;
        BOOL isPrivate = FALSE;
        HRESULT hr = ticket.GetOptionName(ticket.PrivatePrefix(), kReverseFeature, reverse.Out(), &isPrivate);
        if (FAILED(hr)) return IsAbsence(hr) ? S_OK : hr;
        if (isPrivate) {
            INT index = NameIndex(reverse.Get(), kOffOnNames, NameComparison::Exact);
            if (index >= 0) settings->reverse = index;
        }
        return S_OK;
    });
}

HRESULT WriteMirror(PrintTicketDom& ticket, const MirrorSettings& settings)
{
    ComPtr<IXMLDOMNode> root;
    HRESULT hr = SelectTicketRoot(ticket, &root);
    if (SUCCEEDED(hr)) hr = ticket.RemoveFeature(kMirrorFeature);
    if (SUCCEEDED(hr)) hr = ticket.RemovePrivateFeature(kReverseFeature);
    if (SUCCEEDED(hr)) {
        hr = AppendFeatureWithOption(ticket, root.Get(), FALSE, kMirrorFeature, FALSE,
                                     ChoiceName(settings.mirror, kMirrorNames), nullptr);
    }
    if (SUCCEEDED(hr)) {
        hr = AppendFeatureWithOption(ticket, root.Get(), TRUE, kReverseFeature, TRUE,
                                     ChoiceName(settings.reverse, kOffOnNames), nullptr);
    }
    return hr;
}
