#include "finisher_test_support.h"

#include "filtercore/page_rewrite.h"
#include "finisher_page_writer.h"
#include "testsupport/parts.h"

namespace finishertest {

namespace {

std::string Value(const std::string& type, const std::string& text)
{
    return "<psf:Value xsi:type=\"xsd:" + type + "\">" + text + "</psf:Value>";
}

std::string Feature(const std::string& name, const std::string& option, const std::string& content = "")
{
    return "<psf:Feature name=\"" + name + "\"><psf:Option name=\"" + option + "\">" + content +
           "</psf:Option></psf:Feature>";
}

std::string IntegerScored(const std::string& name, int value)
{
    return "<psf:ScoredProperty name=\"psk:" + name + "\">" + Value("integer", std::to_string(value)) +
           "</psf:ScoredProperty>";
}

}  // namespace

std::string Ticket(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<psf:PrintTicket version=\"1\""
           " xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\""
           " xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\""
           " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
           " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
           " xmlns:ns0000=\"http://schemas.tavprint.example/quix/printing/2006/11/printschemakeywords\">" +
           body + "</psf:PrintTicket>";
}

std::string Media(const std::string& name, int width, int height)
{
    return Feature("psk:PageMediaSize", "psk:" + name,
                   IntegerScored("MediaSizeWidth", width) + IntegerScored("MediaSizeHeight", height));
}

std::string Orientation(const std::string& name) { return Feature("psk:PageOrientation", "psk:" + name); }

std::string Transverse(const std::string& mode)
{
    return "<psf:Property name=\"ns0000:PageMediaSizeData\"><psf:Property name=\"ns0000:TransverseMode\">" +
           Value("string", mode) + "</psf:Property></psf:Property>";
}

std::string Mirror(const std::string& option) { return Feature("psk:PageMirrorImage", "psk:" + option); }

std::string ReverseImage(const std::string& mode) { return Feature("ns0000:PageReverseImage", "ns0000:" + mode); }

std::string PosterCutOutLines()
{
    return "<psf:Feature name=\"psk:PagePoster\"><psf:Option>" + IntegerScored("SheetsPerPage", 4) + "</psf:Option>" +
           Feature("ns0000:PagePrintCutOutLine", "ns0000:On") + "</psf:Feature>";
}

Rewritten RewritePage(const std::string& markup, const FinisherSettings& settings)
{
    auto page = testsupport::MakePart<testsupport::FixedPagePart>(u"/Documents/1/Pages/1.fpage", markup);
    Rewritten rewritten;
    rewritten.result = RewriteFixedPage(
        page.Get(), [&settings](IPrintWriteStream* stream) { return new FinisherPageWriter(stream, settings); });
    rewritten.markup = page->Content();
    return rewritten;
}

std::string FixedPage(const std::string& attributes, const std::string& body)
{
    return std::string("<FixedPage xmlns=\"") + kXpsNamespace + "\" " + attributes + ">" + body + "</FixedPage>";
}

}  // namespace finishertest
