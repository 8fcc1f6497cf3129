// tavmakeppd FILE: writes the PPD of the XPS queue, made from the job
// option table at build time.
#include <fstream>
#include <iostream>

#include "ppd_writer.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: tavmakeppd FILE\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    tav::cups::WritePpd(out);
    out.close();
    if (!out) {
        std::cerr << "tavmakeppd: " << argv[1] << ": cannot write\n";
        return 1;
    }
    return 0;
}
