// The markup of sheets, against the text written out by hand.
#include <gtest/gtest.h>

#include <string>

#include "sheet_markup.h"
#include "sheet_part_names.h"

namespace {

TEST(SheetMarkup, SheetsStartAndEndAsFixedPages)
{
    std::string sheet = SheetHeader(1056.0133f, 816.0103f);
    EXPECT_EQ(sheet,
              "<?xml version=\"1.0\" encoding=\"utf-8\"?><FixedPage Width=\"1056.01\" Height=\"816.01\" "
              "xml:lang=\"en-US\" xmlns=\"http://schemas.microsoft.com/xps/2005/06\">");
    AppendSheetCanvas(sheet, Gdiplus::Matrix(1, 0, 0, 1, 18.9f, 0), 1000, 750.5f);
    EXPECT_EQ(sheet.substr(sheet.find("<Canvas")),
              "<Canvas RenderTransform=\"1.00,0.00,0.00,1.00,18.90,0.00\" "
              "Clip=\"M 0,0 L 1000.00,0 L 1000.00,750.50 L 0, 750.50 Z\">");
    EXPECT_EQ(SheetEnd(true), "</Canvas></FixedPage>");
    EXPECT_EQ(SheetEnd(false), "</FixedPage>");
}

TEST(SheetMarkup, BorderLinesAreOnePath)
{
    BorderLines lines;
    lines.kind = BorderLineKind::Solid;
    lines.across = {{100, 523.256f, 900}};
    lines.down = {{357.143f, 100, 1400}, {642.857f, 100, 1400}};
    std::string markup;
    AppendBorderPath(markup, lines);
    // 80 microns print as 0.30, dashes of 1690 microns as 6.39.
    EXPECT_EQ(markup,
              "<Path Stroke=\"#000000\" StrokeThickness=\"0.30\" Data=\"M 100.00,523.26 H 900.00 "
              "M 357.14,100.00 V 1400.00 M 642.86,100.00 V 1400.00 \" />");
    lines.kind = BorderLineKind::Dashed;
    lines.down.clear();
    markup.clear();
    AppendBorderPath(markup, lines);
    EXPECT_EQ(markup,
              "<Path Stroke=\"#000000\" StrokeDashArray=\"6.39 6.39\" StrokeThickness=\"0.30\" "
              "Data=\"M 100.00,523.26 H 900.00 \" />");
    // No lines, or none asked for: no Path.
    lines.kind = BorderLineKind::None;
    markup.clear();
    AppendBorderPath(markup, lines);
    AppendBorderPath(markup, BorderLines{.kind = BorderLineKind::Solid});
    EXPECT_EQ(markup, "");
}

TEST(SheetPartNames, NamesTakeTheSequenceNumberWhole)
{
    // Numbers past 2^31 stay positive; the tick count plays no part, so two
    // sheets made in one millisecond still differ.
    EXPECT_EQ(std::u16string(SheetPartName({7, 4000000000u}).Text()), u"/LO_NUpPage_4000000000.xml");
    EXPECT_EQ(std::u16string(EmptySidePartName({7, 12}).Text()), u"/LO_Empty_12.xml");
}

}  // namespace
