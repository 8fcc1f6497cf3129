// Running the rip filter in the test's own thread over test parts, with the
// recording converter of the build as its converter, and reading what it
// recorded.
#pragma once

#include <string>
#include <vector>

#include "platform/comobject.h"
#include "platform/pipeline.h"
#include "platform/pipeline_warnings.h"
#include "testsupport/parts.h"
#include "testsupport/pipeline_doubles.h"

namespace riptest {

// The printer the tests' spooler knows, its job number and the job's
// document name.
inline constexpr char16_t kPrinter[] = u"tav test printer";
inline constexpr ULONG kJobId = 1;
inline constexpr char16_t kDocument[] = u"report.xps";

// The build's recording converter folder (lib/converters/trace) as the
// printer-driver directory, and the printer with its job in the spooler
// (status: printing).
void UseRecordingConverter();
// The job's status in the spooler, JOB_STATUS_DELETING to delete it.
void SetJobStatus(DWORD status);

// What the pipeline heard from the filter.
class RipControl : public ComObject<IPrintPipelineManagerControl, IPrintPipelineWarningReport> {
public:
    HRESULT RequestShutdown(HRESULT reason, IImgErrorInfo* errorInfo) override;
    HRESULT FilterFinished() override;
    HRESULT ReportWarning(const WCHAR* part, const WCHAR* text) override;

    std::vector<HRESULT> shutdowns;
    std::u16string failurePart;
    std::u16string failureReason;
    std::vector<std::u16string> warnings;
    int finished = 0;

protected:
    void* InterfaceFor(REFIID riid) override;
};

struct RipRun {
    HRESULT startResult = E_FAIL;
    ComPtr<RipControl> control;
    // The printer stream, as the writer received it.
    std::string stream;
    int writerCloses = 0;
};

// The default bag of the test doubles: the printer, job 1, the default
// device's ticket.
ComPtr<testsupport::TestPropertyBag> RipPropertyBag();

// Makes a rip filter, initialises it with the bag and runs StartOperation.
RipRun RunRip(const std::vector<ComPtr<IUnknown>>& parts, testsupport::TestPropertyBag* bag = nullptr);

// The parts of a job with one document: the sequence, the document and the
// pages given.
std::vector<ComPtr<IUnknown>> Job(const std::vector<ComPtr<testsupport::FixedPagePart>>& pages);

// A page of the given markup inside a FixedPage of 816 x 1056 units, with
// the page's namespace declared.
ComPtr<testsupport::FixedPagePart> Page(int number, const std::string& content);
// A page ticket asking for the orientation (Print Schema keyword).
void SetOrientation(testsupport::FixedPagePart* page, const std::string& orientation);

// The stream's lines, and those of one page's section ("page N" up to the
// next page or the end), with its "page N" line.
std::vector<std::string> Lines(const std::string& stream);
std::vector<std::string> PageSection(const std::string& stream, int page);
// The lines of a section that begin with one of the words (each word
// followed by a blank, or the whole line).
std::vector<std::string> Only(const std::vector<std::string>& lines, const std::vector<std::string>& words);

}  // namespace riptest
