// Sheets share a ticket part only when made from the same merged ticket
// with every sheet setting written over it the same.
#include <gtest/gtest.h>

#include "sheet_ticket_cache.h"
#include "testsupport/parts.h"

namespace {

using testsupport::MakePart;
using testsupport::PrintTicketPart;

ComPtr<IPartPrintTicket> Ticket(const char16_t* name)
{
    ComPtr<IPartPrintTicket> part;
    MakePart<PrintTicketPart>(name, "<x/>").As(IID_IPartPrintTicket, &part);
    return part;
}

SheetTicketEdits LetterWithBins(INT pageBin)
{
    SheetTicketEdits edits;
    edits.media.emplace();
    edits.bins = SheetTicketEdits::Bins{pageBin, 1};
    return edits;
}

TEST(SheetTicketCache, ServesOnlyTheSameSourceAndSettings)
{
    SheetTicketCache cache;
    ComPtr<IPartPrintTicket> sheet = Ticket(u"/PT_1.xml");
    cache.Keep(7, LetterWithBins(2), sheet);
    EXPECT_EQ(cache.Find(7, LetterWithBins(2)), sheet.Get());
    // Another merged ticket.
    EXPECT_EQ(cache.Find(8, LetterWithBins(2)), nullptr);

    // Each sheet setting counts: bin, second bin, media name and size,
    // orientation, mirror; and whether media or bins were written at all.
    SheetTicketEdits edits = LetterWithBins(3);
    EXPECT_EQ(cache.Find(7, edits), nullptr);
    edits = LetterWithBins(2);
    edits.bins->secondBin = 0;
    EXPECT_EQ(cache.Find(7, edits), nullptr);
    edits = LetterWithBins(2);
    BSTR a4 = SysAllocString(u"ISOA4");
    edits.media->geometry.SetMedia(a4, 210000, 297000, FALSE);
    SysFreeString(a4);
    EXPECT_EQ(cache.Find(7, edits), nullptr);
    edits = LetterWithBins(2);
    edits.media->geometry.orientation = PageOrientation::Landscape;
    EXPECT_EQ(cache.Find(7, edits), nullptr);
    edits = LetterWithBins(2);
    edits.media->mirror.mirror = 1;
    EXPECT_EQ(cache.Find(7, edits), nullptr);
    edits = LetterWithBins(2);
    edits.bins.reset();
    EXPECT_EQ(cache.Find(7, edits), nullptr);
    edits = LetterWithBins(2);
    edits.media.reset();
    EXPECT_EQ(cache.Find(7, edits), nullptr);
}

TEST(SheetTicketCache, KeepsOnlyTheLatestFew)
{
    SheetTicketCache cache;
    ComPtr<IPartPrintTicket> first = Ticket(u"/PT_1.xml");
    cache.Keep(1, LetterWithBins(1), first);
    for (INT bin = 2; bin <= 4; ++bin) cache.Keep(1, LetterWithBins(bin), Ticket(u"/PT_n.xml"));
    EXPECT_EQ(cache.Find(1, LetterWithBins(1)), first.Get());
    cache.Keep(1, LetterWithBins(5), Ticket(u"/PT_5.xml"));
    EXPECT_EQ(cache.Find(1, LetterWithBins(1)), nullptr);
    EXPECT_NE(cache.Find(1, LetterWithBins(5)), nullptr);
}

}  // namespace
