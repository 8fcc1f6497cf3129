// FinisherFilter: the filter object of tavfin (transverse feed, mirror and reverse images, poster cut-out lines).
// It overrides no hook yet: every part passes through unchanged.
#pragma once

#include "filtercore/pipeline_filter_base.h"

class FinisherFilter : public PipelineFilterBase {};
