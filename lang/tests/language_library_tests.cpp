// The language library read through the platform's loader, as the filters
// read it: found by its bare name in the module folder, its strings by the
// identifiers the DataTimeID default names.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "lang/string_ids.h"
#include "platform/base.h"
#include "platform/library.h"
#include "platform/wformat.h"

namespace {

class LanguageLibrary : public testing::Test {
protected:
    void SetUp() override
    {
        module = LoadLibraryW(Utf8ToWide(tav::lang::kLibraryName).c_str());
        ASSERT_NE(module, nullptr) << "last error " << GetLastError();
    }
    void TearDown() override
    {
        if (module != nullptr) {
            EXPECT_TRUE(FreeLibrary(module));
        }
    }

    std::u16string String(UINT id, int bufferMax = 200)
    {
        std::vector<WCHAR> buffer(static_cast<size_t>(bufferMax) + 1, u'#');
        int length = LoadStringW(module, id, buffer.data(), bufferMax);
        return std::u16string(buffer.data(), static_cast<size_t>(length));
    }

    HMODULE module = nullptr;
};

TEST_F(LanguageLibrary, DataTimeIdDefaultNamesTheRunsOfLettersWWMaA)
{
    // w, W, M, a, A in this order, as the filters split the text.
    std::vector<UINT> bases;
    std::string ids = tav::lang::kDataTimeIds;
    for (size_t start = 0; start <= ids.size();) {
        size_t comma = ids.find(',', start);
        if (comma == std::string::npos) comma = ids.size();
        bases.push_back(static_cast<UINT>(std::stoul(ids.substr(start, comma - start))));
        start = comma + 1;
    }
    ASSERT_EQ(bases.size(), 5u);
    EXPECT_EQ(String(bases[0] + 0), u"Sun");
    EXPECT_EQ(String(bases[0] + 6), u"Sat");
    EXPECT_EQ(String(bases[1] + 3), u"Wednesday");
    EXPECT_EQ(String(bases[2] + 0), u"January");
    EXPECT_EQ(String(bases[2] + 2), u"March");
    EXPECT_EQ(String(bases[2] + 11), u"December");
    EXPECT_EQ(String(bases[3] + 1), u"pm");
    EXPECT_EQ(String(bases[4] + 0), u"AM");
    EXPECT_EQ(String(bases[4] + 1), u"PM");
}

TEST_F(LanguageLibrary, LongStringsAreCutToTheBufferAndTerminated)
{
    std::vector<WCHAR> buffer(8, u'#');
    EXPECT_EQ(LoadStringW(module, tav::lang::kMonthNames + 8, buffer.data(), 4), 3);
    EXPECT_EQ(std::u16string(buffer.data()), u"Sep");
    EXPECT_EQ(buffer[4], u'#');
    EXPECT_EQ(LoadStringW(module, tav::lang::kMonthNames + 8, buffer.data(), 1), 0);
    EXPECT_EQ(buffer[0], u'\0');
}

TEST_F(LanguageLibrary, ABufferOfNoCharactersReceivesThePointerToTheText)
{
    const WCHAR* text = nullptr;
    EXPECT_EQ(LoadStringW(module, tav::lang::kMonthNames + 8, reinterpret_cast<LPWSTR>(&text), 0), 9);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::u16string(text), u"September");
}

TEST_F(LanguageLibrary, MissingStringsAndBadArgumentsGiveNothingWithTheReason)
{
    WCHAR buffer[16] = u"unchanged";
    SetLastError(0);
    EXPECT_EQ(LoadStringW(module, tav::lang::kMonthNames + 12, buffer, 16), 0);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_EQ(LoadStringW(module, 1, nullptr, 16), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(LoadStringW(module, tav::lang::kMonthNames, buffer, -1), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    int notAModule = 0;
    EXPECT_EQ(LoadStringW(&notAModule, tav::lang::kMonthNames, buffer, 16), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(ModuleLoading, AModuleWithoutStringsHasNoResourceData)
{
    HMODULE platform = LoadLibraryW(u"libtavplatform.so");
    ASSERT_NE(platform, nullptr);
    WCHAR buffer[16];
    EXPECT_EQ(LoadStringW(platform, tav::lang::kMonthNames, buffer, 16), 0);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
    EXPECT_TRUE(FreeLibrary(platform));
}

TEST(ModuleLoading, FailuresSayWhetherTheFileIsMissingOrNoModule)
{
    EXPECT_EQ(LoadLibraryW(u"libtavlang-not-installed.so"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(LoadLibraryW(u""), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    std::string path = testing::TempDir() + "not_a_module.so";
    std::ofstream(path) << "text, not a shared object";
    EXPECT_EQ(LoadLibraryW(Utf8ToWide(path).c_str()), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
}

TEST(ModuleLoading, EachLoadIsFreedOnceAndStrayHandlesAreRefused)
{
    std::u16string name = Utf8ToWide(tav::lang::kLibraryName);
    HMODULE first = LoadLibraryW(name.c_str());
    HMODULE second = LoadLibraryW(name.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_TRUE(FreeLibrary(first));
    WCHAR buffer[16];
    EXPECT_EQ(LoadStringW(second, tav::lang::kMorningAfternoon, buffer, 16), 2);  // still loaded once
    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_FALSE(FreeLibrary(second));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(FreeLibrary(nullptr));
}

}  // namespace
