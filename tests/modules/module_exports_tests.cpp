// Each filter module loaded with dlopen: its exports, its filter object, its
// event trace, and a job passed through it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "filtercore/filter_classes.h"
#include "platform/gdiplus.h"
#include "testsupport/filter_module.h"
#include "testsupport/filter_runner.h"
#include "testsupport/parts.h"
#include "testsupport/sample_job.h"

namespace {

using namespace testsupport;

struct ModuleCase {
    const char* name;
    const CLSID* clsid;
    // Another module's class, foreign to this one.
    const CLSID* foreign;
};

void PrintTo(const ModuleCase& module, std::ostream* out) { *out << module.name; }

// The names a module exports, as nm lists them.
std::set<std::string> ExportedNames(const std::string& path)
{
    std::string command = "nm -D --defined-only '" + path + "'";
    FILE* pipe = popen(command.c_str(), "r");
    EXPECT_NE(pipe, nullptr);
    std::set<std::string> names;
    if (pipe == nullptr) return names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
        names.insert(text.substr(text.rfind(' ') + 1));
    }
    EXPECT_EQ(pclose(pipe), 0) << command;
    return names;
}

class FilterModuleTest : public ::testing::TestWithParam<ModuleCase> {
protected:
    void SetUp() override
    {
        path_ = ModulePath(GetParam().name);
        module_ = std::make_unique<FilterModule>(path_);
        ASSERT_TRUE(module_->Loaded()) << module_->Error();
    }
    void TearDown() override { module_.reset(); }

    std::string path_;
    std::unique_ptr<FilterModule> module_;
};

TEST_P(FilterModuleTest, OwnClassGivesAFilterWithOneReference)
{
    void* object = nullptr;
    ASSERT_EQ(module_->DllGetClassObject(*GetParam().clsid, IID_IPrintPipelineFilter, &object), S_OK);
    ASSERT_NE(object, nullptr);
    auto* filter = static_cast<IPrintPipelineFilter*>(object);
    EXPECT_EQ(filter->AddRef(), 2u);
    EXPECT_EQ(filter->Release(), 1u);

    void* unknown = nullptr;
    ASSERT_EQ(filter->QueryInterface(IID_IUnknown, &unknown), S_OK);
    EXPECT_EQ(unknown, object);
    static_cast<IUnknown*>(unknown)->Release();

    // Nothing keeps the module loaded, not even a living object.
    EXPECT_EQ(module_->DllCanUnloadNow(), S_OK);
    EXPECT_EQ(filter->Release(), 0u);
}

