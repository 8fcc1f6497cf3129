#include "date_time_names.h"

#include <climits>
#include <vector>

#include "platform/wformat.h"

namespace {

INT DecimalItem(const std::u16string& item)
{
    long long value = WideToInteger(item.c_str(), nullptr);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<INT>(value);
}

std::u16string PropertyText(const WCHAR* text)
{
    std::u16string whole = text == nullptr ? std::u16string() : std::u16string(text);
    return whole.substr(0, kPropertyTextLength);
}

}  // namespace

DateTimeNames ParseDataTimeId(const WCHAR* text)
{
    std::u16string ids = PropertyText(text);
    std::vector<INT> items;
    for (size_t start = 0; start < ids.size() && items.size() < 5;) {
        size_t comma = ids.find(u',', start);
        if (comma == std::u16string::npos) comma = ids.size();
        if (comma > start) items.push_back(DecimalItem(ids.substr(start, comma - start)));
        start = comma + 1;
    }
    DateTimeNames names;
    if (items.size() < 5) return names;
    names.w = items[0];
    names.W = items[1];
    names.M = items[2];
    names.a = items[3];
    names.A = items[4];
    return names;
}

std::u16string LanguageLibraryPath(const std::u16string& configPath, const WCHAR* libraryName)
{
    size_t separator = configPath.find_last_of(u"\\/:");
    if (libraryName == nullptr || separator == std::u16string::npos) return configPath;
    return configPath.substr(0, separator + 1) + PropertyText(libraryName);
}
