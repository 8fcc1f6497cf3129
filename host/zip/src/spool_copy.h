// Copying a finished spool file to a target that cannot be replaced by
// renaming (standard output, a device, a FIFO, a file in a folder that takes
// no new files).
#pragma once

namespace tav::zip {

// Copies the whole of `spool` (read with pread, its offset untouched) to
// `target`. When the target is a regular file, its old content is kept
// until the new content is known to fit: the space is reserved first, the
// file is overwritten from its start, and only then cut to the new length.
// A full disk or a size limit then leaves the old file as it was.
// Throws std::runtime_error naming the cause.
void CopySpoolToTarget(int spool, int target, bool targetIsRegularFile);

}  // namespace tav::zip
