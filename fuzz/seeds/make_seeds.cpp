// Writes the seed inputs of the fuzz targets that the project's own code
// can make directly: job tickets from `-o` options, the default device's
// ticket and capabilities, option strings from the option table, images in
// every format the tests make, and small fonts and collections. Packages
// and pages come from tavmakejob (scripts/fuzz runs it).
//
//   fuzz_seeds FOLDER   writes FOLDER/<target>/<name> for each seed
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "image_test_files.h"
#include "job_options.h"
#include "native_test_files.h"
#include "option_settings.h"
#include "platform/printticket.h"
#include "ticket_streams.h"

namespace {

namespace fs = std::filesystem;

fs::path g_folder;

void Write(const std::string& target, const std::string& name, const std::string& bytes)
{
    fs::create_directories(g_folder / target);
    std::ofstream file(g_folder / target / name, std::ios::binary);
    file << bytes;
    if (!file) {
        std::fprintf(stderr, "fuzz_seeds: cannot write %s/%s\n", target.c_str(), name.c_str());
        std::exit(1);
    }
}

std::string TicketOf(const std::string& optionText)
{
    std::vector<std::pair<std::string, std::string>> options;
    std::string ticket;
    std::string error;
    if (!tav::options::SplitOptionSettings(optionText, &options, &error) ||
        !BuildJobTicket(options, "", &ticket, nullptr, &error)) {
        std::fprintf(stderr, "fuzz_seeds: %s: %s\n", optionText.c_str(), error.c_str());
        std::exit(1);
    }
    return ticket;
}

// Typical settings of every filter, as users give them.
const std::vector<std::string> kOptionSets = {
    "media=iso_a4_210x297mm orientation-requested=landscape",
    "number-up=4 number-up-layout=tblr page-border=dashed",
    "booklet=on booklet-sheets-per-set=2 binding=right",
    "poster=9 poster-cut-lines=on",
    "sides=two-sided-short-edge binding-gutter=8mm duplex-mode=manual",
    "mirror=width reverse-image=on transverse=on",
    "print-scaling=custom:75 scale-offset=5mm,-5mm",
    "watermark-text=Draft watermark-angle=30 watermark-color=#FF0000",
    "header-footer=on header-footer-time=type2 header-footer-id=custom:Ann",
    "input-slot=tray2 second-input-slot=tray1 separate-tray=on divide-condition=Copy",
};

void WriteTickets()
{
    HPTPROVIDER provider = nullptr;
    if (FAILED(PTOpenProvider(u"seed printer", 1, &provider))) std::exit(1);
    ComPtr<IStream> defaultStream = tav::fuzz::EmptyStream();
    PTGetDefaultPrintTicket(provider, defaultStream.Get());
    std::string defaultTicket = tav::fuzz::StreamBytes(defaultStream.Get());
    ComPtr<IStream> capabilities = tav::fuzz::EmptyStream();
    PTGetPrintCapabilities(provider, nullptr, capabilities.Get(), nullptr);
    PTCloseProvider(provider);

    Write("ticket_merge", "default", defaultTicket);
    Write("ticket_readers", "default", defaultTicket);
    Write("ticket_readers", "capabilities", tav::fuzz::StreamBytes(capabilities.Get()));
    for (size_t i = 0; i < kOptionSets.size(); ++i) {
        std::string ticket = TicketOf(kOptionSets[i]);
        std::string name = "options-" + std::to_string(i);
        Write("ticket_readers", name, ticket);
        Write("ticket_merge", name, ticket);
        Write("ticket_merge", name + "-over-default", defaultTicket + '\0' + ticket);
        Write("job_options", name, kOptionSets[i]);
        Write("job_options", name + "-over-default", kOptionSets[i] + '\0' + defaultTicket);
    }
}

// "number-up/Pages per sheet: *1 2 4 6 9 16 25": each listed value set.
void WriteOptionValues()
{
    std::istringstream listing(ListJobOptions());
    std::string line;
    std::string all;
    while (std::getline(listing, line)) {
        size_t slash = line.find('/');
        size_t colon = line.find(": ");
        if (slash == std::string::npos || colon == std::string::npos) continue;
        std::string name = line.substr(0, slash);
        std::istringstream values(line.substr(colon + 2));
        std::string value;
        std::string settings;
        while (values >> value) {
            if (value[0] == '*') value.erase(0, 1);
            settings += name + "=" + value + "\n";
        }
        Write("job_options", "values-" + name, settings);
    }
}

void WriteImages()
{
    using namespace imagetest;
    std::vector<Rgb> pixels = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0}, {9, 99, 199}};
    std::vector<uint8_t> indices = {0, 1, 2, 3, 4, 5};
    Write("image_png", "rgb", RgbPng(3, 2, pixels, 3780));
    Write("image_png", "grey-profile",
          PngFile({PngHeader(2, 1, 8, 0), PngProfileChunk(TestProfile("GRAY", 160)),
                   PngData(std::string("\0\x10\x80", 3))}));
    Write("image_png", "palette-interlaced",
          PngFile({PngHeader(3, 2, 8, 3, 1), PngChunk("PLTE", std::string("\xff\0\0\0\xff\0\0\0\xff", 9)),
                   PngData(std::string("\0\0\0\0\1\0\2", 7))}));
    Write("image_jpeg", "solid", SolidJpeg(8, 8, {10, 200, 30}, 1, 300));
    Write("image_jpeg", "progressive", ProgressiveGreyJpeg(128, false));
    Write("image_jpeg", "cmyk-profile", Jpeg(4, 4, {0, 64, 128, 255}, 150, TestProfile("CMYK", 200)));
    TiffLayout tiff;
    tiff.width = 3;
    tiff.height = 2;
    tiff.pixels = pixels;
    tiff.dotsPerInch = 200;
    Write("image_tiff", "rgb", RgbTiff(tiff));
    Write("image_tiff", "strips", StripTiff(4, 4, 200));
    TiffSpec grey = TiffOf(2, 2, 1, 1, 16);
    grey.rows = std::string("\x01\x00\xff\xff\x00\x80\x34\x12", 8);
    Write("image_tiff", "grey16", Tiff(grey));
    Write("image_gif", "indexed", IndexedGif(3, 2, pixels, indices, 3));
    Write("image_gif", "interlaced", IndexedGif(3, 2, pixels, indices, -1, true));
    Write("image_bmp", "rgb24", Rgb24Bmp(3, 2, pixels, 3780));
    Write("image_bmp", "indexed8", Indexed8Bmp(3, -2, pixels, indices));
    Write("image_jpegxr", "bgr24", JpegXr(3, 2, 0x0C, std::string(18, '\x7f'), 96, 96));
    Write("image_jpegxr", "grey8", JpegXr(4, 4, 0x08, std::string(16, '\x20'), 0, 0, TestProfile("GRAY", 140)));
}

