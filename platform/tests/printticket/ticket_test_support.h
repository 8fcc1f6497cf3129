// Helpers of the PrintTicket provider tests: streams over text, opened
// providers, and XPath queries on the documents the provider writes (read
// with libxml2 directly, independently of the provider's own code).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/printticket.h"
#include "platform/stream.h"
#include "testsupport/ticket_markup.h"

namespace tav::testing {

inline constexpr char kFramework[] = "http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";
inline constexpr char kKeywords[] = "http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords";
inline constexpr char kPrivate[] = "http://schemas.tavprint.example/quix/printing/2006/11/printschemakeywords";

// The root element of a ticket declaring psf, psk, xsi and xsd (and the
// private namespace as ns0000), followed by body and the end tag.
std::string Ticket(const std::string& body);

// A read-only stream positioned at 0 over the text.
IStream* TextStream(const std::string& text);
// A new empty read-write memory stream.
IStream* EmptyStream();
// Everything written to a memory stream.
std::string StreamText(IStream* stream);

struct StreamReleaser {
    void operator()(IStream* stream) const { stream->Release(); }
};
using StreamPtr = std::unique_ptr<IStream, StreamReleaser>;

// A provider opened for a printer name, closed at the end of the scope.
class Provider {
public:
    explicit Provider(const char16_t* printerName = u"Test printer");
    ~Provider();
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    HPTPROVIDER Get() const { return handle_; }

private:
    HPTPROVIDER handle_ = nullptr;
};

// The outcome of one merge: HRESULT, result text and error message.
struct MergeOutcome {
    HRESULT hr = E_FAIL;
    std::string result;
    std::string message;
};
MergeOutcome Merge(HPTPROVIDER provider, const std::string& base, const std::string* delta,
                   EPrintTicketScope scope = kPTJobScope);
MergeOutcome Merge(HPTPROVIDER provider, const std::string& base, const std::string& delta,
                   EPrintTicketScope scope = kPTJobScope);

// The capabilities for a ticket (empty: none given).
std::string Capabilities(HPTPROVIDER provider, const std::string& ticket);
std::string DefaultTicket(HPTPROVIDER provider);

// Documents are checked with libxml2's own XPath (psf, psk, priv, xsi and
// xsd bound by URI).
using testsupport::TicketMarkup;

// Writes text to a new file in a test temporary folder; returns its path.
std::string WriteTemporaryFile(const std::string& name, const std::string& text);

}  // namespace tav::testing
