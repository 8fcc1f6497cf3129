// filterdemo: loads the four filter modules with dlopen, runs them as a chain
// (one thread per filter) over a generated job in memory and prints what
// reached the final consumer.
//
//   filterdemo [DOCUMENTS [PAGES-PER-DOCUMENT]]
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "filtercore/filter_classes.h"
#include "platform/wformat.h"
#include "testsupport/filter_module.h"
#include "testsupport/filter_runner.h"
#include "testsupport/parts.h"
#include "testsupport/sample_job.h"

namespace {

struct ChainEntry {
    const char* module;
    const CLSID* clsid;
};

constexpr ChainEntry kChain[] = {
    {"tavprep", &CLSID_PreparationFilter},
    {"tavord", &CLSID_OrderFilter},
    {"tavlay", &CLSID_LayoutFilter},
    {"tavfin", &CLSID_FinisherFilter},
};

int PositiveArgument(int argc, char** argv, int index, int fallback)
{
    if (index >= argc) return fallback;
    int value = std::atoi(argv[index]);
    return value > 0 && value <= 1000 ? value : fallback;
}

void PrintPart(const testsupport::ConsumerCall& call)
{
    std::printf("  %-26s %s", testsupport::ConsumerCallName(call.kind), WideToUtf8(call.uri).c_str());
    if (testsupport::TestPart* part = testsupport::AsTestPart(call.part.Get())) {
        if (!part->Content().empty()) std::printf("  (%zu bytes)", part->Content().size());
        if (auto* page = dynamic_cast<testsupport::FixedPagePart*>(part)) {
            for (const std::u16string& resource : page->ResourceUris())
                std::printf("\n  %-26s   + %s", "", WideToUtf8(resource).c_str());
        }
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv)
{
    testsupport::SampleJobShape shape;
    shape.documents = PositiveArgument(argc, argv, 1, 2);
    shape.pagesPerDocument = PositiveArgument(argc, argv, 2, 3);

    std::vector<std::unique_ptr<testsupport::FilterModule>> modules;
    std::vector<ComPtr<IPrintPipelineFilter>> filters;
    std::vector<IPrintPipelineFilter*> chain;
    for (const ChainEntry& entry : kChain) {
        std::string path = testsupport::ModulePath(entry.module);
        modules.push_back(std::make_unique<testsupport::FilterModule>(path));
        if (!modules.back()->Loaded()) {
            std::fprintf(stderr, "filterdemo: %s\n", modules.back()->Error().c_str());
            return 1;
        }
        filters.push_back(modules.back()->CreateFilter(*entry.clsid));
        if (!filters.back()) {
            std::fprintf(stderr, "filterdemo: %s: no filter object for its class identifier\n", path.c_str());
            return 1;
        }
        chain.push_back(filters.back().Get());
    }

    std::printf("filterdemo: %d document(s) of %d page(s) through", shape.documents, shape.pagesPerDocument);
    for (const ChainEntry& entry : kChain) std::printf(" %s", entry.module);
    std::printf("\n");

    testsupport::ChainOutcome outcome = testsupport::RunChain(chain, testsupport::MakeSampleJob(shape));

    bool failed = false;
    for (size_t i = 0; i < outcome.filters.size(); ++i) {
        const testsupport::FilterOutcome& filter = outcome.filters[i];
        std::printf("%-8s StartOperation 0x%08X, FilterFinished %d\n", kChain[i].module,
                    static_cast<unsigned>(filter.startResult), filter.filterFinishedCount);
        failed = failed || FAILED(filter.initializeResult) || FAILED(filter.startResult);
    }
    std::printf("final consumer received:\n");
    for (const testsupport::ConsumerCall& call : outcome.consumer->Calls()) PrintPart(call);

    // Release the filters before their modules are unloaded.
    outcome.consumer.Reset();
    chain.clear();
    filters.clear();
    modules.clear();
    return failed ? 1 : 0;
}
