// The recognition and counting of parts that every part loop shares.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filtercore/xps_part_dispatch.h"
#include "testsupport/parts.h"

namespace {

using namespace testsupport;

TEST(XpsPartDispatch, EachKindReachesItsHandlerAndDocumentsRestartThePageCount)
{
    std::vector<ComPtr<IUnknown>> parts = {
        Unknown(MakePart<XpsDocumentPart>()),
        Unknown(MakePart<FixedDocumentSequencePart>(u"/FixedDocumentSequence.fdseq")),
        Unknown(MakePart<FixedDocumentPart>(u"/Documents/1/FixedDocument.fdoc")),
        Unknown(MakePart<FixedPagePart>(u"/Documents/1/Pages/1.fpage", "<FixedPage/>")),
        Unknown(MakePart<FontPart>(u"/Resources/a.ttf", "font")),
        Unknown(MakePart<FixedPagePart>(u"/Documents/1/Pages/2.fpage", "<FixedPage/>")),
        Unknown(MakePart<FixedDocumentPart>(u"/Documents/2/FixedDocument.fdoc")),
        Unknown(MakePart<FixedPagePart>(u"/Documents/2/Pages/1.fpage", "<FixedPage/>")),
    };
    struct Seen {
        std::string kind;
        LONG pageInDocument, documentCount, pageCount;
    };
    std::vector<Seen> seen;
    XpsPartCounters counters;
    auto record = [&](const char* kind) {
        seen.push_back({kind, counters.pageInDocument, counters.documentCount, counters.pageCount});
        return S_OK;
    };
    struct Handler {
        decltype(record)& note;
        HRESULT operator()(IXpsDocument*) { return note("xps"); }
        HRESULT operator()(IFixedDocumentSequence*) { return note("sequence"); }
        HRESULT operator()(IFixedDocument*) { return note("document"); }
        HRESULT operator()(IFixedPage*) { return note("page"); }
        HRESULT operator()(IUnknown*) { return note("other"); }
    };
    for (const ComPtr<IUnknown>& part : parts) EXPECT_EQ(DispatchXpsPart(part.Get(), counters, Handler{record}), S_OK);

    const std::vector<std::string> kinds = {"xps", "sequence", "document", "page", "other", "page", "document", "page"};
    // pageInDocument, documentCount and pageCount as each handler saw them.
    const LONG expected[][3] = {{0, 0, 0}, {0, 0, 0}, {0, 1, 0}, {1, 1, 1}, {1, 1, 1}, {2, 1, 2}, {0, 2, 2}, {1, 2, 3}};
    ASSERT_EQ(seen.size(), kinds.size());
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].kind, kinds[i]);
        EXPECT_EQ(seen[i].pageInDocument, expected[i][0]);
        EXPECT_EQ(seen[i].documentCount, expected[i][1]);
        EXPECT_EQ(seen[i].pageCount, expected[i][2]);
    }
    counters.ResetCounters();
    EXPECT_EQ(counters.pageCount, 0);
}

TEST(XpsPartDispatch, TheHandlersResultIsReturned)
{
    XpsPartCounters counters;
    ComPtr<IUnknown> page = Unknown(MakePart<FixedPagePart>(u"/1.fpage", "<FixedPage/>"));
    EXPECT_EQ(DispatchXpsPart(page.Get(), counters, [](auto*) { return E_ABORT; }), E_ABORT);
}

}  // namespace
