// A package as the host reads it, one line per part, for comparing the
// input and output of a job.
#pragma once

#include <string>
#include <vector>

namespace tav::host::testing {

// One line per part in reading order: name, ticket (name and content),
// resources (name, content type, size) and, for pages, their markup.
std::vector<std::string> DescribePackage(const std::string& path);

}  // namespace tav::host::testing
