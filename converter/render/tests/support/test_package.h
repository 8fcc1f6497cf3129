// Small XPS packages made by the tests: one document whose pages and
// resources the test gives, so that MuPDF can render exactly what the
// converter is fed.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tav::render::testing {

// pages: FixedPage markup, stored as /Documents/1/Pages/N.fpage;
// resources: (part name, bytes). False when the file cannot be written.
bool WriteXpsPackage(const std::string& path, const std::vector<std::string>& pages,
                     const std::vector<std::pair<std::string, std::string>>& resources);

}  // namespace tav::render::testing
