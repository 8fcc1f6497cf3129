// Objects the host puts into the property bag: the per-user ticket's stream
// factory and the progress report (the print class object factory is the
// print UI host's, print_ui_host.h).
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "platform/comobject.h"
#include "platform/pipeline.h"

namespace tav::host {

// Each GetStream gives a new read stream at the start of the bytes.
ComPtr<IPrintReadStreamFactory> MakeTicketStreamFactory(std::string ticketBytes);

// Counts the progress the filters report; onPage runs for each page added.
ComPtr<IPrintPipelineProgressReport> MakeProgressReport(std::function<void()> onPage);

}  // namespace tav::host
