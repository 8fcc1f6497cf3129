// Reading a ticket: node selection, option names with and without prefix,
// values written in place or through a ParameterRef, and integer values.
#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "filtercore/print_ticket_dom.h"
#include "filtercore/private_keywords.h"
#include "platform/wformat.h"
#include "testsupport/fixtures.h"
#include "ticket_test_documents.h"

namespace {

using tickettest::Bstr;
using tickettest::LoadDocument;
using tickettest::MakeTicket;
using tickettest::Utf8;

constexpr HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);

const char kBody[] = R"(
  <psf:Feature name="psk:PageMediaSize">
    <psf:Option name="psk:ISOA4">
      <psf:ScoredProperty name="psk:MediaSizeWidth">
        <psf:Value xsi:type="xsd:integer">210000</psf:Value>
      </psf:ScoredProperty>
      <psf:ScoredProperty name="psk:MediaSizeHeight">
        <psf:ParameterRef name="psk:PageMediaSizeMediaSizeHeight"/>
      </psf:ScoredProperty>
    </psf:Option>
  </psf:Feature>
  <psf:Feature name="psk:PageOutputColor"><psf:Option name="ns0000:Custom"/></psf:Feature>
  <psf:Feature name="psk:PageOrientation"><psf:Option name="other:Portrait"/></psf:Feature>
  <psf:Feature name="psk:JobInputBin">
    <psf:ScoredProperty name="psk:OptionName">
      <psf:Value xsi:type="xsd:QName">psk:Letter</psf:Value>
    </psf:ScoredProperty>
  </psf:Feature>
  <psf:Feature name="psk:PageResolution"><psf:Option/></psf:Feature>
  <psf:Feature name="psk:JobBindAllDocuments">
    <psf:Option name="psk:Booklet"/>
    <psf:Feature name="ns0000:BindingGutterControl"><psf:Option name="ns0000:On"/></psf:Feature>
    <psf:Feature name="ns0000:BindingUnit">
      <psf:ScoredProperty name="psk:OptionName"><psf:Value>ns0000:inches</psf:Value></psf:ScoredProperty>
    </psf:Feature>
  </psf:Feature>
  <psf:Feature name="ns0000:BookletPrintingMethod"><psf:Option name="ns0000:DivideIntoSets"/></psf:Feature>
  <psf:Property name="ns0000:Numbers">
    <psf:Property name="ns0000:Spaced"><psf:Value xsi:type="xsd:integer">  -42abc</psf:Value></psf:Property>
    <psf:Property name="ns0000:Signed"><psf:Value xsi:type="xsd:integer">+7</psf:Value></psf:Property>
    <psf:Property name="ns0000:Letters"><psf:Value xsi:type="xsd:integer">abc</psf:Value></psf:Property>
    <psf:Property name="ns0000:Empty"><psf:Value xsi:type="xsd:integer"></psf:Value></psf:Property>
    <psf:Property name="ns0000:Huge"><psf:Value xsi:type="xsd:integer">99999999999</psf:Value></psf:Property>
    <psf:Property name="ns0000:Dangling"><psf:ParameterRef name="psk:Missing"/></psf:Property>
    <psf:Property name="ns0000:CaseDiffers"><psf:ParameterRef name="psk:pagemediasizemediasizeheight"/></psf:Property>
    <psf:Property name="ns0000:Spread"><psf:Value xsi:type="xsd:string">
      On
    </psf:Value></psf:Property>
  </psf:Property>
  <psf:Feature name="psk:JobDuplexAllDocumentsContiguously"><psf:Option name="
    psk:OneSided	"/></psf:Feature>
  <psf:ParameterInit name="psk:Other"><psf:Value xsi:type="xsd:integer">7</psf:Value></psf:ParameterInit>
  <psf:ParameterInit name="psk:PageMediaSizeMediaSizeHeight">
    <psf:Value xsi:type="xsd:integer">2100</psf:Value>
  </psf:ParameterInit>
)";

class TicketQueries : public tickettest::ComTest {
protected:
    void SetUp() override
    {
        ComTest::SetUp();
        document = LoadDocument(MakeTicket(kBody));
        ticket = std::make_unique<PrintTicketDom>(u"PrintTicket", kPrivateKeywordsNamespace, document.Get());
    }
    void TearDown() override
    {
        ticket.reset();
        document.Reset();
        ComTest::TearDown();
    }

