// The resource callbacks on their own: what a converter gets when the part
// is not there, is of another kind or is empty, or when its allocator gives
// nothing; an image's block, and why an image could not be had.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "image_test_files.h"
#include "platform/com.h"

#include "resource_callbacks.h"
#include "testsupport/parts.h"

namespace {

using testsupport::ColorProfilePart;
using testsupport::FixedPagePart;
using testsupport::FontPart;
using testsupport::ImagePart;
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

struct HeardFailures : ImageFailureListener {
    void ImageFailed(std::string_view uri, std::string_view reason) override { heard.emplace_back(uri, reason); }
    std::vector<std::pair<std::string, std::string>> heard;
};

TEST(ResourceCallbacks, GiveAnImagesBlockOrTellWhyNot)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // Two pixels, red and blue, at 3780 pixels a metre (96.012 dpi).
    const std::string png = imagetest::RgbPng(2, 1, {{255, 0, 0}, {0, 0, 255}}, 3780);
    auto page = MakePart<FixedPagePart>(u"/Documents/1/Pages/1.fpage", "<FixedPage/>");
    page->SetPagePart(MakePart<ImagePart>(u"/Resources/i.png", png).Get());
    page->SetPagePart(MakePart<ImagePart>(u"/Resources/cut.png", png.substr(0, 40)).Get());
    page->SetPagePart(MakePart<FontPart>(u"/Resources/f.ttf", "font bytes").Get());
    void* pageObject = static_cast<IFixedPage*>(page.Get());

    HeardFailures listener;
    {
        ImageFailureScope scope(&listener);
        void* block = nullptr;
        ASSERT_EQ(FetchImageData(&Allocate, &Release, pageObject, "/Resources/i.png", 0, 0, &block), 1);
        const auto* bytes = static_cast<const uint8_t*>(block);
        EXPECT_EQ(std::memcmp(bytes, "TITN", 4), 0);
        EXPECT_EQ(bytes[8] | bytes[9] << 8, 2);    // width
        EXPECT_EQ(bytes[10] | bytes[11] << 8, 1);  // height
        EXPECT_EQ(bytes[12] | bytes[13] << 8, 96);
        EXPECT_EQ(bytes[16], 3);  // R, G, B
        EXPECT_EQ(bytes[17], kImageRgb);
        const uint8_t raster[] = {255, 0, 0, 0, 0, 255};
        EXPECT_EQ(std::memcmp(bytes + kImageBlockHeaderSize, raster, sizeof raster), 0);
        Release(block);

        for (const char* uri : {"/Resources/none.png", "/Resources/cut.png", "/Resources/f.ttf"}) {
            block = reinterpret_cast<void*>(0x1);
            EXPECT_EQ(FetchImageData(&Allocate, &Release, pageObject, uri, 0, 0, &block), 0) << uri;
            EXPECT_EQ(block, nullptr) << uri;
        }
    }
    ASSERT_EQ(listener.heard.size(), 3u);
    EXPECT_EQ(listener.heard[0],
              std::make_pair(std::string("/Resources/none.png"), std::string("the page has no such image part")));
    EXPECT_EQ(listener.heard[1].first, "/Resources/cut.png");
    EXPECT_NE(listener.heard[1].second.find("PNG"), std::string::npos) << listener.heard[1].second;
    EXPECT_EQ(listener.heard[2],
              std::make_pair(std::string("/Resources/f.ttf"), std::string("the part is not an image")));

    // Out of the scope nobody hears, and nothing breaks.
    void* block = nullptr;
    EXPECT_EQ(FetchImageData(&Allocate, &Release, pageObject, "/Resources/none.png", 0, 0, &block), 0);
    EXPECT_EQ(listener.heard.size(), 3u);
    CoUninitialize();
}

}  // namespace
