// Reading a stream to its end with a size bound, and writing bytes to a
// stream in full.
#pragma once

#include <string>

#include "platform/stream.h"

namespace tav {

// Reads from the stream's current position to its end, in blocks, into
// *bytes. More than limit bytes give STG_E_MEDIUMFULL, so that the caller can
// tell a size refusal from a failed read (the stream's own HRESULT).
HRESULT ReadStreamToEnd(IStream* stream, size_t limit, std::string* bytes);

// Writes all bytes at the stream's current position; a write that takes
// nothing, or claims more than it was given, is STG_E_WRITEFAULT.
HRESULT WriteStreamFully(ISequentialStream* stream, const std::string& bytes);

}  // namespace tav
