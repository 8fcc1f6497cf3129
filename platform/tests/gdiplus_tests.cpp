// GDI+ start-up and shut-down.
#include <gtest/gtest.h>

#include "platform/gdiplus.h"

namespace {

using namespace Gdiplus;

TEST(GdiplusStartup, CountsEachStartupUntilItsShutdown)
{
    GdiplusStartupInput input;
    ULONG_PTR first = 0;
    ULONG_PTR second = 0;
    ASSERT_EQ(GdiplusStartup(&first, &input, nullptr), Ok);
    ASSERT_EQ(GdiplusStartup(&second, &input, nullptr), Ok);
    EXPECT_NE(first, second);
    EXPECT_EQ(GdiplusActiveStartups(), 2);
    GdiplusShutdown(first);
    GdiplusShutdown(first);  // a second shutdown of one token changes nothing
    GdiplusShutdown(0);
    EXPECT_EQ(GdiplusActiveStartups(), 1);
    GdiplusShutdown(second);
    EXPECT_EQ(GdiplusActiveStartups(), 0);
}

TEST(GdiplusStartup, RejectsBadInput)
{
    GdiplusStartupInput input;
    ULONG_PTR token = 99;
    EXPECT_EQ(GdiplusStartup(nullptr, &input, nullptr), InvalidParameter);
    EXPECT_EQ(GdiplusStartup(&token, nullptr, nullptr), InvalidParameter);
    input.GdiplusVersion = 2;
    EXPECT_EQ(GdiplusStartup(&token, &input, nullptr), UnsupportedGdiplusVersion);
    EXPECT_EQ(token, 0u);
    input.GdiplusVersion = 1;
    input.SuppressBackgroundThread = TRUE;
    EXPECT_EQ(GdiplusStartup(&token, &input, nullptr), InvalidParameter);
    EXPECT_EQ(GdiplusActiveStartups(), 0);
}

TEST(GdiplusStartup, SuppressedBackgroundThreadGetsHookFunctions)
{
    GdiplusStartupInput input;
    input.SuppressBackgroundThread = TRUE;
    GdiplusStartupOutput output{};
    ULONG_PTR token = 0;
    ASSERT_EQ(GdiplusStartup(&token, &input, &output), Ok);
    ASSERT_NE(output.NotificationHook, nullptr);
    ASSERT_NE(output.NotificationUnhook, nullptr);
    ULONG_PTR hookToken = 1;
    EXPECT_EQ(output.NotificationHook(&hookToken), Ok);
    output.NotificationUnhook(hookToken);
    GdiplusShutdown(token);
}

TEST(GdiplusStartup, InjectedFailureFailsUntilCleared)
{
    GdiplusStartupInput input;
    ULONG_PTR token = 0;
    GdiplusFailStartupForTesting(true);
    EXPECT_EQ(GdiplusStartup(&token, &input, nullptr), GenericError);
    EXPECT_EQ(GdiplusActiveStartups(), 0);
    GdiplusFailStartupForTesting(false);
    EXPECT_EQ(GdiplusStartup(&token, &input, nullptr), Ok);
    GdiplusShutdown(token);
}

}  // namespace
