#include "job/pipeline_properties.h"

#include <charconv>
#include <limits>

#include "lang/string_ids.h"
#include "platform/wformat.h"

namespace tav::host {
namespace {

const PropertyDescription* Describe(const std::string& name)
{
    for (const PropertyDescription& property : KnownProperties()) {
        if (name == property.name) return &property;
    }
    return nullptr;
}

template <class Number>
Number ParseNumber(const std::string& name, const std::string& text)
{
    long long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    bool fits = error == std::errc() && end == text.data() + text.size() &&
                value >= static_cast<long long>(std::numeric_limits<Number>::min()) &&
                (value < 0 || static_cast<unsigned long long>(value) <=
                                  static_cast<unsigned long long>(std::numeric_limits<Number>::max()));
    if (!fits) {
        throw PropertyError("property " + name + " takes an integer from " +
                            std::to_string(std::numeric_limits<Number>::min()) + " to " +
                            std::to_string(std::numeric_limits<Number>::max()) + ", not \"" + text + "\"");
    }
    return static_cast<Number>(value);
}

VARIANT TextValue(const std::string& text)
{
    VARIANT value;
    VariantInit(&value);
    std::u16string wide = Utf8ToWide(text);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return value;
}

}  // namespace

const std::vector<PropertyDescription>& KnownProperties()
{
    static const std::vector<PropertyDescription> table = {
        {"PrinterName", PropertyType::Text, "tavprint", "the printer the job prints on (--printer)"},
        {"PrintJobId", PropertyType::Unsigned, "1", "the job's number (--job-id)"},
        {"PerUserPrintTicket", PropertyType::Object, nullptr, "the user's default ticket (--user-ticket)"},
        {"PrintClassFactory", PropertyType::Object, nullptr, "the host's print class object factory"},
        {"ProgressReport", PropertyType::Object, nullptr, "the host's progress report"},
        {"LandscapeRotation", PropertyType::Integer, "270", "quarter turn of landscape pages: 90 or 270"},
        {"PortraitRotation", PropertyType::Integer, "0", "turn of portrait pages for the device"},
        {"OutputBitsPixel", PropertyType::Integer, "8", "bits per pixel of the device output"},
        {"OutputPlanes", PropertyType::Integer, "3", "colour planes of the device output"},
        {"PrinterHandle", PropertyType::Handle, nullptr, "a spooler printer handle"},
        {"UserSecurityToken", PropertyType::Handle, nullptr, "the job owner's security token"},
        {"LangDllName64", PropertyType::Text, tav::lang::kLibraryName, "file name of the language resource library"},
        {"DataTimeID", PropertyType::Text, tav::lang::kDataTimeIds,
         "string ids of weekday, month and AM/PM names: w,W,M,a,A"},
        {"EncDllName64", PropertyType::Text, nullptr, "file name of the device encoder library"},
        {"QzmdFileName64", PropertyType::Text, "tavmanualduplex", "file name of the manual duplex program"},
    };
    return table;
}

VARIANT PropertyValue(const std::string& name, const std::string& text)
{
    const PropertyDescription* property = Describe(name);
    if (property == nullptr) return TextValue(text);
    VARIANT value;
    VariantInit(&value);
    switch (property->type) {
    case PropertyType::Text: return TextValue(text);
    case PropertyType::Integer:
        value.vt = VT_I4;
        value.lVal = ParseNumber<int32_t>(name, text);
        return value;
    case PropertyType::Unsigned:
        value.vt = VT_UI4;
        value.ulVal = ParseNumber<uint32_t>(name, text);
        return value;
    case PropertyType::Handle:
        value.vt = VT_UI8;
        value.ullVal = static_cast<ULONGLONG>(ParseNumber<int64_t>(name, text));
        return value;
    case PropertyType::Object: break;
    }
    throw PropertyError("property " + name + " is an object the host makes; it cannot be set as text");
}

void AddTextProperties(IPrintPipelinePropertyBag* bag, const std::vector<std::pair<std::string, std::string>>& set)
{
    auto add = [bag](const std::string& name, const std::string& text) {
        VARIANT value = PropertyValue(name, text);
        std::u16string wide = Utf8ToWide(name);
        bag->AddProperty(wide.c_str(), &value);
        VariantClear(&value);
    };
    for (const PropertyDescription& property : KnownProperties()) {
        if (property.defaultValue != nullptr) add(property.name, property.defaultValue);
    }
    for (const auto& [name, text] : set) add(name, text);
}

}  // namespace tav::host
