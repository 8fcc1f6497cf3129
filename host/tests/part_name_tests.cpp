// Part names as OPC defines them: resolution of references, percent
// escapes, case-insensitive comparison, and the names that are refused.
#include <gtest/gtest.h>

#include "opc/package_error.h"
#include "opc/part_name.h"

namespace tav::host {
namespace {

TEST(PartNameTest, RelativeReferencesResolveAgainstTheSourceFolder)
{
    EXPECT_EQ(ResolvePartReference("/Documents/1/Pages/1.fpage", "../../../Resources/arial.ttf"),
              "/Resources/arial.ttf");
    EXPECT_EQ(ResolvePartReference("/Documents/1/FixedDocument.fdoc", "Pages/1.fpage"), "/Documents/1/Pages/1.fpage");
    EXPECT_EQ(ResolvePartReference("/Documents/1/FixedDocument.fdoc", "./Pages/./2.fpage"),
              "/Documents/1/Pages/2.fpage");
    EXPECT_EQ(ResolvePartReference("/FixedDocumentSequence.fdseq", "Documents/1/FixedDocument.fdoc"),
              "/Documents/1/FixedDocument.fdoc");
    EXPECT_EQ(ResolvePartReference("/", "a/b.xml"), "/a/b.xml");
    EXPECT_EQ(ResolvePartReference("/x/y/z.fpage", "/Absolute/one.png"), "/Absolute/one.png");
}

TEST(PartNameTest, FragmentsAreDropped)
{
    EXPECT_EQ(ResolvePartReference("/Documents/1/FixedDocument.fdoc", "Pages/1.fpage#Title"),
              "/Documents/1/Pages/1.fpage");
}

TEST(PartNameTest, EscapesAreUpperCasedAndReferencesDecodeUnreservedOnes)
{
    // %41 is 'A', %7E is '~': unreserved, so a reference spelling them so
    // names the part with the plain letters.
    EXPECT_EQ(ResolvePartReference("/x.fpage", "/%41bc/d%7Ee.png"), "/Abc/d~e.png");
    // A space stays escaped, with upper-case digits whatever the input.
    EXPECT_EQ(CanonicalPartName("/a%20b.png"), "/a%20b.png");
    EXPECT_EQ(CanonicalPartName("/a%5bb.png"), "/a%5Bb.png");
    // Raw bytes outside printable ASCII are escaped as UTF-8 (IRI to URI):
    // U+00E9 is C3 A9.
    EXPECT_EQ(CanonicalPartName("/caf\xC3\xA9.png"), "/caf%C3%A9.png");
    EXPECT_EQ(CanonicalPartName("/a b.png"), "/a%20b.png");
}

TEST(PartNameTest, ComparisonIgnoresAsciiCaseAndEscapeSpelling)
{
    EXPECT_TRUE(SamePartName(CanonicalPartName("/Resources/Arial.TTF"), CanonicalPartName("/resources/arial.ttf")));
    EXPECT_TRUE(SamePartName(CanonicalPartName("/caf%c3%a9.png"), CanonicalPartName("/caf\xC3\xA9.png")));
    EXPECT_TRUE(SamePartName(ResolvePartReference("/x.fpage", "%61.png"), CanonicalPartName("/A.png")));
    EXPECT_FALSE(SamePartName(CanonicalPartName("/a.png"), CanonicalPartName("/b.png")));
    EXPECT_FALSE(SamePartName(CanonicalPartName("/a/b.png"), CanonicalPartName("/a.b.png")));
}

TEST(PartNameTest, NamesThatAreNoPartNamesAreRefused)
{
    for (const char* bad : {"relative.png", "/", "/a//b.png", "/a/", "/a/../b.png", "/a/./b.png", "/a./b.png",
                            "/a%2Fb.png", "/a%5Cb.png", "/a\\b.png", "/a%zz.png", "/a%4", "/a?b=1", "/a#frag",
                            // escaped unreserved characters; escapes that are no UTF-8
                            "/%41bc.png", "/d%7Ee.png", "/a%2E.png", "/caf%E9.png", "/a%C3.png", "/a%C3%A9%A9.png"}) {
        EXPECT_THROW(CanonicalPartName(bad), PackageError) << bad;
    }
    EXPECT_EQ(CanonicalPartName("/a%C3%A9%20%e2%82%ac.png"), "/a%C3%A9%20%E2%82%AC.png");
}

TEST(PartNameTest, ReferencesLeavingTheRootOrThePackageAreRefused)
{
    EXPECT_THROW(ResolvePartReference("/a/b.fpage", "../../c.png"), PackageError);
    EXPECT_THROW(ResolvePartReference("/b.fpage", "%2E%2E/c.png"), PackageError);
    EXPECT_THROW(ResolvePartReference("/b.fpage", "http://example.com/c.png"), PackageError);
    EXPECT_THROW(ResolvePartReference("/b.fpage", "//host/c.png"), PackageError);
    EXPECT_THROW(ResolvePartReference("/b.fpage", "#only-a-fragment"), PackageError);
    EXPECT_THROW(ResolvePartReference("/a/b.fpage", ".."), PackageError);
    try {
        ResolvePartReference("/a/b.fpage", "../../c.png");
    } catch (const PackageError& error) {
        EXPECT_NE(error.Reason().find("root"), std::string::npos) << error.Reason();
    }
}

TEST(PartNameTest, RelationshipPartsAndExtensions)
{
    EXPECT_EQ(RelationshipsPartName("/"), "/_rels/.rels");
    EXPECT_EQ(RelationshipsPartName("/Documents/1/Pages/1.fpage"), "/Documents/1/Pages/_rels/1.fpage.rels");
    EXPECT_EQ(PartExtension("/a/B.FPage"), "fpage");
    EXPECT_EQ(PartExtension("/a.b/c"), "");
    EXPECT_EQ(ZipItemName("/Documents/1.fpage"), "Documents/1.fpage");
    EXPECT_TRUE(IsAbsoluteUri("http://x"));
    EXPECT_TRUE(IsAbsoluteUri("pack://x"));
    EXPECT_FALSE(IsAbsoluteUri("a/b:c"));
    EXPECT_FALSE(IsAbsoluteUri("/a:b"));
}

TEST(PartNameTest, TheContentTypesStreamAndRelationshipsPartsAreBookkeeping)
{
    EXPECT_TRUE(IsPackageBookkeepingName("/[Content_Types].xml"));
    EXPECT_TRUE(IsPackageBookkeepingName("/[content_types].XML"));
    EXPECT_TRUE(IsPackageBookkeepingName("/_rels/.rels"));
    EXPECT_TRUE(IsPackageBookkeepingName("/Documents/1/Pages/_RELS/1.fpage.Rels"));
    EXPECT_FALSE(IsPackageBookkeepingName("/a/[Content_Types].xml"));
    EXPECT_FALSE(IsPackageBookkeepingName("/Documents/a.rels"));
    EXPECT_FALSE(IsPackageBookkeepingName("/my_rels/a.rels"));
    EXPECT_FALSE(IsPackageBookkeepingName("/_rels/a.xml"));
    EXPECT_FALSE(IsPackageBookkeepingName("/_rels/a/b.rels"));
}

}  // namespace
}  // namespace tav::host
