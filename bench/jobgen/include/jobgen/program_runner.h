// Running the command-line tools the tests check generated jobs with.
#pragma once

#include "jobgen/rgb_image.h"

#include <string>
#include <vector>

namespace jobgen {

// The full path of `name` found along PATH, or empty when it is not there.
std::string FindProgram(const std::string& name);

struct ProgramResult {
    int exitStatus = -1;  // the exit code, or -1 when the program was killed
    std::string output;   // standard output and error, cut at kMaxOutput
};

// Runs argv[0] (searched along PATH) with the given arguments, no shell in
// between, standard input empty. Throws std::runtime_error when it cannot be
// started.
ProgramResult RunProgram(const std::vector<std::string>& argv);
inline constexpr size_t kMaxOutput = 64 * 1024;

// Renders the pages of `package` with MuPDF's `mutool draw -r DPI -o
// DIR/page-%d.png FILE [PAGES]` and returns the paths of the PNG files in
// page order. `pageList` is mutool's page selection ("3", "2,5-7"); empty
// renders every page. Page files an earlier render left in DIR are removed
// first. Throws std::runtime_error with mutool's messages when it fails or
// reports an error: mutool goes on after errors with substitutes (another
// font for one it cannot load, say), which a test must not take for success.
std::vector<std::string> RenderWithMutool(const std::string& package, int dpi, const std::string& directory,
                                          const std::string& pageList = {});

// Every page of the package rendered by mutool at the resolution, read back
// in page order; the page files go to PACKAGE-render. Throws as
// RenderWithMutool does.
std::vector<RgbImage> RenderPages(const std::string& package, int dpi);

}  // namespace jobgen
