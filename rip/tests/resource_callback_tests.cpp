// The font and colour-profile callbacks on their own: what a converter gets
// when the part is not there, is of another kind or is empty, or when its
// allocator gives nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "resource_callbacks.h"
#include "testsupport/parts.h"

namespace {

using testsupport::ColorProfilePart;
using testsupport::FixedPagePart;
using testsupport::FontPart;
using testsupport::MakePart;

void* Allocate(uint32_t size) { return std::malloc(size); }
void* AllocateNothing(uint32_t) { return nullptr; }
void Release(void* block) { std::free(block); }

TEST(ResourceCallbacks, GiveThePartsBytesOrNothing)
{
    auto page = MakePart<FixedPagePart>(u"/Documents/1/Pages/1.fpage", "<FixedPage/>");
    page->SetPagePart(MakePart<FontPart>(u"/Resources/f.ttf", "font bytes").Get());
    page->SetPagePart(MakePart<FontPart>(u"/Resources/empty.ttf", "").Get());
    page->SetPagePart(MakePart<ColorProfilePart>(u"/Resources/p.icc", "icc").Get());
    void* pageObject = static_cast<IFixedPage*>(page.Get());

    void* block = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(FetchFontData(&Allocate, &Release, pageObject, "/Resources/f.ttf", 0, 0, &block, &size), 1);
    ASSERT_EQ(size, 10u);
    EXPECT_EQ(std::memcmp(block, "font bytes", 10), 0);
    Release(block);
    ASSERT_EQ(FetchColourProfileData(&Allocate, &Release, pageObject, "/Resources/p.icc", 0, 0, &block, &size), 1);
    EXPECT_EQ(size, 3u);
    Release(block);

    struct Refusal {
        const char* what;
        BOOL (*callback)(ConverterAllocate, ConverterFree, void*, const char*, uintptr_t, uintptr_t, void**, uint32_t*);
        ConverterAllocate allocate;
        const char* uri;
    };
    const Refusal refusals[] = {
        {"no such part", &FetchFontData, &Allocate, "/Resources/none.ttf"},
        {"a profile asked for as a font", &FetchFontData, &Allocate, "/Resources/p.icc"},
        {"an empty part", &FetchFontData, &Allocate, "/Resources/empty.ttf"},
        {"no memory", &FetchColourProfileData, &AllocateNothing, "/Resources/p.icc"},
    };
    for (const Refusal& refusal : refusals) {
        block = reinterpret_cast<void*>(0x1);
        size = 7;
        EXPECT_EQ(refusal.callback(refusal.allocate, &Release, pageObject, refusal.uri, 0, 0, &block, &size), 0)
            << refusal.what;
        EXPECT_EQ(block, nullptr) << refusal.what;
        EXPECT_EQ(size, 0u) << refusal.what;
    }
}

}  // namespace
