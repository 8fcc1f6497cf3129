// Changing a ticket: the elements the builders create, checked in the saved
// markup with libxml2 by namespace URI, and the removal of features,
// properties and initialisers.
#include <gtest/gtest.h>

#include <memory>

#include "filtercore/print_schema_namespaces.h"
#include "filtercore/print_ticket_dom.h"
#include "filtercore/private_keywords.h"
#include "testsupport/fixtures.h"
#include "testsupport/ticket_markup.h"
#include "ticket_test_documents.h"

namespace {

using testsupport::TicketMarkup;
using tickettest::LoadDocument;
using tickettest::MakeTicket;
using tickettest::Prefixes;
using tickettest::SavedMarkup;
using tickettest::Utf8;

class TicketChanges : public tickettest::ComTest {
protected:
    void Wrap(const std::string& markup)
    {
        document = LoadDocument(markup);
        ticket = std::make_unique<PrintTicketDom>(u"PrintTicket", kPrivateKeywordsNamespace, document.Get());
        ASSERT_EQ(ticket->SelectRoot(root.Out()), S_OK);
    }
    void TearDown() override
    {
        root.Reset();
        ticket.reset();
        document.Reset();
        ComTest::TearDown();
    }
    void Append(IXMLDOMNode* child)
    {
        ASSERT_TRUE(root);
        ASSERT_EQ(root->appendChild(child, nullptr), S_OK);
    }
    std::string Saved() { return SavedMarkup(document.Get()); }

