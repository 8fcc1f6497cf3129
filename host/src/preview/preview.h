// tavpipe preview: the sheets a job would print, as images to look at
// before printing, as print dialogs show them. The job runs through the
// same chain and options as it would print, to PDF; each sheet side is
// then drawn at 96 pixels per inch (one pixel per XPS unit).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "job/job.h"

namespace tav::host {

// Runs request's job and writes into the folder request.output (made when
// missing) sheet-N.png for each sheet of a one-sided job, sheet-N-front.png
// and sheet-N-back.png for a two-sided one, and contact.png of the first
// sheets. Images of an earlier preview of the same names are replaced, the
// ones of sheets this job does not have removed. The outcome is the job's;
// a folder that cannot be written fails it.
JobOutcome RunPreview(const JobRequest& request);

// Whether the options print on both sides of the sheet: sides two-sided-*,
// or a booklet.
bool PreviewTwoSided(const std::vector<std::pair<std::string, std::string>>& options);

}  // namespace tav::host
