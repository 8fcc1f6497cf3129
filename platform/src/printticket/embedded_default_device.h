// The text of devices/default.xml, compiled in by the build.
#pragma once

#include <cstddef>

namespace tav::printticket {

extern const unsigned char kEmbeddedDefaultDevice[];
extern const size_t kEmbeddedDefaultDeviceSize;

}  // namespace tav::printticket
