#include "jobgen/job_spec.h"

#include <stdexcept>

#include "jobgen/file_reading.h"

namespace jobgen {

namespace {

std::invalid_argument TooManyPages()
{
    return std::invalid_argument("more than " + std::to_string(kMaxPages) + " pages");
}

}  // namespace

JobSpec MakeJob(int documents, int pagesPerDocument, PageSize size)
{
    if (documents < 0 || pagesPerDocument < 0) throw std::invalid_argument("negative document or page count");
    if (static_cast<long>(documents) * pagesPerDocument > kMaxPages) throw TooManyPages();
    JobSpec job;
    job.documents.resize(documents);
    for (DocumentSpec& document : job.documents) document.pages.resize(pagesPerDocument, PageSpec{size, {}});
    return job;
}

int TotalPages(const JobSpec& job)
{
    size_t pages = 0;
    for (const DocumentSpec& document : job.documents) pages += document.pages.size();
    return static_cast<int>(pages);
}

void ValidateJob(const JobSpec& job)
{
    if (job.documents.empty()) throw std::invalid_argument("the job has no document");
    size_t pages = 0;
    for (size_t d = 0; d < job.documents.size(); ++d) {
        const DocumentSpec& document = job.documents[d];
        if (document.pages.empty()) throw std::invalid_argument("document " + std::to_string(d + 1) + " has no page");
        pages += document.pages.size();
        for (size_t p = 0; p < document.pages.size(); ++p) {
            if (!IsUsablePageSize(document.pages[p].size))
                throw std::invalid_argument("page " + std::to_string(p + 1) + " of document " + std::to_string(d + 1) +
                                            ": page size outside " + std::to_string(int(kMinPageSide)) + ".." +
                                            std::to_string(int(kMaxPageSide)) + " units");
        }
    }
    if (pages > static_cast<size_t>(kMaxPages)) throw TooManyPages();
    if (job.extraElements < 0 || job.extraElements > kMaxExtraElements)
        throw std::invalid_argument("extra elements per page outside 0.." + std::to_string(kMaxExtraElements));
}

std::string ReadTextFile(const std::string& path)
{
    constexpr uintmax_t kMaxTextSize = 64u << 20;
    std::vector<uint8_t> bytes = ReadFileBytes(path, kMaxTextSize);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace jobgen
