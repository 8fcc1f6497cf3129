#include "ppd_writer.h"

#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>

#include "cups_options.h"
#include "media_table.h"
#include "option_table.h"

namespace tav::cups {

namespace {

constexpr std::string_view kDefaultMedia = "iso_a4_210x297mm";
constexpr int kCustomTextBytes = 64;

constexpr std::string_view kHeader =
    "*PPD-Adobe: \"4.3\"\n"
    "*FormatVersion: \"4.3\"\n"
    "*FileVersion: \"1.0\"\n"
    "*LanguageVersion: English\n"
    "*LanguageEncoding: ISOLatin1\n"
    "*PCFileName: \"TAVXPS.PPD\"\n"
    "*Manufacturer: \"tav\"\n"
    "*Product: \"(tav XPS printer)\"\n"
    "*ModelName: \"tav XPS printer\"\n"
    "*ShortNickName: \"tav XPS printer\"\n"
    "*NickName: \"tav XPS printer\"\n"
    "*PSVersion: \"(3010.000) 0\"\n"
    "*LanguageLevel: \"3\"\n"
    "*ColorDevice: True\n"
    "*DefaultColorSpace: RGB\n"
    "*FileSystem: False\n"
    "*Throughput: \"1\"\n"
    "*LandscapeOrientation: Plus90\n"
    "*TTRasterizer: Type42\n"
    "*% Copies are made by the printer (or the backend), not by the filter.\n"
    "*cupsManualCopies: False\n"
    "*% The queue takes the PDF the XPS filter writes; other documents reach\n"
    "*% it through CUPS's own filters.\n"
    "*cupsFilter2: \"application/vnd.cups-pdf application/pdf 0 -\"\n";

// A length in microns as PostScript points, to two decimals.
std::string Points(int microns)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", std::round(microns * 7200.0 / 25400.0) / 100.0);
    std::string points(text);
    while (points.back() == '0') points.pop_back();
    if (points.back() == '.') points.pop_back();
    return points;
}

void WriteMediaKeywords(std::ostream& out)
{
    struct Size {
        std::string name, width, height;
    };
    std::vector<Size> sizes;
    for (const std::string& name : options::ListedMediaNames()) {
        options::MediaSize media;
        if (options::ParseMedia(name, &media) != options::Parsed::Ok || media.custom) continue;
        sizes.push_back({name, Points(media.width), Points(media.height)});
    }
    for (std::string_view keyword : {"PageSize", "PageRegion"}) {
        out << "*OpenUI *" << keyword << "/Media size: PickOne\n"
            << "*OrderDependency: 10 AnySetup *" << keyword << "\n"
            << "*Default" << keyword << ": " << kDefaultMedia << "\n";
        for (const Size& size : sizes) {
            out << "*" << keyword << " " << size.name << ": \"<</PageSize[" << size.width << " " << size.height
                << "]/ImagingBBox null>>setpagedevice\"\n";
        }
        out << "*CloseUI: *" << keyword << "\n";
    }
    out << "*DefaultImageableArea: " << kDefaultMedia << "\n";
    for (const Size& size : sizes)
        out << "*ImageableArea " << size.name << ": \"0 0 " << size.width << " " << size.height << "\"\n";
    out << "*DefaultPaperDimension: " << kDefaultMedia << "\n";
    for (const Size& size : sizes)
        out << "*PaperDimension " << size.name << ": \"" << size.width << " " << size.height << "\"\n";
}

void WriteDuplex(std::ostream& out)
{
    const options::OptionSpec& sides = options::Spec(options::OptionId::Sides);
    out << "*OpenUI *Duplex/" << sides.description << ": PickOne\n"
        << "*OrderDependency: 10 AnySetup *Duplex\n"
        << "*DefaultDuplex: None\n";
    for (std::string_view choice : {"None", "DuplexNoTumble", "DuplexTumble"})
        out << "*Duplex " << choice << "/" << *SidesOfDuplexChoice(choice) << ": \"\"\n";
    out << "*CloseUI: *Duplex\n";
}

bool HasArgumentForm(const options::OptionSpec& spec)
{
    for (const options::Alternative& alternative : spec.values)
        if (alternative.form != options::ValueForm::Keyword) return true;
    return false;
}

bool IsKeywordChoice(const options::OptionSpec& spec, std::string_view spelling)
{
    for (const options::Alternative& alternative : spec.values)
        if (alternative.form == options::ValueForm::Keyword && !alternative.alias && alternative.spelling == spelling)
            return true;
    return false;
}

// A PickOne of the listed keywords; the default, when it is a value of an
// argument form, is a choice of its own, and "None" (the option not given)
// when there is no default. Argument forms are a custom text value.
void WriteOption(std::ostream& out, const options::OptionSpec& spec)
{
    std::string_view defaultChoice = spec.defaultValue.empty() ? "None" : spec.defaultValue;
    out << "*OpenUI *" << spec.name << "/" << spec.description << ": PickOne\n"
        << "*OrderDependency: 20 AnySetup *" << spec.name << "\n"
        << "*Default" << spec.name << ": " << defaultChoice << "\n";
    if (!IsKeywordChoice(spec, defaultChoice)) out << "*" << spec.name << " " << defaultChoice << ": \"\"\n";
    for (const options::Alternative& alternative : spec.values) {
        if (alternative.form != options::ValueForm::Keyword || alternative.alias) continue;
        out << "*" << spec.name << " " << alternative.spelling << ": \"\"\n";
    }
    out << "*CloseUI: *" << spec.name << "\n";
    if (HasArgumentForm(spec)) {
        out << "*Custom" << spec.name << " True: \"\"\n"
            << "*ParamCustom" << spec.name << " Text/Text: 1 string 1 " << kCustomTextBytes << "\n";
    }
}

}  // namespace

bool IsLeftOutOfPpd(std::string_view option)
{
    for (std::string_view name :
         {"media", "sides", "orientation-requested", "number-up", "page-ranges", "printer-resolution",
          "print-color-mode", "job-originating-user-name", "job-originating-host-name"}) {
        if (option == name) return true;
    }
    return false;
}

void WritePpd(std::ostream& out)
{
    out << kHeader;
    WriteMediaKeywords(out);
    WriteDuplex(out);
    out << "*OpenGroup: Layout/Layout and finishing\n";
    for (const options::OptionSpec& spec : options::OptionTable()) {
        if (!IsLeftOutOfPpd(spec.name)) WriteOption(out, spec);
    }
    out << "*CloseGroup: Layout\n";
}

}  // namespace tav::cups
