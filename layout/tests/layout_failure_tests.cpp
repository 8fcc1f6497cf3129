// The layout filter over the pipeline doubles, when something fails: the
// user learns which part and what the filter could not do.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layout_filter.h"
#include "testsupport/filter_runner.h"
#include "testsupport/parts.h"

namespace {

using namespace testsupport;

// A consumer that makes the first `made` parts whose names begin with
// prefix and cannot make the next ones.
class RefusingConsumer : public RecordingConsumer {
public:
    RefusingConsumer(std::u16string prefix, int made) : prefix_(std::move(prefix)), made_(made) {}
    HRESULT GetNewEmptyPart(const WCHAR* uri, REFIID riid, void** part, IPrintWriteStream** stream) override
    {
        if (uri != nullptr && std::u16string(uri).rfind(prefix_, 0) == 0 && made_-- <= 0) return E_OUTOFMEMORY;
        return RecordingConsumer::GetNewEmptyPart(uri, riid, part, stream);
    }

private:
    std::u16string prefix_;
    int made_;
};

// Two pages a sheet, the job's setting.
const char kTwoUpTicket[] =
    "<psf:PrintTicket version=\"1\" "
    "xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" "
    "xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">"
    "<psf:Feature name=\"psk:JobNUpAllDocumentsContiguously\"><psf:Option>"
    "<psf:ScoredProperty name=\"psk:PagesPerSheet\"><psf:Value xsi:type=\"xsd:integer\">2</psf:Value>"
    "</psf:ScoredProperty></psf:Option></psf:Feature></psf:PrintTicket>";

std::vector<ComPtr<IUnknown>> TwoUpJob(int pages)
{
    auto sequence = MakePart<FixedDocumentSequencePart>(u"/FixedDocumentSequence.fdseq");
    sequence->SetPrintTicket(MakePart<PrintTicketPart>(u"/Job_PT.xml", kTwoUpTicket).Get());
    std::vector<ComPtr<IUnknown>> parts = {Unknown(sequence),
                                           Unknown(MakePart<FixedDocumentPart>(u"/Documents/1/FixedDocument.fdoc"))};
    for (int page = 1; page <= pages; ++page) {
        parts.push_back(Unknown(MakePart<FixedPagePart>(
            u"/Documents/1/Pages/" + std::u16string(1, u'0' + page) + u".fpage",
            "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" Width=\"816\" Height=\"1056\">"
            "<Path Data=\"M 0,0 L 816,0 816,1056 Z\" Fill=\"#FF000000\"/></FixedPage>")));
    }
    return parts;
}

std::vector<std::string> NotesOfRunWith(int sheetsMade, int pages)
{
    RunOptions options;
    options.consumer = ComPtr<RecordingConsumer>::Adopt(new RefusingConsumer(u"/LO_NUpPage_", sheetsMade));
    auto filter = ComPtr<LayoutFilter>::Adopt(new LayoutFilter);
    ChainOutcome outcome = RunFilter(filter.Get(), TwoUpJob(pages), options);
    EXPECT_EQ(outcome.filters[0].startResult, E_OUTOFMEMORY);
    return outcome.filters[0].shutdownNotes;
}

TEST(LayoutFailures, TheUserLearnsWhichPageCouldNotBeLaidOut)
{
    // A sheet is made when its first page comes: pages 1 and 3 of a 2-up job.
    EXPECT_EQ(
        NotesOfRunWith(0, 2),
        std::vector<std::string>{"/Documents/1/Pages/1.fpage: the page cannot be laid out on a sheet: out of memory"});
    EXPECT_EQ(
        NotesOfRunWith(1, 3),
        std::vector<std::string>{"/Documents/1/Pages/3.fpage: the page cannot be laid out on a sheet: out of memory"});
}

}  // namespace
