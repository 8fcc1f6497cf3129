// tavrenderpackage: every page of an XPS package through the rendering
// converter, as the rip filter would feed it, into a PDF or PWG Raster
// file; for benchmarks and for a look at what the converter makes before
// the rip filter drives it.
//
//   tavrenderpackage [-r DPI] [-g] PACKAGE OUTPUT.pdf|OUTPUT.pwg
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "converter_driver.h"

using namespace tav::render::testing;

int main(int argc, char** argv)
{
    int dpi = 150;
    bool grey = false;
    int arg = 1;
    for (; arg < argc && argv[arg][0] == '-'; ++arg) {
        if (std::strcmp(argv[arg], "-r") == 0 && arg + 1 < argc) {
            dpi = std::atoi(argv[++arg]);
        } else if (std::strcmp(argv[arg], "-g") == 0) {
            grey = true;
        } else {
            break;
        }
    }
    if (argc - arg != 2) {
        std::fprintf(stderr, "usage: tavrenderpackage [-r DPI] [-g] PACKAGE OUTPUT.pdf|OUTPUT.pwg\n");
        return 2;
    }
    std::string package = argv[arg], output = argv[arg + 1];
    bool pdf = output.size() > 4 && output.compare(output.size() - 4, 4, ".pdf") == 0;
    std::vector<std::string> pages = PackagePages(package);
    if (pages.empty()) {
        std::fprintf(stderr, "tavrenderpackage: %s: no pages found\n", package.c_str());
        return 1;
    }
    std::ofstream out(output, std::ios::binary);
    if (!out) {
        std::fprintf(stderr, "tavrenderpackage: %s: cannot be written\n", output.c_str());
        return 1;
    }
    ConverterDriver driver;
    driver.SetPrinterDataSink(
        [&out](const char* data, size_t size) { out.write(data, static_cast<std::streamsize>(size)); });
    if (!driver.Open(pdf ? "tavenc-pdf.so" : "tavenc-pwg.so")) {
        std::fprintf(stderr, "tavrenderpackage: %s\n", driver.Error().c_str());
        std::remove(output.c_str());
        return 1;
    }
    DEVMODEW devmode{};
    devmode.dmSize = sizeof devmode;
    devmode.dmFields = DM_COLOR;
    devmode.dmColor = grey ? DMCOLOR_MONOCHROME : DMCOLOR_COLOR;
    driver.SetDevMode(devmode);
    PartReader parts = ZipPartReader(package);
    PageDeviceValues device;
    device.resolution = dpi;
    for (const std::string& page : pages) {
        std::string markup;
        if (!parts(page, &markup) || !driver.FeedPage(page, markup, parts, device)) {
            driver.Close();
            std::fprintf(
                stderr, "tavrenderpackage: %s: %s\n", page.c_str(),
                driver.Output().refusals.empty() ? driver.Error().c_str() : driver.Output().refusals.front().c_str());
            std::remove(output.c_str());
            return 1;
        }
    }
    driver.Close();
    for (const std::string& warning : driver.Output().warnings)
        std::fprintf(stderr, "tavrenderpackage: warning: %s\n", warning.c_str());
    out.close();
    if (!out) {
        std::fprintf(stderr, "tavrenderpackage: %s: writing failed\n", output.c_str());
        std::remove(output.c_str());
        return 1;
    }
    return 0;
}
