// Drives a converter pair through its entry points as the rip filter does:
// the control library loaded for the job, the page library loaded and
// unloaded around every page, each page's markup read with libxml2's SAX
// parser and fed element by element (attributes last to first,
// "UnicodeString" as UTF-16, referenced resource dictionaries right after
// the element that names them), fonts and colour profiles served from the
// package's parts through the callbacks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/devmode.h"

namespace tav::render::testing {

// The folder of the rendering converter in the build: under $TAV_BUILD_DIR,
// else beside the running program's bin folder.
std::string RenderConverterFolder();

// A package's parts by name ("/Resources/font.ttf"); false when absent.
using PartReader = std::function<bool(const std::string& part, std::string* bytes)>;
// The parts of a zip package on disk.
PartReader ZipPartReader(const std::string& packagePath);
// Parts held in memory, by name; the map must outlive the reader.
using Parts = std::map<std::string, std::string>;
PartReader MapPartReader(const Parts& parts);

struct PageDeviceValues {
    int32_t widthMicrons = 215900, heightMicrons = 279400;
    int32_t resolution = 150;
    int32_t rotationCode = 2;
    int32_t planes = 3;
    int32_t bitsPerPixel = 24;
};

struct JobOutput {
    std::string printerData;  // type-0 records, joined
    std::vector<std::string> warnings;
    std::vector<std::string> refusals;
};

class ConverterDriver {
public:
    // folder holds libpcorectl.so and libpcoreconv.so.
    explicit ConverterDriver(std::string folder = RenderConverterFolder());
    ~ConverterDriver();
    ConverterDriver(const ConverterDriver&) = delete;
    ConverterDriver& operator=(const ConverterDriver&) = delete;

    // PrnCtrlOpen with encoderName as the encoder path, then the conversion
    // and the context. False (with Error()) when a library or entry point is
    // missing or the converter refused the job.
    bool Open(const std::string& encoderName, const std::u16string& documentName = u"");
    void SetDevMode(const DEVMODEW& devmode);
    // One page: false once the converter refused a call or the markup is
    // not well formed.
    bool FeedPage(const std::string& pageName, const std::string& markup, const PartReader& parts,
                  const PageDeviceValues& device = {});
    // PrnCtrlXPS2SPDLClose and PrnCtrlClose.
    void Close();

    const JobOutput& Output() const { return output_; }
    // Sends printer data here as it arrives instead of keeping it in
    // Output() (a long job's raster need not be held whole).
    void SetPrinterDataSink(std::function<void(const char* data, size_t size)> sink);
    const std::string& Error() const { return error_; }
    // Element and attribute calls made so far.
    size_t CallCount() const { return calls_; }

    struct Impl;

private:
    std::string folder_;
    void* control_ = nullptr;
    Impl* impl_;
    JobOutput output_;
    std::string error_;
    size_t calls_ = 0;
};

// Every FixedPage of a zip package, in reading order (from the first
// document of the sequence).
std::vector<std::string> PackagePages(const std::string& packagePath);

}  // namespace tav::render::testing
