// The host's side of asynchronous print UI requests: the print class
// object factory gives filters an IPrintAsyncNotify whose channels take
// request documents; the print UI host keeps each request and, once the
// job's output is complete, serves it as a user's session does: it loads
// the module the request names from the driver's folder (the module folder:
// "TAVRIP.DLL" is libtavrip.so there) and calls the named entry point with
// the request's argument string.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/comobject.h"
#include "platform/pipeline.h"

namespace tav::host {

struct PrintUIRequest {
    std::string module;      // as the request names it, "TAVRIP.DLL"
    std::string entryPoint;  // "StartManualDuplex"
    std::u16string arguments;
    bool operator==(const PrintUIRequest&) const = default;
};

// The request a document asks for: the customUI element of v1/requestOpen.
// None with *failure saying why for anything else.
std::optional<PrintUIRequest> ReadPrintUIRequest(std::u16string_view document, std::string* failure);

// The file a request's module name stands for in the module folder:
// "TAVRIP.DLL" is "libtavrip.so". None for a name with a folder or without
// the ".dll" ending.
std::optional<std::string> ModuleFileOf(std::string_view module);

class PrintUIHost {
public:
    // Keeps a request; any thread.
    void Queue(PrintUIRequest request);
    // Serves the requests kept, in order, each to its end; what could not be
    // served comes back as one warning each.
    std::vector<std::string> Serve();

private:
    std::mutex lock_;
    std::vector<PrintUIRequest> requests_;
};

// The factory the property bag's "PrintClassFactory" holds: for any printer
// it gives an IPrintAsyncNotify whose channels queue the asynchronous print
// UI requests sent on them with the host.
ComPtr<IPrintClassObjectFactory> MakePrintClassFactory(std::shared_ptr<PrintUIHost> host);

}  // namespace tav::host
