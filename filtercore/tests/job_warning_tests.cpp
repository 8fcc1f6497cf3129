// A warning reaches a manager control that listens for warnings, and is
// dropped quietly by one that does not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filtercore/job_warning.h"
#include "platform/comobject.h"
#include "platform/pipeline_warnings.h"

namespace {

class Control : public ComObject<IPrintPipelineManagerControl, IPrintPipelineWarningReport> {
public:
    explicit Control(bool listens) : listens_(listens) {}
    HRESULT RequestShutdown(HRESULT, IImgErrorInfo*) override { return S_OK; }
    HRESULT FilterFinished() override { return S_OK; }
    HRESULT ReportWarning(const WCHAR* part, const WCHAR* text) override
    {
        heard.push_back(std::u16string(part) + u"|" + text);
        return S_OK;
    }
    std::vector<std::u16string> heard;

protected:
    void* InterfaceFor(REFIID riid) override
    {
        if (riid == IID_IPrintPipelineManagerControl) return static_cast<IPrintPipelineManagerControl*>(this);
        if (riid == IID_IPrintPipelineWarningReport && listens_) return static_cast<IPrintPipelineWarningReport*>(this);
        return nullptr;
    }

private:
    bool listens_;
};

TEST(JobWarning, ReachesAControlThatListensAndIsDroppedByOneThatDoesNot)
{
    auto listening = ComPtr<Control>::Adopt(new Control(true));
    ReportJobWarning(listening.Get(), u"/Pages/1.fpage", u"the image is damaged");
    EXPECT_EQ(listening->heard, std::vector<std::u16string>{u"/Pages/1.fpage|the image is damaged"});

    auto deaf = ComPtr<Control>::Adopt(new Control(false));
    ReportJobWarning(deaf.Get(), u"", u"the image is damaged");
    EXPECT_TRUE(deaf->heard.empty());
    ReportJobWarning(nullptr, u"", u"no control at all");
}

}  // namespace
