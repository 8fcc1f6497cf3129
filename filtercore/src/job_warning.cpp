#include "filtercore/job_warning.h"

#include <new>
#include <string>

#include "platform/comobject.h"
#include "platform/pipeline_warnings.h"

void ReportJobWarning(IPrintPipelineManagerControl* control, std::u16string_view part,
                      std::u16string_view text) noexcept
{
    if (control == nullptr) return;
    ComPtr<IPrintPipelineWarningReport> report;
    if (FAILED(control->QueryInterface(IID_IPrintPipelineWarningReport, report.OutVoid())) || !report) return;
    try {
        report->ReportWarning(std::u16string(part).c_str(), std::u16string(text).c_str());
    } catch (const std::bad_alloc&) {
        // A warning that cannot be stored is dropped: the job goes on.
    }
}
