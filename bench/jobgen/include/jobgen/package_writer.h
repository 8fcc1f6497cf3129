// Writing a generated job as an XPS or OpenXPS package.
//
// Part names: /FixedDocumentSequence.fdseq, /Documents/D/FixedDocument.fdoc,
// /Documents/D/Pages/P.fpage, tickets under /Metadata and
// /Documents/D/Metadata, fonts and images under /Resources; each part with
// relationships has its _rels part. Pages are generated and written one at a
// time, so memory does not grow with the page count.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "jobgen/job_spec.h"

namespace jobgen {

struct JobSummary {
    int documents = 0;
    int pages = 0;
    size_t zipEntries = 0;
    uint64_t bytes = 0;
};

// Called after each page with the pages written so far and in all.
using ProgressCallback = std::function<void(int written, int total)>;

// Throws std::invalid_argument for a job ValidateJob rejects and
// std::runtime_error when the font or the file cannot be read or written; a
// job that fails leaves no file at `path`.
JobSummary WriteXpsJob(const JobSpec& job, const std::string& path, const ProgressCallback& progress = {});

// The GUID that names (and keys) the obfuscated font part.
inline constexpr const char* kFontGuid = "6F1D2E4A-0B7A-4E8A-9C3B-3F9C5D215B70";

}  // namespace jobgen
