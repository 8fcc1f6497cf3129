// Helpers of the settings tests: Print Schema markup pieces for hand-made
// tickets, a fixture that wraps a ticket in a PrintTicketDom, and tickets
// and capabilities of the platform's default device.
#pragma once

#include <memory>
#include <string>

#include "filtercore/print_ticket_dom.h"
#include "ticket_test_documents.h"

namespace settingstest {

// Markup pieces in the framework prefix psf; names are given with the
// prefix they are to carry ("psk:PageMediaSize", "ns0000:On").
std::string Feature(const std::string& name, const std::string& content);
std::string Option(const std::string& name, const std::string& content = "");
std::string Scored(const std::string& name, const std::string& value, const std::string& type = "integer");
std::string ScoredRef(const std::string& name, const std::string& parameter);
std::string Property(const std::string& name, const std::string& value, const std::string& type = "string");
std::string PropertyGroup(const std::string& name, const std::string& content);
std::string ParameterInit(const std::string& name, const std::string& value, const std::string& type = "integer");

// A PrintCapabilities document with the usual prefixes around body.
std::string MakeCapabilities(const std::string& body);

class TicketTest : public tickettest::ComTest {
protected:
    // Loads the markup and wraps it (root "PrintTicket" or
    // "PrintCapabilities") with the private keywords namespace.
    PrintTicketDom& Wrap(const std::string& markup, const WCHAR* rootName = u"PrintTicket");
    // The wrapped document's markup as it is now.
    std::string Saved();
    void TearDown() override;

    ComPtr<IXMLDOMDocument2> document;
    std::unique_ptr<PrintTicketDom> ticket;
};

// The text of a BSTR as UTF-8, "(null)" for a null one.
std::string Text(BSTR text);

// One entry of a real document of the fixtures folder; false when absent.
bool ReadFixtureTicket(const std::string& entry, std::string* markup);

// The default device's default ticket with delta merged over it at job
// level, and the device's PrintCapabilities under a ticket (test failures
// when the provider refuses).
std::string MergedOverDeviceDefault(const std::string& delta);
std::string DeviceCapabilities(const std::string& ticket);

}  // namespace settingstest
