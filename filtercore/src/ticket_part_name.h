// Names of the ticket parts a filter adds to the job.
#pragma once

#include "filtercore/heap_string.h"

// "/PT_<tag>_<tick count>_<number>.xml", relative to the package root. No
// two names of one module repeat (see the source for why). Raises
// CXDException.
HeapWideString NewTicketPartName(const WCHAR* tag);
