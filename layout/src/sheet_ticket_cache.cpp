#include "sheet_ticket_cache.h"

#include <cstring>

namespace {

bool SameText(BSTR a, BSTR b)
{
    if (a == nullptr || b == nullptr) return a == b;
    UINT length = SysStringLen(a);
    return length == SysStringLen(b) && std::memcmp(a, b, length * sizeof(WCHAR)) == 0;
}

bool SameMargins(const PaperMargins& a, const PaperMargins& b)
{
    return a.left == b.left && a.right == b.right && a.top == b.top && a.bottom == b.bottom;
}

// Every field that WritePageGeometry and WriteMirror put into a ticket.
bool SameMedia(const SheetDescription& a, const SheetDescription& b)
{
    const PageGeometry& x = a.geometry;
    const PageGeometry& y = b.geometry;
    return SameText(x.MediaName(), y.MediaName()) && x.nameIsPrivate == y.nameIsPrivate && x.width == y.width &&
           x.height == y.height && x.orientation == y.orientation && x.unitIsInch == y.unitIsInch &&
           x.transverse == y.transverse && x.thickness == y.thickness && x.fixedMargin == y.fixedMargin &&
           SameMargins(x.documentMargins, y.documentMargins) && SameMargins(x.outputMargins, y.outputMargins) &&
           x.customPaperTemp == y.customPaperTemp && a.mirror.mirror == b.mirror.mirror &&
           a.mirror.reverse == b.mirror.reverse;
}

bool SameEdits(const SheetTicketEdits& a, const SheetTicketEdits& b)
{
    if (a.media.has_value() != b.media.has_value() || a.bins.has_value() != b.bins.has_value()) return false;
    if (a.media && !SameMedia(*a.media, *b.media)) return false;
    return !a.bins || (a.bins->pageBin == b.bins->pageBin && a.bins->secondBin == b.bins->secondBin);
}

}  // namespace

IPartPrintTicket* SheetTicketCache::Find(uint64_t serial, const SheetTicketEdits& edits) const
{
    for (const Entry& entry : entries_) {
        if (entry.serial == serial && SameEdits(entry.edits, edits)) return entry.part.Get();
    }
    return nullptr;
}

void SheetTicketCache::Keep(uint64_t serial, const SheetTicketEdits& edits, ComPtr<IPartPrintTicket> part)
{
    if (entries_.size() == kEntries) entries_.erase(entries_.begin());
    entries_.push_back({serial, edits, std::move(part)});
}