// Fonts: an sfnt with the tables the readers look at, and a collection
// of two faces, the second named "Fuzz Sans".
using Bytes = std::string;
void Put16(Bytes& out, uint32_t value)
{
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value));
}
void Put32(Bytes& out, uint32_t value)
{
    Put16(out, value >> 16);
    Put16(out, value & 0xFFFF);
}
void Set32(Bytes& out, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>(value >> (24 - 8 * i));
}

std::vector<std::pair<std::string, Bytes>> FaceTables(const std::u16string& fullName)
{
    Bytes head(54, '\0');
    Set32(head, 12, 0x5F0F3CF5);       // magic
    head[18] = 0x08, head[19] = 0x00;  // unitsPerEm 2048
    Bytes os2(100, '\0');
    os2[1] = 4;                                  // version 4
    os2[27] = 102, os2[29] = 0x40, os2[26] = 0;  // strikeout size and position
    Bytes post(32, '\0');
    post[1] = 3;                                        // version 3
    post[8] = static_cast<char>(0xFE), post[9] = 0x00;  // underline position -512
    post[10] = 0, post[11] = 100;
    Bytes maxp(6, '\0');
    maxp[1] = 0x50, maxp[2] = 0, maxp[5] = 4;  // version 0.5, 4 glyphs
    Bytes cmap;
    Put16(cmap, 0);
    Put16(cmap, 1);
    Put16(cmap, 3);
    Put16(cmap, 10);
    Put32(cmap, 12);
    Put16(cmap, 12);  // format 12
    Put16(cmap, 0);
    Put32(cmap, 16 + 12 * 2);
    Put32(cmap, 0);
    Put32(cmap, 2);
    for (uint32_t start : {0x41u, 0x1F600u}) {
        Put32(cmap, start);
        Put32(cmap, start + 1);
        Put32(cmap, start == 0x41 ? 1 : 3);
    }
    Bytes name;
    Put16(name, 0);
    Put16(name, 1);
    Put16(name, 6 + 12);
    Put16(name, 3);
    Put16(name, 1);
    Put16(name, 0x409);
    Put16(name, 4);
    Put16(name, static_cast<uint32_t>(fullName.size() * 2));
    Put16(name, 0);
    for (char16_t c : fullName) Put16(name, c);
    return {{"OS/2", os2}, {"cmap", cmap}, {"head", head}, {"maxp", maxp}, {"name", name}, {"post", post}};
}

void AppendFace(Bytes& out, const std::vector<std::pair<std::string, Bytes>>& tables)
{
    Put32(out, 0x00010000);
    Put16(out, static_cast<uint32_t>(tables.size()));
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, 0);
    size_t directory = out.size();
    out.resize(out.size() + tables.size() * 16);
    for (size_t i = 0; i < tables.size(); ++i) {
        while (out.size() % 4) out.push_back('\0');
        size_t entry = directory + i * 16;
        for (int k = 0; k < 4; ++k) out[entry + k] = tables[i].first[k];
        Set32(out, entry + 8, static_cast<uint32_t>(out.size()));
        Set32(out, entry + 12, static_cast<uint32_t>(tables[i].second.size()));
        out += tables[i].second;
    }
}

void WriteFonts()
{
    Bytes font;
    AppendFace(font, FaceTables(u"Fuzz Sans"));
    Write("font_data", "face", font);
    Bytes collection = "ttcf";
    Put32(collection, 0x00010000);
    Put32(collection, 2);
    size_t offsets = collection.size();
    collection.resize(collection.size() + 8);
    for (int face = 0; face < 2; ++face) {
        while (collection.size() % 4) collection.push_back('\0');
        Set32(collection, offsets + 4 * face, static_cast<uint32_t>(collection.size()));
        AppendFace(collection, FaceTables(face == 0 ? u"Fuzz Serif" : u"Fuzz Sans"));
    }
    Write("font_data", "collection", collection);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
        return 2;
    }
    g_folder = argv[1];
    tav::fuzz::EnsureComApartment();
    WriteTickets();
    WriteOptionValues();
    WriteImages();
    WriteFonts();
    return 0;
}
