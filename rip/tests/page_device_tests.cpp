// The page-device values a page is fed with.
#include <gtest/gtest.h>

#include "filtercore/private_keywords.h"
#include "page_device.h"
#include "platform/com.h"
#include "testsupport/com_apartment.h"

namespace {

TEST(PageDevice, OnlyEqualResolutionsOfTheListAreFed)
{
    EXPECT_EQ(AcceptedResolution(1200, 600), (PageResolution{600, 600}));
    EXPECT_EQ(AcceptedResolution(1200, 1200), (PageResolution{1200, 1200}));
    EXPECT_EQ(AcceptedResolution(150, 150), (PageResolution{150, 150}));
    EXPECT_EQ(AcceptedResolution(200, 200), (PageResolution{200, 200}));
    EXPECT_EQ(AcceptedResolution(400, 400), (PageResolution{600, 600}));
}

TEST(PageDevice, RotationCodesFollowTheOrientationsRotation)
{
    // Landscape with the default 270 and Portrait with the default 0.
    EXPECT_EQ(RotationCode(PageOrientation::Landscape, 0, 270), 5);
    EXPECT_EQ(RotationCode(PageOrientation::Portrait, 0, 270), 2);
    EXPECT_EQ(RotationCode(PageOrientation::ReversePortrait, 90, 270), 3);
    EXPECT_EQ(RotationCode(PageOrientation::Portrait, 180, 0), 4);
    EXPECT_EQ(RotationCode(PageOrientation::Portrait, 270, 0), 5);
    EXPECT_EQ(RotationCode(PageOrientation::Portrait, 45, 0), 2);
    EXPECT_EQ(RotationCode(PageOrientation::ReverseLandscape, 90, 0), 2);
    EXPECT_EQ(RotationCode(PageOrientation::Landscape, 0, 90), 3);
    EXPECT_EQ(RotationCode(PageOrientation::Landscape, 0, 180), 4);
    EXPECT_EQ(RotationCode(PageOrientation::Landscape, 0, 45), 5);
}

TEST(PageDevice, PlanesCodes)
{
    EXPECT_EQ(PlanesCode(1), 1);
    EXPECT_EQ(PlanesCode(4), 4);
    EXPECT_EQ(PlanesCode(3), 3);
    EXPECT_EQ(PlanesCode(2), 3);
}

// A merged ticket never asks for 1200 x 600 on a device that has no such
// resolution, so the rule is seen on a ticket made by hand.
TEST(PageDevice, ATicketAskingFor1200By600IsFedAt600)
{
    testsupport::ComApartment apartment;
    auto resolution = [](const char* x, const char* y) {
        std::string markup =
            std::string(
                "<psf:PrintTicket version=\"1\" "
                "xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" "
                "xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" "
                "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">"
                "<psf:Feature name=\"psk:PageResolution\"><psf:Option>"
                "<psf:ScoredProperty name=\"psk:ResolutionX\"><psf:Value xsi:type=\"xsd:integer\">") +
            x +
            "</psf:Value></psf:ScoredProperty><psf:ScoredProperty name=\"psk:ResolutionY\">"
            "<psf:Value xsi:type=\"xsd:integer\">" +
            y + "</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature></psf:PrintTicket>";
        ComPtr<IXMLDOMDocument2> document;
        EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument2, document.OutVoid()),
                  S_OK);
        std::u16string wide(markup.begin(), markup.end());
        VARIANT_BOOL loaded = VARIANT_FALSE;
        EXPECT_EQ(document->loadXML(const_cast<BSTR>(wide.c_str()), &loaded), S_OK);
        PrintTicketDom ticket(u"PrintTicket", kPrivateKeywordsNamespace, document.Get());
        return ReadPageResolution(ticket);
    };
    EXPECT_EQ(resolution("1200", "600"), (PageResolution{600, 600}));
    EXPECT_EQ(resolution("300", "300"), (PageResolution{300, 300}));
    EXPECT_EQ(resolution("300", "x"), (PageResolution{600, 600}));
}

}  // namespace
