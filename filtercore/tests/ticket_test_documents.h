// Helpers of the ticket access tests: a COM apartment per test, tickets
// written by hand with chosen prefixes, platform DOM documents loaded from
// markup and saved back to markup, and BSTR conversions.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "filtercore/owned_bstr.h"
#include "platform/com.h"
#include "platform/comobject.h"
#include "platform/xml.h"

namespace tickettest {

class ComTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }
};

// The prefixes a hand-made ticket declares on its root, in this order; an
// empty prefix is not declared, except the framework one, which then
// becomes the default namespace.
struct Prefixes {
    std::string framework = "psf";
    std::string keywords = "psk";
    std::string xsi = "xsi";
    std::string xsd = "xsd";
    std::string privateKeywords = "ns0000";
};

// A PrintTicket root with the declarations of prefixes around body.
std::string MakeTicket(const std::string& body, const Prefixes& prefixes = Prefixes());

// A platform DOM document holding the markup (a test failure if it does not
// load).
ComPtr<IXMLDOMDocument2> LoadDocument(const std::string& markup);
// The document's markup as save writes it.
std::string SavedMarkup(IXMLDOMDocument2* document);

// UTF-8 of a BSTR, and a BSTR of UTF-8 text.
std::string Utf8(BSTR text);
OwnedBstr Bstr(const std::string& text);

}  // namespace tickettest
