// Memory streams for the PrintTicket provider's calls.
#pragma once

#include <string>
#include <string_view>

#include "platform/comobject.h"
#include "platform/printticket.h"
#include "platform/stream.h"

namespace tav::fuzz {

// A read-only stream over the bytes.
ComPtr<IStream> BytesStream(std::string_view bytes);
// An empty stream to write into.
ComPtr<IStream> EmptyStream();
// What a stream from either function holds.
std::string StreamBytes(IStream* stream);

// Runs the provider's other calls on a ticket it produced: the
// capabilities under it and its DEVMODE.
void UseMergedTicket(HPTPROVIDER provider, const std::string& ticket);

}  // namespace tav::fuzz