    // The option name and private flag, or the failure as text.
    std::string Option(const WCHAR* prefix, const WCHAR* feature, BOOL* isPrivate)
    {
        OwnedBstr name;
        HRESULT hr = ticket->GetOptionName(prefix, feature, name.Out(), isPrivate);
        return hr == S_OK ? Utf8(name.Get()) : "failed " + std::to_string(hr);
    }
    std::string NestedOption(const WCHAR* feature, const WCHAR* subFeature, BOOL* isPrivate)
    {
        OwnedBstr name;
        HRESULT hr = ticket->GetNestedOptionName(ticket->KeywordsPrefix(), feature, ticket->PrivatePrefix(), subFeature,
                                                 name.Out(), isPrivate);
        return hr == S_OK ? Utf8(name.Get()) : "failed " + std::to_string(hr);
    }
    // The path to a member of the private Property Numbers.
    OwnedBstr Number(const WCHAR* member)
    {
        XPathBuilder path = ticket->NewXPath();
        EXPECT_EQ(path.AppendProperty(ticket->PrivatePrefix(), u"Numbers"), S_OK);
        EXPECT_EQ(path.AppendProperty(ticket->PrivatePrefix(), member), S_OK);
        OwnedBstr expression;
        EXPECT_EQ(path.CopyExpression(expression.Out()), S_OK);
        return expression;
    }

    ComPtr<IXMLDOMDocument2> document;
    std::unique_ptr<PrintTicketDom> ticket;
};

TEST_F(TicketQueries, OptionNamesLoseTheirPrefixAndSayWhetherTheyArePrivate)
{
    BOOL isPrivate = -1;
    EXPECT_EQ(Option(ticket->KeywordsPrefix(), u"PageOutputColor", &isPrivate), "Custom");
    EXPECT_EQ(isPrivate, TRUE);
    EXPECT_EQ(Option(ticket->KeywordsPrefix(), u"PageMediaSize", &isPrivate), "ISOA4");
    EXPECT_EQ(isPrivate, FALSE);
    // A prefix the root does not declare stays with the name.
    isPrivate = -1;
    EXPECT_EQ(Option(ticket->KeywordsPrefix(), u"PageOrientation", &isPrivate), "other:Portrait");
    EXPECT_EQ(isPrivate, FALSE);
    // Without the flag the private prefix is kept.
    EXPECT_EQ(Option(ticket->KeywordsPrefix(), u"PageOutputColor", nullptr), "ns0000:Custom");
    // A feature named in the private namespace.
    EXPECT_EQ(Option(ticket->PrivatePrefix(), u"BookletPrintingMethod", &isPrivate), "DivideIntoSets");
    EXPECT_EQ(isPrivate, TRUE);
}

TEST_F(TicketQueries, ValuesAndNamesAreReadWithoutTheWhiteSpaceAroundThem)
{
    OwnedBstr text;
    ASSERT_EQ(ticket->ReadValueText(Number(u"Spread").Get(), text.Out()), S_OK);
    EXPECT_EQ(Utf8(text.Get()), "On");
    EXPECT_EQ(Option(ticket->KeywordsPrefix(), u"JobDuplexAllDocumentsContiguously", nullptr), "OneSided");
}

TEST_F(TicketQueries, AnOptionGivenAsTheScoredPropertyOptionName)
{
    EXPECT_EQ(Option(ticket->KeywordsPrefix(), u"JobInputBin", nullptr), "Letter");
}

TEST_F(TicketQueries, MissingOptionsAreNotFound)
{
    EXPECT_EQ(Option(ticket->KeywordsPrefix(), u"PageDuplex", nullptr), "failed " + std::to_string(kNotFound));
    // The keywords feature of that name does not exist, only the private one.
    EXPECT_EQ(Option(ticket->KeywordsPrefix(), u"BookletPrintingMethod", nullptr),
              "failed " + std::to_string(kNotFound));
    // An Option with neither name nor text has no name to give.
    EXPECT_EQ(Option(ticket->KeywordsPrefix(), u"PageResolution", nullptr), "failed " + std::to_string(E_INVALIDARG));
    EXPECT_EQ(ticket->GetOptionName(ticket->KeywordsPrefix(), u"", nullptr, nullptr), E_POINTER);
    OwnedBstr name;
    EXPECT_EQ(ticket->GetOptionName(ticket->KeywordsPrefix(), u"", name.Out(), nullptr), E_INVALIDARG);
}

TEST_F(TicketQueries, NestedOptionsAreReadFromTheirNameAttributeOnly)
{
    BOOL isPrivate = FALSE;
    EXPECT_EQ(NestedOption(u"JobBindAllDocuments", u"BindingGutterControl", &isPrivate), "On");
    EXPECT_EQ(isPrivate, TRUE);
    EXPECT_EQ(NestedOption(u"JobBindAllDocuments", u"BindingUnit", &isPrivate), "failed " + std::to_string(kNotFound));
    // A private feature that is not inside the keywords feature.
    EXPECT_EQ(NestedOption(u"JobBindAllDocuments", u"BookletPrintingMethod", &isPrivate),
              "failed " + std::to_string(kNotFound));
}

