// Merging a delta ticket into a base ticket: qualified names compared by
// namespace and rewritten to the base's prefixes, replacement in place,
// scopes, and refusal of malformed tickets.
#include <string>

#include "platform/bstr.h"
#include "platform/wformat.h"
#include "ticket_test_support.h"

namespace tav::testing {
namespace {

const std::string kSchemaInstance = "http://www.w3.org/2001/XMLSchema-instance";
const std::string kSchema = "http://www.w3.org/2001/XMLSchema";

// A delta that spells every namespace with prefixes of its own.
std::string ForeignPrefixTicket(const std::string& body)
{
    return std::string("<f:PrintTicket xmlns:f=\"") + kFramework + "\" xmlns:k=\"" + kKeywords + "\" xmlns:i=\"" +
           kSchemaInstance + "\" xmlns:s=\"" + kSchema + "\" version=\"1\">" + body + "</f:PrintTicket>";
}

TEST(TicketMerge, DeltaNamesAreRewrittenToTheBasePrefixes)
{
    Provider provider;
    std::string base = DefaultTicket(provider.Get());
    std::string delta = ForeignPrefixTicket(
        "<f:Feature name=\"k:PageMediaSize\"><f:Option>"
        "<f:ScoredProperty name=\"k:OptionName\"><f:Value i:type=\"s:QName\">k:NorthAmericaLetter</f:Value>"
        "</f:ScoredProperty>"
        "<f:ScoredProperty name=\"k:MediaSizeWidth\"><f:Value i:type=\"s:integer\">215900</f:Value></f:ScoredProperty>"
        "<f:ScoredProperty name=\"k:MediaSizeHeight\"><f:Value i:type=\"s:integer\">279400</f:Value>"
        "</f:ScoredProperty></f:Option></f:Feature>"
        "<f:ParameterInit name=\"k:JobCopiesAllDocuments\"><f:Value "
        "i:type=\"s:integer\">3</f:Value></f:ParameterInit>");

    MergeOutcome merged = Merge(provider.Get(), base, delta);
    EXPECT_EQ(merged.hr, S_PT_NO_CONFLICT) << merged.message;
    TicketMarkup result(merged.result);
    ASSERT_TRUE(result.Parsed()) << merged.result;
    // The replaced feature stays first, where the base had it, and its names
    // are written with psk, xsi and xsd as the base declares them.
    EXPECT_EQ(result.Text("/psf:PrintTicket/*[1]/@name"), "psk:PageMediaSize");
    EXPECT_EQ(result.Count("//psf:Feature[@name='psk:PageMediaSize']"), 1);
    EXPECT_EQ(result.Text("//psf:ScoredProperty[@name='psk:OptionName']/psf:Value"), "psk:NorthAmericaLetter");
    EXPECT_EQ(result.Text("//psf:ScoredProperty[@name='psk:OptionName']/psf:Value/@xsi:type"), "xsd:QName");
    EXPECT_EQ(result.Text("//psf:ScoredProperty[@name='psk:MediaSizeWidth']/psf:Value/@xsi:type"), "xsd:integer");
    EXPECT_EQ(result.Text("//psf:ScoredProperty[@name='psk:MediaSizeWidth']/psf:Value"), "215900");
    EXPECT_EQ(result.Text("//psf:ParameterInit[@name='psk:JobCopiesAllDocuments']/psf:Value"), "3");
    EXPECT_EQ(result.Count("//psf:ParameterInit"), 1);
    // No declaration of the delta's prefixes was needed.
    EXPECT_EQ(result.RootPrefix(kKeywords), "psk");
    for (const char* foreign : {"\"k:", ">k:", "\"s:", "\"f:", "<f:", "xmlns:k="})
        EXPECT_EQ(merged.result.find(foreign), std::string::npos) << foreign;
    EXPECT_EQ(merged.result.find("xmlns:f="), std::string::npos);
}

// A base without the private namespace.
std::string PlainBase(const std::string& body)
{
    return std::string("<psf:PrintTicket version=\"1\" xmlns:psf=\"") + kFramework + "\" xmlns:psk=\"" + kKeywords +
           "\">" + body + "</psf:PrintTicket>";
}

TEST(TicketMerge, AddedPrivateFeatureKeepsItsPrefixDeclared)
{
    Provider provider;
    std::string base = PlainBase(
        "<psf:Feature name=\"psk:PageOrientation\"><psf:Option name=\"psk:Portrait\"/>"
        "</psf:Feature>");
    std::string delta = std::string("<psf:PrintTicket version=\"1\" xmlns:psf=\"") + kFramework + "\" xmlns:q=\"" +
                        kPrivate +
                        "\"><psf:Feature name=\"q:PageReverseImage\"><psf:Option name=\"q:On\"/></psf:Feature>"
                        "</psf:PrintTicket>";
    MergeOutcome merged = Merge(provider.Get(), base, delta);
    EXPECT_EQ(merged.hr, S_PT_NO_CONFLICT) << merged.message;
    TicketMarkup result(merged.result);
    EXPECT_EQ(result.RootPrefix(kPrivate), "q");
    EXPECT_EQ(result.Text("/psf:PrintTicket/psf:Feature[2]/@name"), "q:PageReverseImage");
    EXPECT_EQ(result.Text("//psf:Feature[@name='q:PageReverseImage']/psf:Option/@name"), "q:On");
    EXPECT_EQ(result.Count("/psf:PrintTicket/psf:Feature"), 2);
}

TEST(TicketMerge, DeclarationsInsideTheDeltaMoveToTheRoot)
{
    Provider provider;
    // The private namespace is declared on the feature only, and the
    // keywords namespace is redeclared under another prefix on the option.
    std::string delta = std::string("<psf:PrintTicket version=\"1\" xmlns:psf=\"") + kFramework +
                        "\"><psf:Feature xmlns:z=\"" + kPrivate +
                        "\" name=\"z:PageReverseImage\">"
                        "<psf:Option xmlns:kw=\"" +
                        kKeywords +
                        "\" name=\"z:On\">"
                        "<psf:ScoredProperty name=\"kw:OptionName\"><psf:Value>kw:On</psf:Value></psf:ScoredProperty>"
                        "</psf:Option></psf:Feature></psf:PrintTicket>";
    MergeOutcome merged = Merge(provider.Get(), PlainBase(""), delta);
    EXPECT_EQ(merged.hr, S_PT_NO_CONFLICT) << merged.message;
    TicketMarkup result(merged.result);
    EXPECT_EQ(result.RootPrefix(kPrivate), "z");
    EXPECT_EQ(result.Text("/psf:PrintTicket/psf:Feature/@name"), "z:PageReverseImage");
    EXPECT_EQ(result.Text("//psf:ScoredProperty/@name"), "psk:OptionName");
    EXPECT_EQ(result.Text("//psf:ScoredProperty/psf:Value"), "psk:On");
    EXPECT_EQ(result.RootPrefix(kKeywords), "psk");
    EXPECT_EQ(merged.result.find("xmlns:kw"), std::string::npos);
}

TEST(TicketMerge, PrefixThatMeansAnotherNamespaceInTheBaseGetsAFreshOne)
{
    Provider provider;
    // The delta calls the private namespace "psk", which the base uses for
    // the keywords: the private names must not end up as keywords.
    std::string base = PlainBase("");
    std::string delta = std::string("<psf:PrintTicket version=\"1\" xmlns:psf=\"") + kFramework + "\" xmlns:psk=\"" +
                        kPrivate +
                        "\"><psf:Feature name=\"psk:JobInput2ndBin\"><psf:Option name=\"psk:MPTray\"/></psf:Feature>"
                        "</psf:PrintTicket>";
    MergeOutcome merged = Merge(provider.Get(), base, delta);
    EXPECT_EQ(merged.hr, S_PT_NO_CONFLICT) << merged.message;
    TicketMarkup result(merged.result);
    EXPECT_EQ(result.RootPrefix(kKeywords), "psk");
    EXPECT_EQ(result.RootPrefix(kPrivate), "ns0000");
    EXPECT_EQ(result.Text("//psf:Feature/@name"), "ns0000:JobInput2ndBin");
    EXPECT_EQ(result.Text("//psf:Feature/psf:Option/@name"), "ns0000:MPTray");

    // The default ticket already uses ns0000 for the private namespace; a
    // delta that means something else by ns0000 gets ns0001.
    std::string other = std::string("<psf:PrintTicket version=\"1\" xmlns:psf=\"") + kFramework +
                        "\" xmlns:ns0000=\"urn:example:other\"><psf:Property name=\"ns0000:Thing\">"
                        "<psf:Value>1</psf:Value></psf:Property></psf:PrintTicket>";
    MergeOutcome second = Merge(provider.Get(), DefaultTicket(provider.Get()), other);
    EXPECT_EQ(second.hr, S_PT_NO_CONFLICT) << second.message;
    TicketMarkup secondResult(second.result);
    EXPECT_EQ(secondResult.RootPrefix(kPrivate), "ns0000");
    EXPECT_EQ(secondResult.RootPrefix("urn:example:other"), "ns0001");
    EXPECT_EQ(secondResult.Text("/psf:PrintTicket/psf:Property/@name"), "ns0001:Thing");
}

TEST(TicketMerge, ParameterInitAndPropertyAreReplacedInPlace)
{
    Provider provider;
    std::string base = Ticket(
        "<psf:Feature name=\"psk:PageOrientation\"><psf:Option name=\"psk:Portrait\"/></psf:Feature>"
        "<psf:ParameterInit name=\"psk:JobCopiesAllDocuments\"><psf:Value xsi:type=\"xsd:integer\">1</psf:Value>"
        "</psf:ParameterInit>"
        "<psf:Property name=\"ns0000:JobInfoData\"><psf:Property name=\"ns0000:DefaultUserName\">"
        "<psf:Value xsi:type=\"xsd:string\">alice</psf:Value></psf:Property></psf:Property>"
        "<psf:Feature name=\"psk:PageInputBin\"><psf:Option name=\"psk:AutoSelect\"/></psf:Feature>");
    std::string delta = std::string("<p:PrintTicket version=\"1\" xmlns:p=\"") + kFramework + "\" xmlns:k=\"" +
                        kKeywords + "\" xmlns:v=\"" + kPrivate + "\" xmlns:t=\"" + kSchemaInstance + "\" xmlns:d=\"" +
                        kSchema +
                        "\"><p:Property name=\"v:JobInfoData\"><p:Property name=\"v:DefaultUserName\">"
                        "<p:Value t:type=\"d:string\">bob</p:Value></p:Property></p:Property>"
                        "<p:ParameterInit name=\"k:JobCopiesAllDocuments\"><p:Value t:type=\"d:integer\">5</p:Value>"
                        "</p:ParameterInit></p:PrintTicket>";
    MergeOutcome merged = Merge(provider.Get(), base, delta);
    EXPECT_EQ(merged.hr, S_PT_NO_CONFLICT) << merged.message;
    TicketMarkup result(merged.result);
    EXPECT_EQ(result.Count("/psf:PrintTicket/*"), 4);
    EXPECT_EQ(result.Text("/psf:PrintTicket/*[2]/@name"), "psk:JobCopiesAllDocuments");
    EXPECT_EQ(result.Text("/psf:PrintTicket/*[2]/psf:Value"), "5");
    EXPECT_EQ(result.Text("/psf:PrintTicket/*[3]/@name"), "ns0000:JobInfoData");
    EXPECT_EQ(result.Text("/psf:PrintTicket/*[3]/psf:Property/@name"), "ns0000:DefaultUserName");
    EXPECT_EQ(result.Text("/psf:PrintTicket/*[3]/psf:Property/psf:Value"), "bob");
    EXPECT_EQ(result.Text("/psf:PrintTicket/*[3]/psf:Property/psf:Value/@xsi:type"), "xsd:string");
    EXPECT_EQ(result.Text("/psf:PrintTicket/*[4]/@name"), "psk:PageInputBin");
}

TEST(TicketMerge, BaseWithTheFrameworkAsDefaultNamespace)
{
    Provider provider;
    std::string base = std::string("<PrintTicket version=\"1\" xmlns=\"") + kFramework + "\" xmlns:psk=\"" + kKeywords +
                       "\"><Feature name=\"psk:PageOrientation\"><Option name=\"psk:Portrait\"/>"
                       "</Feature></PrintTicket>";
    std::string delta = Ticket(
        "<psf:ParameterInit name=\"psk:JobCopiesAllDocuments\">"
        "<psf:Value xsi:type=\"xsd:integer\">4</psf:Value></psf:ParameterInit>");
    MergeOutcome merged = Merge(provider.Get(), base, delta);
    EXPECT_EQ(merged.hr, S_PT_NO_CONFLICT) << merged.message;
    TicketMarkup result(merged.result);
    EXPECT_EQ(result.Text("/psf:PrintTicket/psf:ParameterInit[@name='psk:JobCopiesAllDocuments']/psf:Value"), "4");
    // An attribute cannot take the default namespace: xsi and xsd are
    // declared with prefixes.
    EXPECT_EQ(result.RootPrefix("http://www.w3.org/2001/XMLSchema-instance"), "xsi");
    EXPECT_EQ(result.Text("//psf:ParameterInit/psf:Value/@xsi:type"), "xsd:integer");
    EXPECT_EQ(merged.result.find("<psf:"), std::string::npos);
}

TEST(TicketMerge, SameNameOfAnotherKindIsNotReplaced)
{
    Provider provider;
    std::string base = Ticket("<psf:Property name=\"ns0000:PagePosterData\"><psf:Value>1</psf:Value></psf:Property>");
    std::string delta = Ticket(
        "<psf:Feature name=\"ns0000:PagePosterData\"><psf:Option name=\"ns0000:On\"/>"
        "</psf:Feature>");
    TicketMarkup result(Merge(provider.Get(), base, delta).result);
    EXPECT_EQ(result.Count("/psf:PrintTicket/psf:Property[@name='ns0000:PagePosterData']"), 1);
    EXPECT_EQ(result.Count("/psf:PrintTicket/psf:Feature[@name='ns0000:PagePosterData']"), 1);
}

TEST(TicketMerge, NullDeltaValidatesTheBaseAlone)
{
    Provider provider;
    std::string base = DefaultTicket(provider.Get());
    MergeOutcome merged = Merge(provider.Get(), base, nullptr);
    EXPECT_EQ(merged.hr, S_PT_NO_CONFLICT) << merged.message;
    EXPECT_EQ(TicketMarkup(merged.result).Text("//psf:Feature[@name='psk:PageMediaSize']/psf:Option/@name"),
              "psk:ISOA4");
}

TEST(TicketMerge, StreamsAreReadAndWrittenFromTheirCurrentPosition)
{
    Provider provider;
    std::string base = DefaultTicket(provider.Get());
    std::string prefixed = "garbage" + base;
    StreamPtr baseStream(TextStream(prefixed));
    LARGE_INTEGER skip;
    skip.QuadPart = 7;
    ASSERT_EQ(baseStream->Seek(skip, STREAM_SEEK_SET, nullptr), S_OK);
    StreamPtr result(EmptyStream());
    ASSERT_EQ(result->Write("XYZ", 3, nullptr), S_OK);
    BSTR message = nullptr;
    EXPECT_EQ(
        PTMergeAndValidatePrintTicket(provider.Get(), baseStream.get(), nullptr, kPTJobScope, result.get(), &message),
        S_PT_NO_CONFLICT);
    EXPECT_EQ(message, nullptr);
    std::string written = StreamText(result.get());
    EXPECT_EQ(written.substr(0, 8), "XYZ<?xml");
}

TEST(TicketMerge, ScopesKeepTheirOwnSettings)
{
    Provider provider;
    std::string base = DefaultTicket(provider.Get());
    std::string delta = Ticket(
        "<psf:Feature name=\"psk:DocumentDuplex\"><psf:Option name=\"psk:TwoSidedLongEdge\"/></psf:Feature>"
        "<psf:Feature name=\"ns0000:JobInput2ndBin\"><psf:Option name=\"ns0000:SameTray\"/></psf:Feature>"
        "<psf:Property name=\"ns0000:JobInfoData\"><psf:Value>x</psf:Value></psf:Property>");

    TicketMarkup job(Merge(provider.Get(), base, delta, kPTJobScope).result);
    EXPECT_EQ(job.Count("/psf:PrintTicket/psf:Feature"), 8);
    EXPECT_EQ(job.Count("//psf:ParameterInit[@name='psk:JobCopiesAllDocuments']"), 1);

    TicketMarkup document(Merge(provider.Get(), base, delta, kPTDocumentScope).result);
    EXPECT_EQ(document.Count("//psf:Feature[@name='psk:JobDuplexAllDocumentsContiguously']"), 0);
    EXPECT_EQ(document.Count("//psf:Feature[@name='ns0000:JobInput2ndBin']"), 0);
    EXPECT_EQ(document.Count("//psf:ParameterInit"), 0);
    EXPECT_EQ(document.Count("//psf:Feature[@name='psk:DocumentDuplex']"), 1);
    EXPECT_EQ(document.Count("/psf:PrintTicket/psf:Feature"), 6);
    EXPECT_EQ(document.Count("/psf:PrintTicket/psf:Property"), 1);

    TicketMarkup page(Merge(provider.Get(), base, delta, kPTPageScope).result);
    EXPECT_EQ(page.Count("/psf:PrintTicket/psf:Feature"), 5);
    EXPECT_EQ(page.Count("//psf:Feature[@name='psk:DocumentDuplex']"), 0);
    EXPECT_EQ(page.Count("//psf:Feature[@name='psk:PageMediaSize']"), 1);
    EXPECT_EQ(page.Count("/psf:PrintTicket/psf:Property"), 1);
}

struct RefusedTicket {
    const char* what;
    std::string text;
};

// Attributes enough that libxml2's comparison of each with all earlier
// ones would take long if there were many more.
std::string ManyAttributes(int count)
{
    std::string attributes;
    for (int i = 0; i < count; ++i) attributes += " a" + std::to_string(i) + "=\"1\"";
    return attributes;
}

// A merge looks each top-level setting up among the others.
std::string ManyFeatures(int count)
{
    std::string features;
    for (int i = 0; i < count; ++i) {
        features +=
            "<psf:Feature name=\"ns0000:F" + std::to_string(i) + "\"><psf:Option name=\"ns0000:O\"/></psf:Feature>";
    }
    return features;
}

std::vector<RefusedTicket> MalformedTickets()
{
    const std::string feature =
        "<psf:Feature name=\"psk:PageOrientation\"><psf:Option name=\"psk:Landscape\"/>"
        "</psf:Feature>";
    std::string wrongNamespace = Ticket(feature);
    wrongNamespace.replace(wrongNamespace.find(kFramework), std::string(kFramework).size(), "urn:not-the-framework");
    std::string version2 = Ticket(feature);
    version2.replace(version2.find("version=\"1\""), 11, "version=\"2\"");
    return {
        {"not well-formed", Ticket("<psf:Feature name=\"psk:PageOrientation\">")},
        {"wrong root", std::string("<psf:PrintCapabilities version=\"1\" xmlns:psf=\"") + kFramework + "\"/>"},
        {"wrong namespace", wrongNamespace},
        {"version 2", version2},
        {"no version", std::string("<psf:PrintTicket xmlns:psf=\"") + kFramework + "\"/>"},
        {"undeclared prefix in a name", Ticket("<psf:Feature name=\"zz:PageOrientation\"/>")},
        {"undeclared entity", Ticket("<psf:Property name=\"ns0000:X\"><psf:Value>&custom;</psf:Value></psf:Property>")},
        {"doctype",
         "<?xml version=\"1.0\"?><!DOCTYPE t [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;\">]>" +
             Ticket("<psf:Property name=\"ns0000:X\"><psf:Value>&b;&b;&b;</psf:Value></psf:Property>")},
        {"empty", ""},
        {"too many attributes", Ticket("<psf:Feature name=\"psk:PageOrientation\"" + ManyAttributes(5000) + "/>")},
        {"too many settings", Ticket(ManyFeatures(1025))},
        {"invalid UTF-8", Ticket("<psf:Property name=\"ns0000:X\"><psf:Value>\xFF\xFE</psf:Value></psf:Property>")},
        {"undeclared prefix in an option's name",
         Ticket("<psf:Feature name=\"psk:PageResolution\"><psf:Option name=\"zz:Resolution600\"/></psf:Feature>")},
    };
}

TEST(TicketMerge, MalformedDeltaIsRefusedAndNothingIsWritten)
{
    Provider provider;
    std::string base = DefaultTicket(provider.Get());
    for (const RefusedTicket& delta : MalformedTickets()) {
        SCOPED_TRACE(delta.what);
        StreamPtr baseStream(TextStream(base));
        StreamPtr deltaStream(TextStream(delta.text));
        StreamPtr result(EmptyStream());
        BSTR message = nullptr;
        EXPECT_EQ(PTMergeAndValidatePrintTicket(provider.Get(), baseStream.get(), deltaStream.get(), kPTJobScope,
                                                result.get(), &message),
                  E_DELTA_PRINTTICKET_FORMAT);
        ASSERT_NE(message, nullptr);
        EXPECT_NE(WideToUtf8(message).find("delta"), std::string::npos) << WideToUtf8(message);
        EXPECT_EQ(WideToUtf8(message).find('\n'), std::string::npos) << WideToUtf8(message);
        SysFreeString(message);
        EXPECT_EQ(StreamText(result.get()), "");
        EXPECT_EQ(StreamText(baseStream.get()), base);
    }
}

TEST(TicketMerge, MalformedBaseIsRefused)
{
    Provider provider;
    std::string delta = DefaultTicket(provider.Get());
    for (const RefusedTicket& base : MalformedTickets()) {
        SCOPED_TRACE(base.what);
        MergeOutcome merged = Merge(provider.Get(), base.text, delta);
        EXPECT_EQ(merged.hr, E_PRINTTICKET_FORMAT);
        EXPECT_EQ(merged.result, "");
        EXPECT_NE(merged.message.find("base"), std::string::npos) << merged.message;
        EXPECT_EQ(merged.message.find('\n'), std::string::npos) << merged.message;
    }
    MergeOutcome doctype = Merge(provider.Get(), MalformedTickets()[7].text, delta);
    EXPECT_NE(doctype.message.find("DOCTYPE"), std::string::npos) << doctype.message;
}

TEST(TicketMerge, OversizedTicketIsRefused)
{
    Provider provider;
    std::string padding(17u << 20, ' ');
    std::string huge = Ticket("<psf:Property name=\"ns0000:X\"><psf:Value>x</psf:Value></psf:Property>" + padding);
    MergeOutcome merged = Merge(provider.Get(), huge, nullptr);
    EXPECT_EQ(merged.hr, E_PRINTTICKET_FORMAT);
    EXPECT_NE(merged.message.find("MiB"), std::string::npos) << merged.message;
}

TEST(TicketMerge, ArgumentsAreChecked)
{
    Provider provider;
    StreamPtr base(TextStream(DefaultTicket(provider.Get())));
    StreamPtr result(EmptyStream());
    EXPECT_EQ(PTMergeAndValidatePrintTicket(provider.Get(), nullptr, nullptr, kPTJobScope, result.get(), nullptr),
              E_POINTER);
    EXPECT_EQ(PTMergeAndValidatePrintTicket(provider.Get(), base.get(), nullptr, kPTJobScope, nullptr, nullptr),
              E_POINTER);
    EXPECT_EQ(PTMergeAndValidatePrintTicket(provider.Get(), base.get(), nullptr, static_cast<EPrintTicketScope>(3),
                                            result.get(), nullptr),
              E_INVALIDARG);
    EXPECT_EQ(PTMergeAndValidatePrintTicket(nullptr, base.get(), nullptr, kPTJobScope, result.get(), nullptr),
              E_HANDLE);
    EXPECT_EQ(StreamText(result.get()), "");
}

}  // namespace
}  // namespace tav::testing
