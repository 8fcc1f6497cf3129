// Sheets share a ticket part only when the merged ticket came from the same
// place and every sheet setting written over it is the same.
#include <gtest/gtest.h>

#include "sheet_ticket_cache.h"
#include "testsupport/parts.h"

namespace {

using testsupport::MakePart;
using testsupport::PrintTicketPart;
using testsupport::Unknown;

ComPtr<IPartPrintTicket> Ticket(const char16_t* name)
{
    ComPtr<IPartPrintTicket> part;
    MakePart<PrintTicketPart>(name, "<x/>").As(IID_IPartPrintTicket, &part);
    return part;
}

SheetTicketSource Source(uint64_t serial, ComPtr<IUnknown> pageTicket = nullptr)
{
    SheetTicketSource source;
    source.documentSerial = serial;
    source.pageTicket = std::move(pageTicket);
    source.known = true;
    return source;
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
    ComPtr<IUnknown> pageTicket = Unknown(Ticket(u"/PT_page.xml"));
    cache.Keep(Source(7, pageTicket), LetterWithBins(2), sheet);
    EXPECT_EQ(cache.Find(Source(7, pageTicket), LetterWithBins(2)), sheet.Get());

    // Another document ticket, another page ticket, none.
    EXPECT_EQ(cache.Find(Source(8, pageTicket), LetterWithBins(2)), nullptr);
    EXPECT_EQ(cache.Find(Source(7, Unknown(Ticket(u"/PT_other.xml"))), LetterWithBins(2)), nullptr);
    EXPECT_EQ(cache.Find(Source(7), LetterWithBins(2)), nullptr);

    // Each sheet setting counts: bin, second bin, media name and size,
    // orientation, mirror; and whether media or bins were written at all.
    SheetTicketEdits edits = LetterWithBins(3);
    EXPECT_EQ(cache.Find(Source(7, pageTicket), edits), nullptr);
    edits = LetterWithBins(2);
    edits.bins->secondBin = 0;
    EXPECT_EQ(cache.Find(Source(7, pageTicket), edits), nullptr);
    edits = LetterWithBins(2);
    BSTR a4 = SysAllocString(u"ISOA4");
    edits.media->geometry.SetMedia(a4, 210000, 297000, FALSE);
    SysFreeString(a4);
    EXPECT_EQ(cache.Find(Source(7, pageTicket), edits), nullptr);
    edits = LetterWithBins(2);
    edits.media->geometry.orientation = kOrientationLandscape;
    EXPECT_EQ(cache.Find(Source(7, pageTicket), edits), nullptr);
    edits = LetterWithBins(2);
    edits.media->mirror.mirror = 1;
    EXPECT_EQ(cache.Find(Source(7, pageTicket), edits), nullptr);
    edits = LetterWithBins(2);
    edits.bins.reset();
    EXPECT_EQ(cache.Find(Source(7, pageTicket), edits), nullptr);
    edits = LetterWithBins(2);
    edits.media.reset();
    EXPECT_EQ(cache.Find(Source(7, pageTicket), edits), nullptr);
}

TEST(SheetTicketCache, NeverSharesATicketOfUnknownSourceAndKeepsOnlyTheLatest)
{
    SheetTicketCache cache;
    SheetTicketSource unknown = Source(1);
    unknown.known = false;
    cache.Keep(unknown, LetterWithBins(0), Ticket(u"/PT_0.xml"));
    EXPECT_EQ(cache.Find(unknown, LetterWithBins(0)), nullptr);

    ComPtr<IPartPrintTicket> first = Ticket(u"/PT_1.xml");
    cache.Keep(Source(1), LetterWithBins(1), first);
    for (INT bin = 2; bin <= 4; ++bin) cache.Keep(Source(1), LetterWithBins(bin), Ticket(u"/PT_n.xml"));
    EXPECT_EQ(cache.Find(Source(1), LetterWithBins(1)), first.Get());
    cache.Keep(Source(1), LetterWithBins(5), Ticket(u"/PT_5.xml"));
    EXPECT_EQ(cache.Find(Source(1), LetterWithBins(1)), nullptr);
    EXPECT_NE(cache.Find(Source(1), LetterWithBins(5)), nullptr);
}

}  // namespace
