// TicketExaminationCache over a real PrintTicketManager: which pages reuse
// the result kept for an earlier page and which must be examined again.
#include <gtest/gtest.h>

#include "filtercore/print_ticket_dom.h"
#include "filtercore/private_keywords.h"
#include "filtercore/ticket_examination_cache.h"
#include "testsupport/per_user_ticket.h"
#include "testsupport/ticket_markup.h"
#include "ticket_manager_test_support.h"

namespace tickettest {
namespace {

class TicketExaminationCacheTest : public ComTest {
protected:
    void SetUp() override
    {
        ComTest::SetUp();
        ASSERT_EQ(InitializeManager(manager, testsupport::DefaultDeviceTicket()), S_OK);
        ASSERT_EQ(manager.OnJobTicket(SequenceWithTicket("").Get()), S_OK);
        ASSERT_EQ(manager.OnDocumentTicket(DocumentWithTicket("").Get()), S_OK);
    }

    // The page arrives; returns the kept result, or keeps `examined` as the
    // page's result and returns -1 (the page had to be examined).
    int Arrive(const std::string& pageTicket, int examined)
    {
        EXPECT_EQ(manager.OnPageTicket(PageWithTicket(pageTicket).Get()), S_OK);
        if (const int* kept = cache.Find(manager)) return *kept;
        EXPECT_EQ(cache.Keep(manager, examined), examined);
        return -1;
    }

    // The option of the page's merged ticket, read independently of the
    // platform DOM.
    std::string PageOrientation()
    {
        testsupport::TicketMarkup merged(MergedMarkup(manager, TicketLevel::Page));
        return merged.Text("/psf:PrintTicket/psf:Feature[@name='psk:PageOrientation']/psf:Option/@name");
    }

    PrintTicketManager manager;
    TicketExaminationCache<int> cache;
};

TEST_F(TicketExaminationCacheTest, PagesWithoutTicketsShareTheirDocumentsResult)
{
    EXPECT_EQ(Arrive("", 1), -1);
    EXPECT_EQ(Arrive("", 2), 1);
    EXPECT_EQ(Arrive("", 3), 1);
    // A new document, even one without a ticket, is examined again: its
    // merged ticket is a new one.
    ASSERT_EQ(manager.OnDocumentTicket(DocumentWithTicket("").Get()), S_OK);
    EXPECT_EQ(Arrive("", 4), -1);
    EXPECT_EQ(Arrive("", 5), 4);
    // So is the next page after a new job ticket.
    ASSERT_EQ(manager.OnJobTicket(SequenceWithTicket(Ticket(IntegerParameter("JobCopiesAllDocuments", 2))).Get()),
              S_OK);
    EXPECT_EQ(Arrive("", 6), -1);
    // A merge into the document's level changes its ticket as well.
    const std::string delta = Ticket(KeywordFeature("PageOrientation", "Landscape"));
    ASSERT_EQ(manager.SetTicketFromPart(TicketLevel::Document, TicketPart(delta).Get()), S_OK);
    EXPECT_EQ(Arrive("", 7), -1);
    EXPECT_EQ(Arrive("", 8), 7);
}

TEST_F(TicketExaminationCacheTest, APageWithItsOwnTicketIsExaminedAndNotReused)
{
    const std::string landscape = Ticket(KeywordFeature("PageOrientation", "Landscape"));
    EXPECT_EQ(Arrive("", 1), -1);
    EXPECT_EQ(Arrive(landscape, 2), -1);
    EXPECT_EQ(Arrive(landscape, 3), -1);
    // The next page without a ticket must not take the landscape page's
    // result, though its document is the same.
    EXPECT_EQ(Arrive("", 4), -1);
    EXPECT_EQ(Arrive("", 5), 4);
}

// Pages carrying the same ticket part (sheets a filter gave one ticket) share
// the first one's result, and the manager merges that ticket again only when
// a page's merged ticket is asked for: it is the page's own ticket merged,
// never the document's or an earlier page's edited copy.
TEST_F(TicketExaminationCacheTest, PagesCarryingTheSameTicketPartShareTheFirstOnesResult)
{
    ComPtr<testsupport::PrintTicketPart> landscape = TicketPart(Ticket(KeywordFeature("PageOrientation", "Landscape")));
    auto arriveWith = [&](testsupport::PrintTicketPart* ticket, int examined) {
        ComPtr<testsupport::FixedPagePart> page = PageWithTicket("");
        if (ticket != nullptr) page->SetPrintTicket(ticket);
        EXPECT_EQ(manager.OnPageTicket(page.Get()), S_OK);
        if (const int* kept = cache.Find(manager)) return *kept;
        cache.Keep(manager, examined);
        return -1;
    };
    EXPECT_EQ(arriveWith(landscape.Get(), 1), -1);
    IXMLDOMDocument2* merged = nullptr;
    ASSERT_EQ(manager.GetMergedTicket(TicketLevel::Page, &merged), S_OK);
    // A filter edits the first page's merged ticket in place.
    {
        PrintTicketDom dom(u"PrintTicket", kPrivateKeywordsNamespace, merged);
        ASSERT_EQ(dom.RemoveFeature(u"PageOrientation"), S_OK);
    }
    EXPECT_EQ(arriveWith(landscape.Get(), 2), 1);
    EXPECT_EQ(manager.PageTicketPresent(), 1);
    EXPECT_EQ(PageOrientation(), "psk:Landscape");
    EXPECT_EQ(arriveWith(landscape.Get(), 3), 1);
    // A page without a ticket, then the same part over a new document
    // ticket, is examined again.
    EXPECT_EQ(arriveWith(nullptr, 4), -1);
    ASSERT_EQ(manager.OnDocumentTicket(DocumentWithTicket("").Get()), S_OK);
    EXPECT_EQ(arriveWith(landscape.Get(), 5), -1);
    EXPECT_EQ(PageOrientation(), "psk:Landscape");
}

}  // namespace
}  // namespace tickettest
