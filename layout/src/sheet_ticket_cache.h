// Sheet tickets made once and shared: sheets whose tickets would be made
// from the same merged ticket (by the ticket manager's PageTicketSerial)
// with the same sheet settings are given the same ticket part, instead of
// each building the settings into the ticket document again and storing a
// copy of its own.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "imposition_steps.h"
#include "platform/comobject.h"
#include "platform/pipeline.h"
#include "platform/xml.h"

// The sheet settings a sheet ticket writes over the merged ticket: the
// sheet's media, orientation and mirror, and the bins. Each write replaces
// the one before, so these two say all a ticket document holds of them.
struct SheetTicketEdits {
    struct Bins {
        INT pageBin = 0;
        INT secondBin = 0;
    };
    std::optional<SheetDescription> media;
    std::optional<Bins> bins;
};

// A merged page ticket that sheet tickets are made from, with the settings
// written into it so far. When a sheet finds its ticket in the cache the
// document is not written to; the edits record what it stands for all the
// same, and a later sheet that must build its ticket writes them all.
struct SheetTicketBase {
    ComPtr<IXMLDOMDocument2> document;
    uint64_t serial = 0;  // the ticket manager's PageTicketSerial for it
    SheetTicketEdits edits;
};

class SheetTicketCache {
public:
    // The part made for these edits over the merged ticket of this serial,
    // or null.
    IPartPrintTicket* Find(uint64_t serial, const SheetTicketEdits& edits) const;
    // Remembers the part; the least recently made of the few kept is let go.
    void Keep(uint64_t serial, const SheetTicketEdits& edits, ComPtr<IPartPrintTicket> part);

private:
    struct Entry {
        uint64_t serial;
        SheetTicketEdits edits;
        ComPtr<IPartPrintTicket> part;
    };
    // A sheet, its empty back and the side after a separate-tray phase
    // each have their own settings; a few entries cover them.
    static constexpr size_t kEntries = 4;
    std::vector<Entry> entries_;
};
