// Wrapping a ticket: the prefixes found on the root, the selection
// namespaces that follow from them, and the tickets that cannot be wrapped.
#include <gtest/gtest.h>

#include <memory>

#include "filtercore/print_ticket_dom.h"
#include "filtercore/private_keywords.h"
#include "testsupport/fixtures.h"
#include "testsupport/ticket_markup.h"
#include "ticket_test_documents.h"

namespace {

using tickettest::LoadDocument;
using tickettest::MakeTicket;
using tickettest::Prefixes;
using tickettest::Utf8;

class TicketConstruction : public tickettest::ComTest {};

std::unique_ptr<PrintTicketDom> Wrap(IXMLDOMDocument2* document, const WCHAR* root = u"PrintTicket")
{
    return std::make_unique<PrintTicketDom>(root, kPrivateKeywordsNamespace, document);
}

// The HRESULT construction raises, or S_OK when it completes.
HRESULT ConstructionResult(const std::string& markup, const WCHAR* root = u"PrintTicket")
{
    ComPtr<IXMLDOMDocument2> document = LoadDocument(markup);
    try {
        PrintTicketDom ticket(root, kPrivateKeywordsNamespace, document.Get());
        return S_OK;
    } catch (const CXDException& raised) {
        return raised.hr;
    }
}

TEST_F(TicketConstruction, FindsEachPrefixWithItsColon)
{
    ComPtr<IXMLDOMDocument2> document = LoadDocument(
        MakeTicket("<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:ISOA4\"/></psf:Feature>"));
    auto ticket = Wrap(document.Get());
    EXPECT_EQ(Utf8(ticket->FrameworkPrefix()), "psf:");
    EXPECT_EQ(Utf8(ticket->KeywordsPrefix()), "psk:");
    EXPECT_EQ(Utf8(ticket->XsiPrefix()), "xsi:");
    EXPECT_EQ(Utf8(ticket->XsdPrefix()), "xsd:");
    EXPECT_EQ(Utf8(ticket->PrivatePrefix()), "ns0000:");
    EXPECT_TRUE(ticket->PrivateNamespaceDeclared());
    EXPECT_FALSE(ticket->IsCapabilities());
    EXPECT_EQ(ticket->FeatureExists(u"PageMediaSize"), S_OK);
    EXPECT_EQ(ticket->FeatureExists(u"PageOrientation"), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
}

TEST_F(TicketConstruction, ReadsThePrefixesOfTheRealJobAndDocumentTickets)
{
    std::string job;
    std::string documentTicket;
    if (!testsupport::ReadFixtureEntry("xps/mb06.xps", "Resources/Job_PT.xml", &job) ||
        !testsupport::ReadFixtureEntry("xps/mb06.xps", "Resources/Document1_PT.xml", &documentTicket))
        GTEST_SKIP() << "the fixture xps/mb06.xps is absent; set TAV_FIXTURES";

    for (const std::string& markup : {job, documentTicket}) {
        ComPtr<IXMLDOMDocument2> document = LoadDocument(markup);
        auto ticket = Wrap(document.Get());
        EXPECT_EQ(Utf8(ticket->FrameworkPrefix()), "psf:");
        EXPECT_EQ(Utf8(ticket->KeywordsPrefix()), "psk:");
        EXPECT_EQ(Utf8(ticket->XsiPrefix()), "xsi:");
        // These tickets call the XML Schema namespace xs.
        EXPECT_EQ(Utf8(ticket->XsdPrefix()), "xs:");
        EXPECT_EQ(ticket->PrivatePrefix(), nullptr);
        EXPECT_FALSE(ticket->PrivateNamespaceDeclared());
    }
}

TEST_F(TicketConstruction, AOneLetterFrameworkPrefixIsBoundNextToPsf)
{
    Prefixes prefixes;
    prefixes.framework = "p";
    prefixes.keywords = "k";
    ComPtr<IXMLDOMDocument2> document = LoadDocument(
        MakeTicket("<p:Feature name=\"k:PageMediaSize\"><p:Option name=\"k:ISOA4\"/></p:Feature>", prefixes));
    auto ticket = Wrap(document.Get());
    EXPECT_EQ(Utf8(ticket->FrameworkPrefix()), "p:");

    XPathBuilder path = ticket->NewXPath();
    ASSERT_EQ(path.AppendFeature(ticket->KeywordsPrefix(), u"PageMediaSize"), S_OK);
    EXPECT_EQ(Utf8(path.Expression()).rfind("//p:Feature", 0), 0u);
    EXPECT_EQ(ticket->NodeExists(path.Expression()), S_OK);

    // The root is still found as psf:PrintTicket.
    ComPtr<IXMLDOMNode> root;
    ASSERT_EQ(ticket->SelectRoot(root.Out()), S_OK);
    BSTR name = nullptr;
    ASSERT_EQ(root->get_nodeName(&name), S_OK);
    EXPECT_EQ(Utf8(name), "p:PrintTicket");
    SysFreeString(name);
}

TEST_F(TicketConstruction, ADefaultNamespaceDeclarationCannotGiveAPrefix)
{
    Prefixes defaultFramework;
    defaultFramework.framework = "";
    EXPECT_EQ(ConstructionResult(MakeTicket("<Feature name=\"psk:PageMediaSize\"/>", defaultFramework)), E_FAIL);

    // The same for the keywords namespace.
    std::string markup = std::string("<psf:PrintTicket xmlns:psf=\"") + testsupport::kFrameworkUri + "\" xmlns=\"" +
                         testsupport::kKeywordsUri + "\" version=\"1\"/>";
    EXPECT_EQ(ConstructionResult(markup), E_FAIL);
}

TEST_F(TicketConstruction, RootsThatAreNotFoundAndMissingArguments)
{
    // A ticket wrapped as capabilities has no root of that name.
    EXPECT_EQ(ConstructionResult(MakeTicket(""), u"PrintCapabilities"), E_FAIL);
    EXPECT_EQ(ConstructionResult(MakeTicket(""), u""), E_INVALIDARG);
    try {
        PrintTicketDom ticket(u"PrintTicket", kPrivateKeywordsNamespace, nullptr);
        ADD_FAILURE() << "constructed without a document";
    } catch (const CXDException& raised) {
        EXPECT_EQ(raised.hr, E_UNEXPECTED);
    }
}

TEST_F(TicketConstruction, CapabilitiesAreRecognisedByTheirRootName)
{
    std::string markup = std::string("<psf:PrintCapabilities xmlns:psf=\"") + testsupport::kFrameworkUri +
                         "\" xmlns:psk=\"" + testsupport::kKeywordsUri + "\" version=\"1\"/>";
    ComPtr<IXMLDOMDocument2> document = LoadDocument(markup);
    auto capabilities = Wrap(document.Get(), u"PrintCapabilities");
    EXPECT_TRUE(capabilities->IsCapabilities());
    EXPECT_EQ(capabilities->XsiPrefix(), nullptr);
    EXPECT_EQ(capabilities->PrivatePrefix(), nullptr);
}

TEST_F(TicketConstruction, UndeclaredKeywordsStillWrapButNamesAreNotFound)
{
    Prefixes prefixes;
    prefixes.keywords = "";
    ComPtr<IXMLDOMDocument2> document = LoadDocument(
        MakeTicket("<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:ISOA4\"/></psf:Feature>", prefixes));
    auto ticket = Wrap(document.Get());
    EXPECT_EQ(ticket->KeywordsPrefix(), nullptr);
    EXPECT_EQ(ticket->FeatureExists(u"PageMediaSize"), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
}

}  // namespace
