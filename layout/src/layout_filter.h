// LayoutFilter: the filter object of tavlay (imposition of pages on sheets).
// It overrides no hook yet: every part passes through unchanged.
#pragma once

#include "filtercore/pipeline_filter_base.h"

class LayoutFilter : public PipelineFilterBase {};
