// The per-user ticket the pipeline offers a filter in the property bag
// ("PerUserPrintTicket", an IPrintReadStreamFactory).
#pragma once

#include <string>

#include "platform/comobject.h"
#include "platform/pipeline.h"
#include "testsupport/content.h"
#include "testsupport/pipeline_doubles.h"

namespace testsupport {

// Every GetStream gives a new read stream over the same bytes, at 0.
class ReadStreamFactory : public ComObject<IPrintReadStreamFactory> {
public:
    explicit ReadStreamFactory(std::string bytes);
    HRESULT GetStream(IPrintReadStream** stream) override;

private:
    void* InterfaceFor(REFIID riid) override;

    PartContent content_;
};

// The default device's own default ticket (what a user who changed nothing
// prints with), from the platform's PrintTicket provider; "" if it fails.
std::string DefaultDeviceTicket();

// Puts ticket into the bag as "PerUserPrintTicket".
void SetPerUserTicket(TestPropertyBag* bag, const std::string& ticket);

}  // namespace testsupport
