#include "header_footer_formats.h"
#include "settings_writers.h"
#include "ticket_markup.h"

namespace tav::options {

namespace {

using enum OptionId;

constexpr int kWhite = 0xFFFFFF;

struct LinePosition {
    std::string_view x;
    std::string_view y;
};

// By the number of the header-footer-position keyword.
constexpr LinePosition kPositions[] = {{"Left", "Top"},    {"Center", "Top"},    {"Right", "Top"},
                                       {"Left", "Bottom"}, {"Center", "Bottom"}, {"Right", "Bottom"}};

// A date or time sub-feature; a layout other than None carries its formats.
void AddLayoutFeature(TicketDocument& ticket, xmlNodePtr feature, std::string_view name, const Alternative& choice,
                      const DateTimeLayout& (*layoutOfType)(int))
{
    xmlNodePtr sub = ticket.AddChild(feature, "Feature", Ns::Private, name);
    xmlNodePtr option = ticket.AddChild(sub, "Option", NsOf(choice), choice.keyword);
    if (choice.number == 0) return;
    const DateTimeLayout& layout = layoutOfType(choice.number);
    AddStringScoredProperty(ticket, option, Ns::Private, "StringFormat", layout.stringFormat);
    AddStringScoredProperty(ticket, option, Ns::Private, "DataFormat", layout.dataFormat);
}

// The font and colours, with every member in the order they are read.
void WriteHeaderFooterData(const JobRequest& request, TicketDocument& ticket)
{
    xmlNodePtr data = ticket.PutTopLevel("Property", Ns::Private, "PageHeaderFooterData");
    xmlNodePtr font = ticket.AddChild(data, "Property", Ns::Private, "FontSettings");
    int style = request.Choice(HeaderFooterStyle).number;
    auto addInteger = [&](std::string_view member, long long value) {
        AddIntegerProperty(ticket, font, Ns::Private, member, value);
    };
    AddStringProperty(ticket, font, Ns::Private, "FontName", request.Value(HeaderFooterFont).text);
    addInteger("FontCharSet", kDefaultCharacterSet);
    addInteger("FontItalicStyle", (style & kItalicStyle) ? 1 : 0);
    addInteger("FontBoldStyle", (style & kBoldStyle) ? 1 : 0);
    addInteger("FontUnderLine", request.Text(HeaderFooterUnderline) == "on" ? 1 : 0);
    addInteger("FontStruckOut", request.Text(HeaderFooterStrikeout) == "on" ? 1 : 0);
    addInteger("FontSize", request.Value(HeaderFooterSize).numbers[0]);
    addInteger("FontColor", request.Value(HeaderFooterColor).numbers[0]);

    const ParsedValue& id = request.Value(HeaderFooterId);
    AddStringProperty(ticket, data, Ns::Private, "IDPrintCustomName", id.text);
    const ParsedValue& background = request.Value(HeaderFooterBackground);
    AddIntegerProperty(ticket, data, Ns::Private, "BackgroudColor",
                       background.numbers.empty() ? kWhite : background.numbers[0]);
}

}  // namespace

void WriteHeaderFooter(const JobRequest& request, TicketDocument& ticket)
{
    if (!request.GroupGiven(TicketGroup::HeaderFooter)) return;
    const Alternative& line = request.Choice(HeaderFooter);
    xmlNodePtr feature = PutFeatureWithOption(ticket, Ns::Private, "PageHeaderFooter", NsOf(line), line.keyword);
    AddLayoutFeature(ticket, feature, "DateFormat", request.Choice(HeaderFooterDate), DateLayout);
    AddLayoutFeature(ticket, feature, "TimeFormat", request.Choice(HeaderFooterTime), TimeLayout);
    const Alternative& id = request.Choice(HeaderFooterId);
    AddFeatureWithOption(ticket, feature, Ns::Private, "IDPrint", NsOf(id), id.keyword);
    const LinePosition& position = kPositions[request.Choice(HeaderFooterPosition).number];
    AddFeatureWithOption(ticket, feature, Ns::Private, "PositionX", Ns::Private, position.x);
    AddFeatureWithOption(ticket, feature, Ns::Private, "PositionY", Ns::Private, position.y);
    const Alternative& background = request.Choice(HeaderFooterBackground);
    AddFeatureWithOption(ticket, feature, Ns::Private, "Background", NsOf(background), background.keyword);
    WriteHeaderFooterData(request, ticket);
}

}  // namespace tav::options
