// The note of a failure's part and reason, and the error information the
// part loop hands to the pipeline with it.
#include <gtest/gtest.h>

#include <string>

#include "filtercore/failure_note.h"
#include "platform/wformat.h"
#include "platform/xml.h"

namespace {

std::string Text(BSTR text)
{
    std::string utf8 = WideToUtf8(text);
    SysFreeString(text);
    return utf8;
}

TEST(FailureNote, TheFirstNoteOfAFailureIsHandedOnWithIt)
{
    ClearFailureNote();
    NoteFailure(E_FAIL, u"/Documents/1/Pages/2_PT.xml", u"not well-formed XML (line 3)");
    // A later note (the callers passing the failure on) does not replace it.
    NoteFailure(E_FAIL, u"/Documents/1/Pages/2.fpage", u"failed (0x80004005)");

    IImgErrorInfo* info = MakeErrorInfo(E_FAIL);
    ASSERT_NE(info, nullptr);
    BSTR source = nullptr;
    BSTR description = nullptr;
    EXPECT_EQ(info->GetSource(&source), S_OK);
    EXPECT_EQ(info->GetDescription(&description), S_OK);
    EXPECT_EQ(Text(source), "/Documents/1/Pages/2_PT.xml");
    EXPECT_EQ(Text(description), "not well-formed XML (line 3)");
    info->Release();

    // A note made for another failure says nothing about this one.
    EXPECT_EQ(MakeErrorInfo(E_OUTOFMEMORY), nullptr);
    ClearFailureNote();
    EXPECT_EQ(MakeErrorInfo(E_FAIL), nullptr);
}

TEST(FailureNote, AStepSaysWhatItDidUnlessAStepBelowSaidMore)
{
    auto description = [] {
        std::optional<FailureNote> failure = FailureNoteFor(E_INVALIDARG);
        return failure ? WideToUtf8(failure->part) + ": " + WideToUtf8(failure->reason) : std::string("none");
    };
    ClearFailureNote();
    // A note that tells only the HRESULT gives way.
    NoteFailure(E_INVALIDARG, u"/1.fpage", u"failed (0x80070057)");
    NoteStepFailure(E_INVALIDARG, u"/1.fpage", u"a padding page of this page's size cannot be made");
    EXPECT_EQ(description(), "/1.fpage: a padding page of this page's size cannot be made: failed (0x80070057)");
    // Its note is kept against the callers'.
    NoteStepFailure(E_INVALIDARG, u"/2.fpage", u"the page cannot be sent on");
    EXPECT_EQ(description(), "/1.fpage: a padding page of this page's size cannot be made: failed (0x80070057)");

    // A reason of its own is kept against a step's.
    ClearFailureNote();
    NoteFailure(E_INVALIDARG, u"/1_PT.xml", u"not well-formed XML (line 3)");
    NoteStepFailure(E_INVALIDARG, u"/1.fpage", u"the page cannot be sent on");
    EXPECT_EQ(description(), "/1_PT.xml: not well-formed XML (line 3)");
    ClearFailureNote();
}

TEST(FailureNote, PlatformFailuresAreDescribedForTheUser)
{
    EXPECT_EQ(WideToUtf8(DescribeFailure(XML_E_PARSE_FAILED)), "not well-formed XML");
    EXPECT_EQ(WideToUtf8(DescribeFailure(E_OUTOFMEMORY)), "out of memory");
    EXPECT_EQ(WideToUtf8(DescribeFailure(static_cast<HRESULT>(0x80070005))), "failed (0x80070005)");
}

}  // namespace
