// A warning a filter gives about a job that goes on: something the user
// should know although the job succeeds ("the watermark image cannot be
// loaded; the pages print without it"). The pipeline's manager control
// offers this interface next to IPrintPipelineManagerControl; a host that
// does not offer it simply hears no warnings.
#pragma once

#include "platform/unknown.h"

constexpr IID IID_IPrintPipelineWarningReport = {
    0x6F1D3A52, 0x94C7, 0x4E0B, {0xA3, 0x1E, 0x5C, 0x27, 0xD8, 0x40, 0xB9, 0x16}};

struct IPrintPipelineWarningReport : IUnknown {
    // The part the warning concerns (null or empty for the job) and what the
    // user should know. The host shows each distinct warning once.
    virtual HRESULT ReportWarning(const WCHAR* part, const WCHAR* text) = 0;

protected:
    ~IPrintPipelineWarningReport() = default;
};
