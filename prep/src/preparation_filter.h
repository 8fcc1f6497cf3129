// PreparationFilter: the filter object of tavprep (page scaling, watermarks, header and footer).
// It overrides no hook yet: every part passes through unchanged.
#pragma once

#include "filtercore/pipeline_filter_base.h"

class PreparationFilter : public PipelineFilterBase {};