TEST_P(FilterModuleTest, ClassFactoryIsRefusedAndTheObjectDestroyed)
{
    const int startups = Gdiplus::GdiplusActiveStartups();
    void* object = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(module_->DllGetClassObject(*GetParam().clsid, IID_IClassFactory, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    // Each filter object starts GDI+ for its life: none is left running.
    EXPECT_EQ(Gdiplus::GdiplusActiveStartups(), startups);
}

TEST_P(FilterModuleTest, ForeignClassIsNotAvailable)
{
    void* object = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(module_->DllGetClassObject(*GetParam().foreign, IID_IPrintPipelineFilter, &object),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(module_->DllGetClassObject(*GetParam().clsid, IID_IPrintPipelineFilter, nullptr), E_POINTER);
}

TEST_P(FilterModuleTest, ExportsExactlyTheThreeModuleFunctions)
{
    EXPECT_EQ(ExportedNames(path_), (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllMain"}));
}

TEST_P(FilterModuleTest, PassesAJobThroughUnchanged)
{
    ComPtr<IPrintPipelineFilter> filter = module_->CreateFilter(*GetParam().clsid);
    ASSERT_TRUE(filter);
    std::vector<ComPtr<IUnknown>> job = MakeSampleJob({2, 2, true, true});
    ChainOutcome outcome = RunFilter(filter.Get(), job);
    EXPECT_EQ(outcome.filters[0].startResult, S_OK);
    EXPECT_EQ(outcome.filters[0].filterFinishedCount, 1);
    std::vector<ComPtr<IUnknown>> sent = outcome.consumer->SentParts();
    ASSERT_EQ(sent.size(), job.size());
    for (size_t i = 0; i < job.size(); ++i) EXPECT_EQ(AsTestPart(sent[i].Get()), AsTestPart(job[i].Get()));
    EXPECT_EQ(outcome.consumer->Kinds().back(), ConsumerCallKind::CloseSender);
    filter.Reset();
}

TEST_P(FilterModuleTest, RunsFromTheModuleAlone)
{
    module_.reset();
    ChainOutcome outcome = RunFilterModule(GetParam().name, *GetParam().clsid, MakeSampleJob({1, 1, false, false}));
    EXPECT_EQ(outcome.filters[0].startResult, S_OK);
    EXPECT_EQ(outcome.consumer->Transcript(),
              (std::vector<std::string>{"SendXpsDocument /", "SendFixedDocumentSequence /FixedDocumentSequence.fdseq",
                                        "SendFixedDocument /Documents/1/FixedDocument.fdoc",
                                        "SendFixedPage /Documents/1/Pages/1.fpage", "CloseSender"}));
}

// Loading and unloading the module in a child process with TAV_TRACE set
// writes the attach and detach messages to the trace file.
TEST_P(FilterModuleTest, LoadAndUnloadAreTraced)
{
    std::string trace = ::testing::TempDir() + "module_" + GetParam().name + "_" + std::to_string(getpid()) + ".log";
    std::remove(trace.c_str());
    module_.reset();

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("TAV_TRACE", trace.c_str(), 1);
        unsetenv("TAV_TRACE_FLAGS");
        {
            FilterModule loaded(path_);
        }
        std::exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    std::ifstream in(trace);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::remove(trace.c_str());
    ASSERT_EQ(lines.size(), 2u);
    const std::string pid = " pid=" + std::to_string(child) + " ";
    EXPECT_NE(lines[0].find(" msg=10" + pid), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(std::string("\"") + GetParam().name + " attached\""), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find(" msg=11" + pid), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find(std::string("\"") + GetParam().name + " detached\""), std::string::npos) << lines[1];
}

INSTANTIATE_TEST_SUITE_P(Modules, FilterModuleTest,
                         ::testing::Values(ModuleCase{"tavprep", &CLSID_PreparationFilter, &CLSID_OrderFilter},
                                           ModuleCase{"tavord", &CLSID_OrderFilter, &CLSID_LayoutFilter},
                                           ModuleCase{"tavlay", &CLSID_LayoutFilter, &CLSID_FinisherFilter},
                                           ModuleCase{"tavfin", &CLSID_FinisherFilter, &CLSID_PreparationFilter}),
                         [](const ::testing::TestParamInfo<ModuleCase>& info) { return std::string(info.param.name); });

TEST(FilterClasses, EveryModuleHasItsOwnClass)
{
    const CLSID* classes[] = {&CLSID_PreparationFilter, &CLSID_OrderFilter, &CLSID_LayoutFilter, &CLSID_FinisherFilter,
                              &CLSID_RipFilter};
    for (size_t i = 0; i < 5; ++i) {
        for (size_t j = i + 1; j < 5; ++j) EXPECT_NE(*classes[i], *classes[j]);
    }
}

// The rip filter is the last of a chain and writes no XPS parts, so the
// pass-through tests above are not its; it also exports the converter's
// three resource callbacks and the manual duplex start, and nothing else.
TEST(RipModule, ExportsTheModuleFunctionsAndTheResourceCallbacks)
{
    std::string path = ModulePath("tavrip");
    EXPECT_EQ(ExportedNames(path),
              (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject", "DllMain", "GetXPSFontData",
                                     "GetXPSICCData", "GetXPSImageData", "StartManualDuplex"}));
    FilterModule module(path);
    ASSERT_TRUE(module.Loaded()) << module.Error();
    void* object = nullptr;
    ASSERT_EQ(module.DllGetClassObject(CLSID_RipFilter, IID_IPrintPipelineFilter, &object), S_OK);
    EXPECT_EQ(static_cast<IPrintPipelineFilter*>(object)->Release(), 0u);
    EXPECT_EQ(module.DllGetClassObject(CLSID_LayoutFilter, IID_IPrintPipelineFilter, &object),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(module.DllGetClassObject(CLSID_RipFilter, IID_IClassFactory, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
}

}  // namespace
