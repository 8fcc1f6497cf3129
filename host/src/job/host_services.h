// Objects the host puts into the property bag: the per-user ticket's stream
// factory, the print class object factory and the progress report.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "platform/comobject.h"
#include "platform/pipeline.h"

namespace tav::host {

// Each GetStream gives a new read stream at the start of the bytes.
ComPtr<IPrintReadStreamFactory> MakeTicketStreamFactory(std::string ticketBytes);

// The host offers no print class objects (such as asynchronous
// notification channels) yet: every request is answered E_NOINTERFACE, and
// the filters that ask go on without them, as they do on a spooler that
// lacks them.
ComPtr<IPrintClassObjectFactory> MakePrintClassFactory();

// Counts the progress the filters report; onPage runs for each page added.
ComPtr<IPrintPipelineProgressReport> MakeProgressReport(std::function<void()> onPage);

}  // namespace tav::host
