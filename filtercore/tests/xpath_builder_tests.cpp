// The XPath pieces: exact expressions, the rules for a missing framework
// prefix and copies that are extended independently.
#include <gtest/gtest.h>

#include "filtercore/xpath_builder.h"
#include "ticket_test_documents.h"

namespace {

using tickettest::Utf8;

TEST(XPathBuilder, NamedStepsUseTheFrameworkPrefixAndTheQualifiedName)
{
    XPathBuilder path(u"psf:");
    ASSERT_EQ(path.AppendFeature(u"psk:", u"PageMediaSize"), S_OK);
    ASSERT_EQ(path.AppendScoredProperty(u"psk:", u"MediaSizeWidth"), S_OK);
    EXPECT_EQ(Utf8(path.Expression()),
              "//psf:Feature[@name = \"psk:PageMediaSize\"]//psf:ScoredProperty[@name = \"psk:MediaSizeWidth\"]");

    XPathBuilder other(u"p:");
    ASSERT_EQ(other.AppendProperty(u"ns0000:", u"JobInfoData"), S_OK);
    ASSERT_EQ(other.AppendParameterInit(nullptr, u"Copies"), S_OK);
    EXPECT_EQ(Utf8(other.Expression()),
              "//p:Property[@name = \"ns0000:JobInfoData\"]//p:ParameterInit[@name = \"Copies\"]");
}

TEST(XPathBuilder, OptionValueSelectsTheOptionOrTheOptionNameValue)
{
    XPathBuilder path(u"psf:");
    ASSERT_EQ(path.AppendFeature(u"psk:", u"PageOrientation"), S_OK);
    ASSERT_EQ(path.AppendOptionValue(u"psk:"), S_OK);
    EXPECT_EQ(
        Utf8(path.Expression()),
        "//psf:Feature[@name = \"psk:PageOrientation\"]/psf:Option | "
        "//psf:Feature[@name = \"psk:PageOrientation\"]/psf:ScoredProperty[@name = \"psk:OptionName\"]/psf:Value");
}

TEST(XPathBuilder, WithoutFrameworkPrefixSomePiecesFailAndOthersAddNothing)
{
    for (const WCHAR* framework : {static_cast<const WCHAR*>(nullptr), u""}) {
        XPathBuilder path(framework);
        EXPECT_EQ(path.AppendFeature(u"psk:", u"A"), E_FAIL);
        EXPECT_EQ(path.AppendScoredProperty(u"psk:", u"A"), E_FAIL);
        EXPECT_EQ(path.AppendOptionValue(u"psk:"), E_FAIL);
        EXPECT_EQ(path.AppendProperty(u"psk:", u"A"), S_OK);
        EXPECT_EQ(path.AppendParameterInit(u"psk:", u"A"), S_OK);
        EXPECT_EQ(path.Expression(), nullptr);
    }
}

TEST(XPathBuilder, EmptyNamesAreRejectedAndLeaveTheExpression)
{
    XPathBuilder path(u"psf:");
    ASSERT_EQ(path.AppendFeature(u"psk:", u"A"), S_OK);
    EXPECT_EQ(path.AppendFeature(u"psk:", u""), E_INVALIDARG);
    EXPECT_EQ(path.AppendProperty(u"psk:", nullptr), E_INVALIDARG);
    EXPECT_EQ(Utf8(path.Expression()), "//psf:Feature[@name = \"psk:A\"]");
}

TEST(XPathBuilder, CopiesAreExtendedIndependently)
{
    XPathBuilder group(u"psf:");
    ASSERT_EQ(group.AppendProperty(u"ns0000:", u"Data"), S_OK);
    XPathBuilder first(u"psf:");
    XPathBuilder second(u"psf:");
    ASSERT_EQ(first.CopyFrom(group), S_OK);
    ASSERT_EQ(second.CopyFrom(group), S_OK);
    ASSERT_EQ(first.AppendProperty(u"ns0000:", u"One"), S_OK);
    ASSERT_EQ(second.AppendProperty(u"ns0000:", u"Two"), S_OK);
    EXPECT_EQ(Utf8(group.Expression()), "//psf:Property[@name = \"ns0000:Data\"]");
    EXPECT_EQ(Utf8(first.Expression()),
              "//psf:Property[@name = \"ns0000:Data\"]//psf:Property[@name = \"ns0000:One\"]");
    EXPECT_EQ(Utf8(second.Expression()),
              "//psf:Property[@name = \"ns0000:Data\"]//psf:Property[@name = \"ns0000:Two\"]");

    BSTR copy = nullptr;
    ASSERT_EQ(first.CopyExpression(&copy), S_OK);
    EXPECT_NE(copy, first.Expression());
    EXPECT_EQ(Utf8(copy), Utf8(first.Expression()));
    SysFreeString(copy);
    EXPECT_EQ(first.CopyExpression(nullptr), E_POINTER);
}

}  // namespace