TEST_F(TicketQueries, ScoredPropertyValuesInPlaceAndThroughAParameterRef)
{
    OwnedBstr text;
    ASSERT_EQ(ticket->GetScoredPropertyValue(u"PageMediaSize", u"MediaSizeWidth", text.Out()), S_OK);
    EXPECT_EQ(Utf8(text.Get()), "210000");
    ASSERT_EQ(ticket->GetScoredPropertyValue(u"PageMediaSize", u"MediaSizeHeight", text.Out()), S_OK);
    EXPECT_EQ(Utf8(text.Get()), "2100");
    INT value = 0;
    ASSERT_EQ(ticket->GetScoredPropertyValueInt(u"PageMediaSize", u"MediaSizeHeight", &value), S_OK);
    EXPECT_EQ(value, 2100);

    value = 5;
    EXPECT_EQ(ticket->GetScoredPropertyValueInt(u"PageMediaSize", u"MediaSizeDepth", &value), kNotFound);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(ticket->GetScoredPropertyValue(u"PageMediaSize", u"", text.Out()), E_INVALIDARG);
    EXPECT_EQ(ticket->GetScoredPropertyValue(u"", u"MediaSizeWidth", text.Out()), E_INVALIDARG);
}

TEST_F(TicketQueries, AParameterRefResolvesOnlyToTheInitialiserOfEqualName)
{
    OwnedBstr text;
    EXPECT_EQ(ticket->ReadValue(Number(u"Dangling").Get(), text.Out()), S_FALSE);
    EXPECT_EQ(ticket->ReadValueText(Number(u"Dangling").Get(), text.Out()), kNotFound);
    // Names compare case-sensitively.
    EXPECT_EQ(ticket->ReadValueText(Number(u"CaseDiffers").Get(), text.Out()), kNotFound);
}

TEST_F(TicketQueries, IntegerValuesFollowTheDecimalConversionRules)
{
    const std::pair<const WCHAR*, INT> cases[] = {
        {u"Spaced", -42}, {u"Signed", 7}, {u"Letters", 0}, {u"Empty", 0}, {u"Huge", std::numeric_limits<INT>::max()}};
    for (auto [member, expected] : cases) {
        INT value = 12345;
        EXPECT_EQ(ticket->ReadValueInt(Number(member).Get(), &value), S_OK) << WideToUtf8(member);
        EXPECT_EQ(value, expected);
    }
    INT value = 12345;
    EXPECT_EQ(ticket->ReadValueInt(Number(u"Absent").Get(), &value), kNotFound);
    EXPECT_EQ(value, 12345);
    EXPECT_EQ(ticket->ReadValueInt(Number(u"Spaced").Get(), nullptr), E_POINTER);
}

TEST_F(TicketQueries, SelectionResults)
{
    OwnedBstr features = Bstr("/psf:PrintTicket/psf:Feature");
    OwnedBstr nothing = Bstr("//psf:Nothing");
    OwnedBstr malformed = Bstr("//psf:Feature[");
    OwnedBstr empty = Bstr("");

    ComPtr<IXMLDOMNodeList> list;
    ASSERT_EQ(ticket->SelectNodes(features.Get(), list.Out()), S_OK);
    LONG length = 0;
    ASSERT_EQ(list->get_length(&length), S_OK);
    EXPECT_EQ(length, 8);
    ASSERT_EQ(ticket->SelectNodes(nothing.Get(), list.Out()), S_FALSE);
    ASSERT_EQ(list->get_length(&length), S_OK);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(ticket->SelectNodes(empty.Get(), list.Out()), E_FAIL);

    ComPtr<IXMLDOMNode> node;
    EXPECT_EQ(ticket->SelectSingleNode(nothing.Get(), node.Out()), S_FALSE);
    EXPECT_EQ(ticket->SelectSingleNode(empty.Get(), node.Out()), E_INVALIDARG);
    EXPECT_EQ(ticket->SelectSingleNode(features.Get(), nullptr), E_POINTER);
    EXPECT_EQ(ticket->NodeExists(features.Get()), S_OK);
    EXPECT_EQ(ticket->NodeExists(nothing.Get()), kNotFound);
    // A broken expression is a failure, not an absence.
    EXPECT_EQ(ticket->NodeExists(malformed.Get()), XPATH_E_INVALID);
}

TEST_F(TicketQueries, SelectSingleNodeReleasesTheNodeItIsGivenBack)
{
    OwnedBstr features = Bstr("/psf:PrintTicket/psf:Feature");
    IXMLDOMNode* held = nullptr;
    ASSERT_EQ(ticket->SelectRoot(&held), S_OK);
    IXMLDOMNode* earlier = held;
    earlier->AddRef();
    ASSERT_EQ(ticket->SelectSingleNode(features.Get(), &held), S_OK);
    EXPECT_NE(held, earlier);
    // Only the extra reference taken above is left.
    EXPECT_EQ(earlier->Release(), 0u);
    held->Release();
}

