// The English strings of the language library: weekday, month and
// morning/afternoon names, exported as the module's string table.
#include "lang/string_ids.h"
#include "platform/library.h"

namespace {

using namespace tav::lang;

constexpr STRING_RESOURCE kEnglish[] = {
    {kWeekdayNames + 0, u"Sunday"},    {kWeekdayNames + 1, u"Monday"},      {kWeekdayNames + 2, u"Tuesday"},
    {kWeekdayNames + 3, u"Wednesday"}, {kWeekdayNames + 4, u"Thursday"},    {kWeekdayNames + 5, u"Friday"},
    {kWeekdayNames + 6, u"Saturday"},  {kShortWeekdayNames + 0, u"Sun"},    {kShortWeekdayNames + 1, u"Mon"},
    {kShortWeekdayNames + 2, u"Tue"},  {kShortWeekdayNames + 3, u"Wed"},    {kShortWeekdayNames + 4, u"Thu"},
    {kShortWeekdayNames + 5, u"Fri"},  {kShortWeekdayNames + 6, u"Sat"},    {kMonthNames + 0, u"January"},
    {kMonthNames + 1, u"February"},    {kMonthNames + 2, u"March"},         {kMonthNames + 3, u"April"},
    {kMonthNames + 4, u"May"},         {kMonthNames + 5, u"June"},          {kMonthNames + 6, u"July"},
    {kMonthNames + 7, u"August"},      {kMonthNames + 8, u"September"},     {kMonthNames + 9, u"October"},
    {kMonthNames + 10, u"November"},   {kMonthNames + 11, u"December"},     {kMorningAfternoon + 0, u"AM"},
    {kMorningAfternoon + 1, u"PM"},    {kShortMorningAfternoon + 0, u"am"}, {kShortMorningAfternoon + 1, u"pm"},
};

}  // namespace

extern "C" __attribute__((visibility("default")))
const STRING_RESOURCE_TABLE StringResources = {kEnglish, sizeof kEnglish / sizeof kEnglish[0]};
