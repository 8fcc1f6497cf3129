// Running the command-line tools the tests check generated jobs with.
#pragma once

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

// Renders every page of `package` with MuPDF's `mutool draw -r DPI -o
// DIR/page-%d.png` and returns the paths of the PNG files in page order
// (page files an earlier render left in DIR are removed first).
// Throws std::runtime_error with mutool's messages when it fails.
std::vector<std::string> RenderWithMutool(const std::string& package, int dpi, const std::string& directory);

}  // namespace jobgen
