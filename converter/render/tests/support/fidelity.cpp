#include "fidelity.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace tav::render::testing {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string TempPath(const std::string& name)
{
    return (std::filesystem::temp_directory_path() / ("tav-render-" + std::to_string(getpid()) + "-" + name)).string();
}

// 384 x 288 units: 600 x 450 pixels at 150 dpi.
std::string Page(const std::string& body, const std::string& resources)
{
    return "<FixedPage xmlns=\"http://schemas.microsoft.com/xps/2005/06\" "
           "xmlns:x=\"http://schemas.microsoft.com/xps/2005/06/resourcedictionary-key\" Width=\"384\" Height=\"288\">" +
           resources + body + "</FixedPage>";
}

// Feeds every page of the package to the converter twice (PWG Raster and
// PDF) and compares each with MuPDF's render of the package.
std::vector<Measured> Measure(const std::string& package, const std::vector<std::vector<PixelBox>>& ignored,
                              PageDeviceValues device)
{
    std::vector<Measured> results;
    std::vector<std::string> pages = PackagePages(package);
    EXPECT_FALSE(pages.empty()) << package;
    PartReader parts = ZipPartReader(package);
    std::string outputs[2];
    const char* encoders[2] = {"tavenc-pwg.so", "tavenc-pdf.so"};
    for (int language = 0; language < 2; ++language) {
        ConverterDriver driver;
        EXPECT_TRUE(driver.Open(encoders[language])) << driver.Error();
        for (const std::string& page : pages) {
            std::string markup;
            EXPECT_TRUE(parts(page, &markup)) << page;
            EXPECT_TRUE(driver.FeedPage(page, markup, parts, device))
                << page << ": " << driver.Error() << " "
                << (driver.Output().refusals.empty() ? "" : driver.Output().refusals.front());
        }
        driver.Close();
        EXPECT_TRUE(driver.Output().refusals.empty());
        outputs[language] = driver.Output().printerData;
    }
    std::vector<cups_page_header2_t> headers;
    std::vector<GreyImage> raster;
    EXPECT_TRUE(ReadPwgRaster(outputs[0], &headers, &raster));
    std::string pdf = TempPath("fidelity.pdf");
    std::ofstream(pdf, std::ios::binary) << outputs[1];
    EXPECT_EQ(raster.size(), pages.size());
    for (size_t i = 0; i < pages.size() && i < raster.size(); ++i) {
        GreyImage reference, fromPdf;
        std::string error;
        EXPECT_TRUE(MutoolRender(package, static_cast<int>(i + 1), kDpi, &reference, &error)) << error;
        EXPECT_TRUE(MutoolRender(pdf, static_cast<int>(i + 1), kDpi, &fromPdf, &error)) << error;
        EXPECT_EQ(raster[i].width, reference.width);
        EXPECT_EQ(raster[i].height, reference.height);
        std::vector<PixelBox> skip = i < ignored.size() ? ignored[i] : std::vector<PixelBox>{};
        results.push_back({Compare(raster[i], reference, skip), Compare(fromPdf, reference, skip)});
        // TAV_RENDER_KEEP=1 keeps the three images of every page for a look.
        if (std::getenv("TAV_RENDER_KEEP")) {
            std::string stem = std::filesystem::path(package).filename().string() + "-" + std::to_string(i + 1);
            SavePgm(raster[i], TempPath(stem + "-raster.pgm"));
            SavePgm(reference, TempPath(stem + "-mupdf.pgm"));
            SavePgm(fromPdf, TempPath(stem + "-pdf.pgm"));
        }
    }
    std::filesystem::remove(pdf);
    return results;
}

void ExpectClose(const std::vector<Measured>& results, const std::string& what)
{
    for (size_t i = 0; i < results.size(); ++i) {
        std::cout << what << " page " << i + 1 << ": raster mean " << results[i].raster.meanAbsolute << ", blocks "
                  << results[i].raster.differingBlocks << "; pdf mean " << results[i].pdf.meanAbsolute << ", blocks "
                  << results[i].pdf.differingBlocks << "\n";
        EXPECT_LT(results[i].raster.meanAbsolute, kMeanThreshold) << what << " page " << i + 1;
        EXPECT_LE(results[i].raster.differingBlocks, kBlockThreshold) << what << " page " << i + 1;
        EXPECT_LT(results[i].pdf.meanAbsolute, kMeanThreshold) << what << " page " << i + 1;
        EXPECT_LE(results[i].pdf.differingBlocks, kBlockThreshold) << what << " page " << i + 1;
    }
}

PageDeviceValues SmallPage()
{
    PageDeviceValues device;
    device.widthMicrons = 101600;
    device.heightMicrons = 76200;
    device.resolution = kDpi;
    return device;
}

}  // namespace tav::render::testing
