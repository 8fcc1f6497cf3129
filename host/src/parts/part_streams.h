// The read and write streams of parts. A read stream reads the content the
// part had when the stream was made; a write stream collects new content
// (spilling to a temporary file when it grows) and hands it to the part
// when it is closed.
#pragma once

#include "parts/part_data.h"
#include "platform/pipeline.h"

namespace tav::host {

// A read stream at position 0 over content; read errors are recorded in log
// under partName and returned as STG_E_READFAULT.
ComPtr<IPrintReadStream> MakeReadStream(std::shared_ptr<const PartContent> content, std::shared_ptr<FailureLog> log,
                                        std::string partName);

// A write stream whose Close replaces the part's content.
ComPtr<IPrintWriteStream> MakeWriteStream(std::shared_ptr<PartData> part);

}  // namespace tav::host
