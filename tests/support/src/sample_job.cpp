#include "testsupport/sample_job.h"

#include <string>

#include "platform/wformat.h"
#include "testsupport/parts.h"

namespace testsupport {

namespace {

constexpr char kJobTicket[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<psf:PrintTicket xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" "
    "xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" version=\"1\">"
    "<psf:Feature name=\"psk:JobCopiesAllDocuments\"/></psf:PrintTicket>\n";

// A minimal PNG signature followed by filler: enough for parts that are only
// passed along.
std::string ImageBytes() { return std::string("\x89PNG\r\n\x1a\n", 8) + std::string(56, '\0'); }

std::u16string Wide(const std::string& text) { return Utf8ToWide(text); }

}  // namespace

std::string SamplePageMarkup(int page)
{
    return "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" Width=\"816\" Height=\"1056\" "
           "xml:lang=\"en-US\"><!-- page " +
           std::to_string(page) +
           " --><Path Data=\"M 96,96 L 720,96 720,160 96,160 Z\" Fill=\"#FF336699\"/></FixedPage>";
}

std::vector<ComPtr<IUnknown>> MakeSampleJob(const SampleJobShape& shape)
{
    std::vector<ComPtr<IUnknown>> parts;
    parts.push_back(Unknown(MakePart<XpsDocumentPart>()));
    auto sequence = MakePart<FixedDocumentSequencePart>(u"/FixedDocumentSequence.fdseq");
    if (shape.tickets) sequence->SetPrintTicket(MakePart<PrintTicketPart>(u"/Metadata/Job_PT.xml", kJobTicket).Get());
    parts.push_back(Unknown(sequence));

    int pageNumber = 0;
    for (int d = 1; d <= shape.documents; ++d) {
        std::string folder = "/Documents/" + std::to_string(d);
        parts.push_back(Unknown(MakePart<FixedDocumentPart>(Wide(folder + "/FixedDocument.fdoc"))));
        for (int p = 1; p <= shape.pagesPerDocument; ++p) {
            ++pageNumber;
            auto page = MakePart<FixedPagePart>(Wide(folder + "/Pages/" + std::to_string(p) + ".fpage"),
                                                SamplePageMarkup(pageNumber));
            if (shape.resources) {
                page->SetPagePart(
                    MakePart<ImagePart>(Wide(folder + "/Resources/Images/" + std::to_string(p) + ".png"), ImageBytes())
                        .Get());
                if (p == 1)
                    page->SetPagePart(
                        MakePart<FontPart>(Wide(folder + "/Resources/Fonts/Sample.odttf"), std::string(128, 'F'))
                            .Get());
            }
            if (shape.tickets && p == 1)
                page->SetPrintTicket(
                    MakePart<PrintTicketPart>(Wide(folder + "/Pages/" + std::to_string(p) + "_PT.xml"), kJobTicket)
                        .Get());
            parts.push_back(Unknown(page));
        }
    }
    return parts;
}

}  // namespace testsupport
