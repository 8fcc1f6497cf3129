// Telling the user something about a job that goes on, through the warning
// report the pipeline's manager control offers (platform/pipeline_warnings.h).
// Failures that end the job travel with the shutdown request instead
// (failure_note.h).
#pragma once

#include <string_view>

#include "platform/pipeline.h"

// Gives the warning to the host, if it listens for warnings; never fails.
void ReportJobWarning(IPrintPipelineManagerControl* control, std::u16string_view part,
                      std::u16string_view text) noexcept;
