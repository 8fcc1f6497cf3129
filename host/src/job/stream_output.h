// The writer of a chain that ends with a filter writing the printer byte
// stream instead of XPS parts: the bytes go straight to the output file.
#pragma once

#include "chain/chain_objects.h"

namespace tav::host {

// Takes ownership of fd; Close marks the state closed.
ComPtr<IPrintWriteStream> MakeFileWriteStream(int fd, std::shared_ptr<FailureLog> log,
                                              std::shared_ptr<SenderState> state);

}  // namespace tav::host
