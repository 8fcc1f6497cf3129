// The real XPS documents of the fixtures folder and the parts inside them,
// read with libzip.
#pragma once

#include <string>

namespace testsupport {

// The fixtures folder: $TAV_FIXTURES, else ../shared/fixtures; "" when it is
// not there.
std::string FixturesFolder();

// The uncompressed content of one entry of a zip package ("Resources/Job_PT.xml").
// False when the package or the entry is missing, unreadable or larger than
// 16 MiB.
bool ReadPackageEntry(const std::string& packagePath, const std::string& entry, std::string* content);

// ReadPackageEntry for a package named relative to the fixtures folder
// ("xps/mb06.xps"); false as well when the folder is absent.
bool ReadFixtureEntry(const std::string& package, const std::string& entry, std::string* content);

}  // namespace testsupport