TEST_F(TicketQueries, AttributesByName)
{
    OwnedBstr expression = Bstr("//psf:Feature[@name = 'psk:PageOutputColor']/psf:Option");
    ComPtr<IXMLDOMNode> option;
    ASSERT_EQ(ticket->SelectSingleNode(expression.Get(), option.Out()), S_OK);
    OwnedBstr text;
    ASSERT_EQ(ticket->GetAttribute(option.Get(), u"name", text.Out()), S_OK);
    EXPECT_EQ(Utf8(text.Get()), "ns0000:Custom");
    EXPECT_EQ(ticket->GetAttribute(option.Get(), u"constrained", text.Out()), S_FALSE);
    EXPECT_EQ(text.Get(), nullptr);
    EXPECT_EQ(ticket->GetAttribute(option.Get(), u"", text.Out()), E_INVALIDARG);
    EXPECT_EQ(ticket->GetAttribute(nullptr, u"name", text.Out()), E_POINTER);
}

TEST_F(TicketQueries, StripPrefixRemovesOnlyALeadingDeclaredPrefix)
{
    const std::pair<const char*, const char*> cases[] = {
        {"ns0000:Tray1", "Tray1"}, {"psk:ISOA4", "ISOA4"}, {"xpsk:ISOA4", "xpsk:ISOA4"}, {"A4psk:", "A4psk:"}};
    for (auto [given, expected] : cases) {
        OwnedBstr name = Bstr(given);
        BOOL isPrivate = FALSE;
        ASSERT_EQ(ticket->StripPrefix(name.InPlace(), &isPrivate), S_OK);
        EXPECT_EQ(Utf8(name.Get()), expected);
    }
    OwnedBstr empty = Bstr("");
    BOOL isPrivate = TRUE;
    EXPECT_EQ(ticket->StripPrefix(empty.InPlace(), &isPrivate), E_INVALIDARG);
    EXPECT_EQ(isPrivate, FALSE);
}

TEST_F(TicketQueries, WithoutAPrivateNamespaceNoNameIsPrivate)
{
    tickettest::Prefixes prefixes;
    prefixes.privateKeywords = "";
    ComPtr<IXMLDOMDocument2> plain = LoadDocument(MakeTicket("", prefixes));
    PrintTicketDom plainTicket(u"PrintTicket", kPrivateKeywordsNamespace, plain.Get());
    OwnedBstr name = Bstr("ns0000:Tray1");
    BOOL isPrivate = TRUE;
    ASSERT_EQ(plainTicket.StripPrefix(name.InPlace(), &isPrivate), S_OK);
    EXPECT_EQ(Utf8(name.Get()), "ns0000:Tray1");
    EXPECT_EQ(isPrivate, FALSE);
}

TEST_F(TicketQueries, TheRealTicketsSettingsAreRead)
{
    std::string job;
    std::string documentTicket;
    if (!testsupport::ReadFixtureEntry("xps/mb06.xps", "Resources/Job_PT.xml", &job) ||
        !testsupport::ReadFixtureEntry("xps/mb06.xps", "Resources/Document1_PT.xml", &documentTicket))
        GTEST_SKIP() << "the fixture xps/mb06.xps is absent; set TAV_FIXTURES";

    ComPtr<IXMLDOMDocument2> jobDocument = LoadDocument(job);
    PrintTicketDom jobTicket(u"PrintTicket", kPrivateKeywordsNamespace, jobDocument.Get());
    XPathBuilder copies = jobTicket.NewXPath();
    ASSERT_EQ(copies.AppendParameterInit(jobTicket.KeywordsPrefix(), u"JobCopiesAllDocuments"), S_OK);
    INT count = 0;
    ASSERT_EQ(jobTicket.ReadValueInt(copies.Expression(), &count), S_OK);
    EXPECT_EQ(count, 2);

    ComPtr<IXMLDOMDocument2> documentDocument = LoadDocument(documentTicket);
    PrintTicketDom documentLevel(u"PrintTicket", kPrivateKeywordsNamespace, documentDocument.Get());
    OwnedBstr text;
    BOOL isPrivate = TRUE;
    ASSERT_EQ(documentLevel.GetOptionName(documentLevel.KeywordsPrefix(), u"DocumentDuplex", text.Out(), &isPrivate),
              S_OK);
    EXPECT_EQ(Utf8(text.Get()), "TwoSidedLongEdge");
    EXPECT_EQ(isPrivate, FALSE);
    ASSERT_EQ(documentLevel.GetScoredPropertyValue(u"DocumentDuplex", u"DuplexMode", text.Out()), S_OK);
    EXPECT_EQ(Utf8(text.Get()), "_Undefined_");
    EXPECT_EQ(documentLevel.FeatureExists(u"JobDuplexAllDocumentsContiguously"), kNotFound);
}

}  // namespace
