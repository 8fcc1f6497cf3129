// OrderFilter: the filter object of tavord (booklet page order).
// It overrides no hook yet: every part passes through unchanged.
#pragma once

#include "filtercore/pipeline_filter_base.h"

class OrderFilter : public PipelineFilterBase {};
