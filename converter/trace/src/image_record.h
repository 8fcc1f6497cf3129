// What the recording converter says about an image block GetXPSImageData
// gave it: the header's fields, read with every length checked against the
// block's size, so that a block that does not hold what its header claims
// is recorded as such instead of being read past its end.
#pragma once

#include <cstdint>
#include <string>

namespace tav::trace {

// "width W height H x-dpi X F y-dpi Y F samples D model C profile P" (the
// resolutions as whole dots per inch and the fraction times 65536; P the
// profile's size, 0 for none), or "bad-header ..." with what is wrong.
std::string DescribeImageBlock(const uint8_t* block, uint32_t size);

}  // namespace tav::trace
