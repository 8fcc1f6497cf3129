// What `tavpipe info` says of a ticket: its settings in option names, read
// by namespace URI whatever the prefixes, in tickets written here by hand.
#include <gtest/gtest.h>

#include <string>

#include "ticket_summary.h"

namespace {

// A ticket whose keywords take the prefix "k" and whose private names "k"
// would be wrong for: only the URIs say which is which.
std::string Ticket(const std::string& body)
{
    return "<t:PrintTicket version=\"1\" "
           "xmlns:t=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" "
           "xmlns:k=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" "
           "xmlns:psk=\"http://schemas.tavprint.example/quix/printing/2006/11/printschemakeywords\" "
           "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">" +
           body + "</t:PrintTicket>";
}

TEST(TicketSummary, SettingsAreNamedByTheirNamespacesNotTheirPrefixes)
{
    std::string ticket = Ticket(
        "<t:Feature name=\" k:PageMediaSize \"><t:Option name=\"k:ISOA4\"/></t:Feature>"
        "<t:Feature name=\"k:JobDuplexAllDocumentsContiguously\"><t:Option name=\"k:TwoSidedLongEdge\"/></t:Feature>"
        // The driver's own feature of the same local name is none of the options'.
        "<t:Feature name=\"psk:PageMediaSize\"><t:Option name=\"psk:ISOA5\"/></t:Feature>");
    EXPECT_EQ(TicketSettingsInOptionNames(ticket),
              "media=iso_a4_210x297mm sides=two-sided-long-edge, +1 other setting");
}

TEST(TicketSummary, PagesPerSheetIsReadFromAnOptionWithoutNameAndThroughItsParameter)
{
    EXPECT_EQ(TicketSettingsInOptionNames(
                  Ticket("<t:Feature name=\"k:JobNUpAllDocumentsContiguously\"><t:Option>"
                         "<t:ScoredProperty name=\"k:PagesPerSheet\"><t:Value xsi:type=\"xsd:integer\">4</t:Value>"
                         "</t:ScoredProperty></t:Option></t:Feature>")),
              "number-up=4");
    EXPECT_EQ(
        TicketSettingsInOptionNames(Ticket(
            "<t:Feature name=\"k:JobNUpAllDocumentsContiguously\"><t:Option>"
            "<t:ScoredProperty name=\"k:PagesPerSheet\"><t:ParameterRef name=\"psk:Pages\"/>"
            "</t:ScoredProperty></t:Option></t:Feature>"
            "<t:ParameterInit name=\"psk:Pages\"><t:Value xsi:type=\"xsd:integer\">9</t:Value></t:ParameterInit>")),
        "number-up=9, +1 other setting");
}

TEST(TicketSummary, WhatIsNoTicketSaysSo)
{
    EXPECT_EQ(TicketSettingsInOptionNames(Ticket("")), "no settings");
    EXPECT_EQ(TicketSettingsInOptionNames("<PrintTicket version=\"1\"/>"), "not a readable ticket");
    EXPECT_EQ(TicketSettingsInOptionNames("<!DOCTYPE t:PrintTicket []>" + Ticket("")), "not a readable ticket");
    EXPECT_EQ(TicketSettingsInOptionNames("<t:PrintTicket"), "not a readable ticket");
}

}  // namespace
