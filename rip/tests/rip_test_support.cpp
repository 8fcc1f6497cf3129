#include "rip_test_support.h"

#include <cstdlib>
#include <sstream>

#include "platform/spooler.h"
#include "platform/wformat.h"
#include "rip_filter.h"
#include "testsupport/per_user_ticket.h"

using namespace testsupport;

namespace riptest {
namespace {

std::u16string TextOf(BSTR text)
{
    std::u16string copy = text == nullptr ? u"" : std::u16string(text, SysStringLen(text));
    SysFreeString(text);
    return copy;
}

const char kPageNamespace[] = "http://schemas.microsoft.com/xps/2005/06";

}  // namespace

void UseRecordingConverter()
{
    const char* build = std::getenv("TAV_BUILD_DIR");
    std::string folder = std::string(build != nullptr ? build : ".") + "/lib/converters/trace";
    SpoolerSetDriverDirectory(Utf8ToWide(folder).c_str());
    std::u16string driverName = u"tav print filters";
    DRIVER_INFO_2W driver{3, driverName.data(), nullptr, nullptr, nullptr, nullptr};
    SpoolerSetPrinterDriver(kPrinter, &driver);
    SetJobStatus(JOB_STATUS_PRINTING);
}

void SetJobStatus(DWORD status)
{
    std::u16string document = kDocument;
    JOB_INFO_1W job{};
    job.JobId = kJobId;
    job.pDocument = document.data();
    job.Status = status;
    SpoolerAddJob(kPrinter, &job);
}

HRESULT RipControl::RequestShutdown(HRESULT reason, IImgErrorInfo* errorInfo)
{
    shutdowns.push_back(reason);
    if (errorInfo != nullptr) {
        BSTR source = nullptr;
        BSTR description = nullptr;
        errorInfo->GetSource(&source);
        errorInfo->GetDescription(&description);
        failurePart = TextOf(source);
        failureReason = TextOf(description);
    }
    return S_OK;
}

HRESULT RipControl::FilterFinished()
{
    ++finished;
    return S_OK;
}

HRESULT RipControl::ReportWarning(const WCHAR* part, const WCHAR* text)
{
    warnings.push_back(text == nullptr ? u"" : text);
    return S_OK;
}

void* RipControl::InterfaceFor(REFIID riid)
{
    if (riid == IID_IPrintPipelineManagerControl) return static_cast<IPrintPipelineManagerControl*>(this);
    if (riid == IID_IPrintPipelineWarningReport) return static_cast<IPrintPipelineWarningReport*>(this);
    return nullptr;
}

ComPtr<TestPropertyBag> RipPropertyBag()
{
    auto bag = ComPtr<TestPropertyBag>::Adopt(new TestPropertyBag);
    bag->SetString(u"PrinterName", kPrinter);
    bag->SetUInt32(u"PrintJobId", kJobId);
    SetPerUserTicket(bag.Get(), DefaultDeviceTicket());
    return bag;
}

RipRun RunRip(const std::vector<ComPtr<IUnknown>>& parts, TestPropertyBag* bag)
{
    RipRun run;
    ComPtr<TestPropertyBag> ownBag = bag != nullptr ? ComPtr<TestPropertyBag>::Share(bag) : RipPropertyBag();
    auto output = std::make_shared<PartContent>();
    ComPtr<IPrintWriteStream> writer;
    OpenWriteStream(output, writer.Out());
    auto provider = ComPtr<InMemoryProvider>::Adopt(new InMemoryProvider(parts));
    auto communicator = ComPtr<TestCommunicator>::Adopt(new TestCommunicator(provider.Get(), writer.Get()));
    run.control = ComPtr<RipControl>::Adopt(new RipControl);
    {
        auto filter = ComPtr<RipFilter>::Adopt(new RipFilter);
        filter->InitializeFilter(communicator.Get(), ownBag.Get(), run.control.Get());
        run.startResult = filter->StartOperation();
    }
    run.stream = output->Bytes();
    run.writerCloses = output->CloseCount();
    return run;
}

std::vector<ComPtr<IUnknown>> Job(const std::vector<ComPtr<FixedPagePart>>& pages)
{
    std::vector<ComPtr<IUnknown>> parts = {
        Unknown(MakePart<FixedDocumentSequencePart>(u"/FixedDocumentSequence.fdseq")),
        Unknown(MakePart<FixedDocumentPart>(u"/Documents/1/FixedDocument.fdoc"))};
    for (const auto& page : pages) parts.push_back(Unknown(page));
    return parts;
}

ComPtr<FixedPagePart> Page(int number, const std::string& content)
{
    std::u16string uri = u"/Documents/1/Pages/" + Utf8ToWide(std::to_string(number)) + u".fpage";
    return MakePart<FixedPagePart>(uri, std::string("<FixedPage xmlns=\"") + kPageNamespace +
                                            "\" Width=\"816\" Height=\"1056\">" + content + "</FixedPage>");
}

void SetOrientation(FixedPagePart* page, const std::string& orientation)
{
    std::string ticket =
        "<psf:PrintTicket version=\"1\" "
        "xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" "
        "xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\">"
        "<psf:Feature name=\"psk:PageOrientation\"><psf:Option name=\"psk:" +
        orientation + "\"/></psf:Feature></psf:PrintTicket>";
    BSTR uri = nullptr;
    page->GetUri(&uri);
    std::u16string name = TextOf(uri) + u"_PT.xml";
    page->SetPrintTicket(MakePart<PrintTicketPart>(name, ticket).Get());
}

std::vector<std::string> Lines(const std::string& stream)
{
    std::vector<std::string> lines;
    std::istringstream in(stream);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> PageSection(const std::string& stream, int page)
{
    std::vector<std::string> section;
    bool inside = false;
    for (const std::string& line : Lines(stream)) {
        if (line.starts_with("page ") || line.starts_with("close ")) inside = line == "page " + std::to_string(page);
        if (inside) section.push_back(line);
    }
    return section;
}

std::vector<std::string> Only(const std::vector<std::string>& lines, const std::vector<std::string>& words)
{
    std::vector<std::string> kept;
    for (const std::string& line : lines) {
        for (const std::string& word : words) {
            if (line == word || line.starts_with(word + " ")) {
                kept.push_back(line);
                break;
            }
        }
    }
    return kept;
}

}  // namespace riptest
