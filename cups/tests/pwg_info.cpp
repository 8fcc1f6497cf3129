// tavpwginfo FILE: reads a PWG Raster stream back with libcups and prints,
// for the tests of the CUPS filter, one line per page:
//   page N WIDTHxHEIGHT duplex=0|1 tumble=0|1 ink=PERMILLE
// where ink is the share of pixels darker than light grey. Exit status 1
// when the stream cannot be read to its end.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "page_images.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: tavpwginfo FILE\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::vector<cups_page_header2_t> headers;
    std::vector<tav::render::testing::GreyImage> pages;
    if (!in || !tav::render::testing::ReadPwgRaster(bytes.str(), &headers, &pages) || pages.empty()) {
        std::cerr << "tavpwginfo: " << argv[1] << ": no readable PWG Raster\n";
        return 1;
    }
    for (size_t i = 0; i < pages.size(); ++i) {
        size_t dark = 0;
        for (uint8_t pixel : pages[i].pixels) dark += pixel < 192;
        std::printf("page %zu %dx%d duplex=%u tumble=%u ink=%zu\n", i + 1, pages[i].width, pages[i].height,
                    headers[i].Duplex, headers[i].Tumble, dark * 1000 / pages[i].pixels.size());
    }
    return 0;
}
