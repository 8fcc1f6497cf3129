// A generated print job in memory: the XPS document part, the
// FixedDocumentSequence, then each FixedDocument followed by its pages, in
// reading order, as a pipeline's first provider yields them.
#pragma once

#include <string>
#include <vector>

#include "platform/comobject.h"

namespace testsupport {

struct SampleJobShape {
    int documents = 1;
    int pagesPerDocument = 2;
    // A job ticket on the sequence and a ticket on the first page.
    bool tickets = true;
    // An image attached to every page and a font to the first page of each
    // document.
    bool resources = true;
};

// Part names: /FixedDocumentSequence.fdseq, /Documents/<d>/FixedDocument.fdoc,
// /Documents/<d>/Pages/<p>.fpage, /Documents/<d>/Resources/... (d and p from 1).
std::vector<ComPtr<IUnknown>> MakeSampleJob(const SampleJobShape& shape = {});

// The markup of a Letter-size FixedPage with one filled rectangle and the
// page number as a comment.
std::string SamplePageMarkup(int page);

}  // namespace testsupport
