// Modules loaded at run time: their entry points and their file names.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/base.h"
#include "platform/library.h"
#include "platform/wformat.h"

namespace {

// The language library the build puts into its lib folder.
std::string LanguageLibrary()
{
    const char* build = std::getenv("TAV_BUILD_DIR");
    return std::string(build != nullptr ? build : ".") + "/lib/libtavlang.so";
}

TEST(Modules, EntryPointsAndFileNamesOfALoadedModule)
{
    std::u16string path = Utf8ToWide(LanguageLibrary());
    HMODULE module = LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr) << LanguageLibrary();

    EXPECT_NE(GetProcAddress(module, kStringResourcesExport), nullptr);
    EXPECT_EQ(GetProcAddress(module, "NoSuchEntryPoint"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    int local = 0;
    EXPECT_EQ(GetProcAddress(&local, kStringResourcesExport), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    WCHAR name[4096];
    DWORD length = GetModuleFileNameW(module, name, 4096);
    EXPECT_EQ(std::u16string(name, length), path);
    // Too small a buffer keeps what fits and says so.
    EXPECT_EQ(GetModuleFileNameW(module, name, 5), 5u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::u16string(name), path.substr(0, 4));
    EXPECT_TRUE(FreeLibrary(module));

    // A module's base address (its instance handle) names it too; an
    // address inside it does not.
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&LoadLibraryW), &info), 0);
    length = GetModuleFileNameW(info.dli_fbase, name, 4096);
    EXPECT_TRUE(std::u16string(name, length).ends_with(u"/libtavplatform.so")) << WideToUtf8(name);
    EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<void*>(&LoadLibraryW), name, 4096), 0u);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

}  // namespace
