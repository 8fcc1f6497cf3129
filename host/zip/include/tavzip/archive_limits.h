// The largest archive, in entries, that tavpipe reads: its package reader
// refuses more, and the job generator makes no job that it would refuse.
// libzip keeps about 330 bytes per entry while an archive is open, so this
// bounds what a hostile directory can make the reader hold to about 165 MB.
#pragma once

#include <cstdint>

namespace tav::zip {

inline constexpr uint64_t kMaxReadEntries = 500000;

}  // namespace tav::zip
