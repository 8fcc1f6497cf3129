// The names of the parts the layout filter makes: "/LO_NUpPage_<n>.xml" for
// a sheet and "/LO_Empty_<n>.xml" for an empty side, numbered from the
// module's name sequence so that no name repeats within a job, however fast
// pages arrive (CreateUnderNewName draws again should one be taken).
#pragma once

#include "filtercore/heap_string.h"
#include "filtercore/part_names.h"

HeapWideString SheetPartName(const PartNameNumbers& numbers);
HeapWideString EmptySidePartName(const PartNameNumbers& numbers);