    ComPtr<IXMLDOMDocument2> document;
    std::unique_ptr<PrintTicketDom> ticket;
    ComPtr<IXMLDOMNode> root;
};

TEST_F(TicketChanges, FeaturesAreNamedInTheKeywordsOrPrivateNamespace)
{
    Wrap(MakeTicket(""));
    ComPtr<IXMLDOMElement> feature;
    ComPtr<IXMLDOMElement> option;
    ASSERT_EQ(ticket->CreateFeatureWithOption(TRUE, u"PageReverseImage", TRUE, u"On", feature.Out(), option.Out()),
              S_OK);
    Append(feature.Get());
    ASSERT_EQ(ticket->CreateFeatureWithOption(FALSE, u"PageMirrorImage", FALSE, u"None", feature.Out(), option.Out()),
              S_OK);
    Append(feature.Get());
    ASSERT_EQ(ticket->CreateFeature(FALSE, u"JobNUpAllDocumentsContiguously", feature.Out(), option.Out()), S_OK);
    Append(feature.Get());

    TicketMarkup saved(Saved());
    ASSERT_TRUE(saved.Parsed());
    EXPECT_EQ(saved.Count("/psf:PrintTicket/psf:Feature"), 3);
    EXPECT_EQ(
        saved.Count("/psf:PrintTicket/psf:Feature[@name='ns0000:PageReverseImage']/psf:Option[@name='ns0000:On']"), 1);
    EXPECT_EQ(saved.Count("/psf:PrintTicket/psf:Feature[@name='psk:PageMirrorImage']/psf:Option[@name='psk:None']"), 1);
    EXPECT_EQ(
        saved.Count("/psf:PrintTicket/psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']/psf:Option[not(@*)]"), 1);
    EXPECT_EQ(saved.Count("//psf:Option/*"), 0);
}

TEST_F(TicketChanges, ParametersHoldATypedValue)
{
    Wrap(MakeTicket(""));
    ComPtr<IXMLDOMElement> reference;
    ComPtr<IXMLDOMElement> initialiser;
    ASSERT_EQ(ticket->CreateIntParameter(u"PageMediaSizeMediaSizeWidth", 215900, reference.Out(), initialiser.Out()),
              S_OK);
    ComPtr<IXMLDOMElement> scored;
    ASSERT_EQ(ticket->WrapInScoredProperty(ticket->KeywordsPrefix(), u"MediaSizeWidth", reference.Get(), scored.Out()),
              S_OK);
    Append(scored.Get());
    Append(initialiser.Get());
    // Without a reference only the initialiser is made.
    ASSERT_EQ(ticket->CreateParameter(ticket->PrivatePrefix(), u"JobBindBookletDivideSheets", u"integer", u"5", nullptr,
                                      initialiser.Out()),
              S_OK);
    Append(initialiser.Get());

    TicketMarkup saved(Saved());
    EXPECT_EQ(saved.Count("/psf:PrintTicket/psf:ScoredProperty[@name='psk:MediaSizeWidth']/psf:ParameterRef"
                          "[@name='psk:PageMediaSizeMediaSizeWidth'][not(*)]"),
              1);
    EXPECT_EQ(saved.Text("/psf:PrintTicket/psf:ParameterInit[@name='psk:PageMediaSizeMediaSizeWidth']/psf:Value"),
              "215900");
    EXPECT_EQ(saved.Text("//psf:ParameterInit[@name='psk:PageMediaSizeMediaSizeWidth']/psf:Value/@xsi:type"),
              "xsd:integer");
    EXPECT_EQ(saved.Text("//psf:ParameterInit[@name='ns0000:JobBindBookletDivideSheets']/psf:Value"), "5");
    EXPECT_EQ(saved.Count("//psf:ParameterRef"), 1);
}

TEST_F(TicketChanges, PropertiesAndScoredPropertiesWithValues)
{
    Wrap(MakeTicket(""));
    ComPtr<IXMLDOMElement> group;
    ASSERT_EQ(ticket->CreateProperty(ticket->PrivatePrefix(), u"PageMediaSizeData", group.Out()), S_OK);
    ComPtr<IXMLDOMElement> member;
    ASSERT_EQ(
        ticket->CreatePropertyWithValue(ticket->PrivatePrefix(), u"CustomUnitType", u"string", u"mm", member.Out()),
        S_OK);
    ASSERT_EQ(group->appendChild(member.Get(), nullptr), S_OK);
    ASSERT_EQ(ticket->CreateIntProperty(ticket->PrivatePrefix(), u"CustomPaperTemp", -1, member.Out()), S_OK);
    ASSERT_EQ(group->appendChild(member.Get(), nullptr), S_OK);
    Append(group.Get());
    ComPtr<IXMLDOMElement> scored;
    ASSERT_EQ(ticket->CreateIntScoredProperty(ticket->KeywordsPrefix(), u"PagesPerSheet", 4, scored.Out()), S_OK);
    Append(scored.Get());
    ASSERT_EQ(ticket->CreateScoredPropertyWithValue(ticket->PrivatePrefix(), u"DependOnDuplex", u"string", u"False",
                                                    scored.Out()),
              S_OK);
    Append(scored.Get());

    TicketMarkup saved(Saved());
    const std::string data = "/psf:PrintTicket/psf:Property[@name='ns0000:PageMediaSizeData']";
    EXPECT_EQ(saved.Text(data + "/psf:Property[@name='ns0000:CustomUnitType']/psf:Value"), "mm");
    EXPECT_EQ(saved.Text(data + "/psf:Property[@name='ns0000:CustomUnitType']/psf:Value/@xsi:type"), "xsd:string");
    EXPECT_EQ(saved.Text(data + "/psf:Property[2][@name='ns0000:CustomPaperTemp']/psf:Value"), "-1");
    EXPECT_EQ(saved.Text("/psf:PrintTicket/psf:ScoredProperty[@name='psk:PagesPerSheet']/psf:Value"), "4");
    EXPECT_EQ(saved.Text("/psf:PrintTicket/psf:ScoredProperty[@name='psk:PagesPerSheet']/psf:Value/@xsi:type"),
              "xsd:integer");
    EXPECT_EQ(saved.Text("/psf:PrintTicket/psf:ScoredProperty[@name='ns0000:DependOnDuplex']/psf:Value"), "False");
}

TEST_F(TicketChanges, ValuesUseTheDocumentsOwnSchemaPrefixes)
{
    std::string job;
    if (!testsupport::ReadFixtureEntry("xps/mb06.xps", "Resources/Job_PT.xml", &job))
        GTEST_SKIP() << "the fixture xps/mb06.xps is absent; set TAV_FIXTURES";
    Wrap(job);
    ComPtr<IXMLDOMElement> initialiser;
    ASSERT_EQ(ticket->CreateIntParameter(u"JobCopiesAllDocuments", 3, nullptr, initialiser.Out()), S_OK);
    ASSERT_EQ(ticket->RemoveParameterInit(u"JobCopiesAllDocuments"), S_OK);
    EXPECT_EQ(ticket->RemoveParameterInit(u"JobCopiesAllDocuments"), S_FALSE);
    Append(initialiser.Get());

    TicketMarkup saved(Saved());
    EXPECT_EQ(saved.Count("//psf:ParameterInit"), 1);
    EXPECT_EQ(saved.Text("//psf:ParameterInit[@name='psk:JobCopiesAllDocuments']/psf:Value"), "3");
    // This ticket calls the XML Schema namespace xs.
    EXPECT_EQ(saved.Text("//psf:ParameterInit/psf:Value/@xsi:type"), "xs:integer");
}

TEST_F(TicketChanges, AOneLetterFrameworkTicketIsRewrittenThroughItsRoot)
{
    Prefixes prefixes;
    prefixes.framework = "p";
    prefixes.keywords = "k";
    Wrap(MakeTicket("<p:Feature name=\"k:PageMediaSize\"><p:Option name=\"k:ISOA4\"/></p:Feature>", prefixes));
    // Replace the media as the page geometry writer does.
    ASSERT_EQ(ticket->RemoveFeature(u"PageMediaSize"), S_OK);
    ComPtr<IXMLDOMElement> feature;
    ComPtr<IXMLDOMElement> option;
    ASSERT_EQ(ticket->CreateFeatureWithOption(FALSE, u"PageMediaSize", FALSE, u"CustomMediaSize", feature.Out(),
                                              option.Out()),
              S_OK);
    ComPtr<IXMLDOMElement> reference;
    ComPtr<IXMLDOMElement> initialiser;
    ASSERT_EQ(ticket->CreateIntParameter(u"PageMediaSizeMediaSizeWidth", 100000, reference.Out(), initialiser.Out()),
              S_OK);
    ComPtr<IXMLDOMElement> scored;
    ASSERT_EQ(ticket->WrapInScoredProperty(ticket->KeywordsPrefix(), u"MediaSizeWidth", reference.Get(), scored.Out()),
              S_OK);
    ASSERT_EQ(option->appendChild(scored.Get(), nullptr), S_OK);
    Append(feature.Get());
    Append(initialiser.Get());

    std::string markup = Saved();
    TicketMarkup saved(markup);
    EXPECT_EQ(saved.RootPrefix(testsupport::kFrameworkUri), "p");
    EXPECT_EQ(saved.Count("/psf:PrintTicket/psf:Feature"), 1);
    EXPECT_EQ(saved.Count("/psf:PrintTicket/psf:Feature[@name='k:PageMediaSize']/psf:Option[@name='k:CustomMediaSize']"
                          "/psf:ScoredProperty[@name='k:MediaSizeWidth']/psf:ParameterRef"),
              1);
    EXPECT_EQ(saved.Text("/psf:PrintTicket/psf:ParameterInit[@name='k:PageMediaSizeMediaSizeWidth']/psf:Value"),
              "100000");
    // The new elements use the root's prefix instead of declaring their own.
    EXPECT_EQ(markup.find("xmlns:p=", markup.find("xmlns:p=") + 1), std::string::npos) << markup;

    // Read back through a new wrapper, the value comes through the reference.
    ComPtr<IXMLDOMDocument2> reread = LoadDocument(markup);
    PrintTicketDom rereadTicket(u"PrintTicket", kPrivateKeywordsNamespace, reread.Get());
    INT width = 0;
    ASSERT_EQ(rereadTicket.GetScoredPropertyValueInt(u"PageMediaSize", u"MediaSizeWidth", &width), S_OK);
    EXPECT_EQ(width, 100000);
}

TEST_F(TicketChanges, RemoveFeatureTakesEveryOccurrenceAndOnlyItsInitialisers)
{
    Wrap(MakeTicket(R"(
      <psf:Feature name="psk:PageMediaSize"><psf:Option name="psk:CustomMediaSize">
        <psf:ScoredProperty name="psk:MediaSizeWidth"><psf:ParameterRef name="psk:Width"/></psf:ScoredProperty>
      </psf:Option></psf:Feature>
      <psf:Feature name="psk:PageOrientation"><psf:Option name="psk:Portrait"/></psf:Feature>
      <psf:Feature name="psk:PageMediaSize"><psf:Option name="psk:CustomMediaSize">
        <psf:ScoredProperty name="psk:MediaSizeHeight"><psf:ParameterRef name="psk:Height"/></psf:ScoredProperty>
      </psf:Option></psf:Feature>
      <psf:ParameterInit name="psk:Width"><psf:Value>100</psf:Value></psf:ParameterInit>
      <psf:ParameterInit name="psk:Copies"><psf:Value>2</psf:Value></psf:ParameterInit>
      <psf:ParameterInit name="psk:Height"><psf:Value>200</psf:Value></psf:ParameterInit>
      <psf:Feature name="ns0000:PageMediaSize"><psf:Option name="ns0000:Own"/></psf:Feature>)"));
    ASSERT_EQ(ticket->RemoveFeature(u"PageMediaSize"), S_OK);

    TicketMarkup saved(Saved());
    EXPECT_EQ(saved.Count("//psf:Feature[@name='psk:PageMediaSize']"), 0);
    EXPECT_EQ(saved.Count("//psf:Feature[@name='psk:PageOrientation']"), 1);
    EXPECT_EQ(saved.Count("//psf:Feature[@name='ns0000:PageMediaSize']"), 1);
    EXPECT_EQ(saved.Count("//psf:ParameterInit"), 1);
    EXPECT_EQ(saved.Text("//psf:ParameterInit/@name"), "psk:Copies");

    // Nothing left to remove is no failure; the private feature goes by its own call.
    EXPECT_EQ(ticket->RemoveFeature(u"PageMediaSize"), S_OK);
    ASSERT_EQ(ticket->RemovePrivateFeature(u"PageMediaSize"), S_OK);
    EXPECT_EQ(TicketMarkup(Saved()).Count("//psf:Feature"), 1);
}

TEST_F(TicketChanges, RemovePropertyAndParameterInitTakeTheFirstOfTheirNamespace)
{
    Wrap(MakeTicket(R"(
      <psf:Property name="ns0000:JobInfoData"><psf:Property name="ns0000:CodePage"/></psf:Property>
      <psf:Property name="ns0000:JobInfoData"/>
      <psf:Property name="psk:JobSettingData"/>
      <psf:ParameterInit name="ns0000:JobBindAllDocumentsGutter"/>
      <psf:ParameterInit name="psk:JobBindAllDocumentsGutter"/>)"));
    ASSERT_EQ(ticket->RemoveProperty(u"JobInfoData"), S_OK);
    EXPECT_EQ(ticket->RemoveProperty(u"JobSettingData"), S_FALSE);
    ASSERT_EQ(ticket->RemoveParameterInit(u"JobBindAllDocumentsGutter"), S_OK);

    TicketMarkup saved(Saved());
    EXPECT_EQ(saved.Count("/psf:PrintTicket/psf:Property[@name='ns0000:JobInfoData'][not(*)]"), 1);
    EXPECT_EQ(saved.Count("//psf:Property[@name='ns0000:CodePage']"), 0);
    EXPECT_EQ(saved.Count("//psf:Property[@name='psk:JobSettingData']"), 1);
    EXPECT_EQ(saved.Text("//psf:ParameterInit/@name"), "ns0000:JobBindAllDocumentsGutter");
    EXPECT_EQ(saved.Count("//psf:ParameterInit"), 1);

    // The private initialiser goes by its own call, and only it.
    EXPECT_EQ(ticket->RemovePrivateParameterInit(u"JobBindBookletDivideSheets"), S_FALSE);
    ASSERT_EQ(ticket->RemovePrivateParameterInit(u"JobBindAllDocumentsGutter"), S_OK);
    EXPECT_EQ(TicketMarkup(Saved()).Count("//psf:ParameterInit"), 0);
}

TEST_F(TicketChanges, NodesWithoutParentAndBadArguments)
{
    Wrap(MakeTicket(""));
    ComPtr<IXMLDOMElement> loose;
    ASSERT_EQ(ticket->CreateProperty(ticket->PrivatePrefix(), u"Loose", loose.Out()), S_OK);
    EXPECT_EQ(ticket->RemoveNode(loose.Get()), S_FALSE);
    Append(loose.Get());
    EXPECT_EQ(ticket->RemoveNode(loose.Get()), S_OK);
    EXPECT_EQ(TicketMarkup(Saved()).Count("//psf:Property"), 0);

    ComPtr<IXMLDOMElement> element;
    ComPtr<IXMLDOMElement> option;
    EXPECT_EQ(ticket->RemoveNode(nullptr), E_POINTER);
    EXPECT_EQ(ticket->CreateProperty(ticket->PrivatePrefix(), u"", element.Out()), E_INVALIDARG);
    EXPECT_EQ(ticket->CreateProperty(ticket->PrivatePrefix(), u"A", nullptr), E_POINTER);
    EXPECT_EQ(ticket->CreateElement(u"", element.Out()), E_INVALIDARG);
    EXPECT_EQ(ticket->CreateFeature(FALSE, u"A", element.Out(), nullptr), E_POINTER);
    EXPECT_EQ(ticket->CreateFeatureWithOption(FALSE, u"A", FALSE, u"", element.Out(), option.Out()), E_INVALIDARG);
    EXPECT_EQ(ticket->CreateParameter(nullptr, u"A", u"", u"1", nullptr, element.Out()), E_INVALIDARG);
    EXPECT_EQ(ticket->RemoveFeature(u""), E_INVALIDARG);
}

TEST_F(TicketChanges, SetAttributePlacesTheAttributeInItsNamespace)
{
    Wrap(MakeTicket(""));
    ComPtr<IXMLDOMElement> element;
    ASSERT_EQ(ticket->CreateElement(u"psf:Option", element.Out()), S_OK);
    ASSERT_EQ(ticket->SetAttribute(element.Get(), u"name", nullptr, u"psk:A & <B>"), S_OK);
    ASSERT_EQ(ticket->SetAttribute(element.Get(), u"xsi:nil", kSchemaInstanceNamespace, u"true"), S_OK);
    Append(element.Get());
    TicketMarkup saved(Saved());
    EXPECT_EQ(saved.Text("/psf:PrintTicket/psf:Option/@name"), "psk:A & <B>");
    EXPECT_EQ(saved.Text("/psf:PrintTicket/psf:Option/@xsi:nil"), "true");
}

TEST_F(TicketChanges, AValueTypeIsInTheSchemaInstanceNamespaceEvenWhereTheRootDoesNotDeclareIt)
{
    Prefixes prefixes;
    prefixes.xsi = "";
    Wrap(MakeTicket("", prefixes));
    ComPtr<IXMLDOMElement> property;
    ASSERT_EQ(ticket->CreateIntProperty(ticket->PrivatePrefix(), u"CodePage", 1252, property.Out()), S_OK);
    Append(property.Get());
    std::string markup = Saved();
    TicketMarkup saved(markup);
    ASSERT_TRUE(saved.Parsed()) << markup;
    EXPECT_EQ(saved.Text("//psf:Property[@name='ns0000:CodePage']/psf:Value/@xsi:type"), "xsd:integer") << markup;
}

}  // namespace
