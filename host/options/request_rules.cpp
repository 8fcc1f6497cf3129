#include "request_rules.h"

namespace tav::options {

namespace {

using enum OptionId;

std::string Setting(const JobRequest& request, OptionId id)
{
    return std::string(Spec(id).name) + "=" + request.Text(id);
}

bool CheckExclusive(const JobRequest& request, OptionId a, OptionId b, std::string* error)
{
    if (!request.Explicit(a) || !request.Explicit(b)) return true;
    *error = std::string(Spec(a).name) + " and " + std::string(Spec(b).name) + " exclude each other; give one of them";
    return false;
}

bool IsBooklet(const JobRequest& request) { return request.Text(Booklet) != "off"; }

// A booklet is printed two-sided on the short edge with two pages per sheet
// side; the binding is the booklet itself. Another number of pages per
// side cannot make booklet spreads: false and *error.
bool MakeBookletConsistent(JobRequest* request, std::vector<std::string>* warnings, std::string* error)
{
    if (!IsBooklet(*request)) return true;
    std::string booklet = Setting(*request, Booklet);
    if (request->Explicit(NumberUp) && request->Text(NumberUp) != "2") {
        *error = booklet + " lays out two pages per sheet side; " + Setting(*request, NumberUp) +
                 " cannot go with it: give number-up=2 or none";
        return false;
    }
    if (!request->Explicit(NumberUp)) request->Imply(NumberUp, "2");
    if (!request->Explicit(Sides))
        request->Imply(Sides, "two-sided-short-edge");
    else if (request->Text(Sides) != "two-sided-short-edge")
        warnings->push_back(booklet + " needs sides=two-sided-short-edge; with " + Setting(*request, Sides) +
                            " the filters print no booklet");
    if (request->Explicit(Binding)) {
        warnings->push_back(Setting(*request, Binding) + " has no effect with " + booklet + "; ignored");
        request->Ignore(Binding);
    }
    return true;
}

// Asking for an item of the header or footer line asks for the line.
void MakeHeaderFooterConsistent(JobRequest* request, std::vector<std::string>* warnings)
{
    bool hasItem = false;
    for (OptionId item : {HeaderFooterDate, HeaderFooterTime, HeaderFooterId})
        hasItem = hasItem || (request->Explicit(item) && request->Text(item) != "none");
    if (hasItem && !request->Explicit(HeaderFooter)) request->Imply(HeaderFooter, "on");
    if (request->Text(HeaderFooter) == "on" && !hasItem)
        warnings->push_back(
            "header-footer=on prints nothing without header-footer-date, header-footer-time or header-footer-id");
}

struct Dependency {
    OptionId option;
    OptionId needs;
    std::string_view inactive;  // a value of needs that leaves option without effect
};

constexpr Dependency kDependencies[] = {
    {DuplexMode, Sides, "one-sided"},
    {NumberUpLayout, NumberUp, ""},
    {PageBorder, NumberUp, ""},
    {BookletSheetsPerSet, Booklet, "off"},
    {PosterCutLines, Poster, "none"},
    {ScaleAlignment, PrintScaling, "none"},
    {ScaleOffset, PrintScaling, "none"},
    {HeaderFooterDate, HeaderFooter, "off"},
    {HeaderFooterTime, HeaderFooter, "off"},
    {HeaderFooterId, HeaderFooter, "off"},
    {HeaderFooterPosition, HeaderFooter, "off"},
    {HeaderFooterFont, HeaderFooter, "off"},
    {HeaderFooterSize, HeaderFooter, "off"},
    {HeaderFooterStyle, HeaderFooter, "off"},
    {HeaderFooterColor, HeaderFooter, "off"},
    {HeaderFooterBackground, HeaderFooter, "off"},
    {HeaderFooterUnderline, HeaderFooter, "off"},
    {HeaderFooterStrikeout, HeaderFooter, "off"},
};

void DropIneffective(JobRequest* request, std::vector<std::string>* warnings)
{
    for (const Dependency& dependency : kDependencies) {
        if (!request->Explicit(dependency.option)) continue;
        std::string setting = Setting(*request, dependency.option);
        if (!request->Given(dependency.needs)) {
            warnings->push_back(setting + " has no effect without " + std::string(Spec(dependency.needs).name) +
                                "; ignored");
            request->Ignore(dependency.option);
        } else if (request->Text(dependency.needs) == dependency.inactive) {
            warnings->push_back(setting + " has no effect with " + Setting(*request, dependency.needs) + "; ignored");
            request->Ignore(dependency.option);
        }
    }
}

// The look of a watermark needs a watermark.
void DropWatermarkStyleWithoutWatermark(JobRequest* request, std::vector<std::string>* warnings)
{
    for (OptionId source : {WatermarkText, WatermarkImage, WatermarkFirstText, WatermarkFirstImage}) {
        if (request->Given(source)) return;
    }
    for (OptionId style : {WatermarkFont, WatermarkSize, WatermarkStyle, WatermarkColor, WatermarkAngle,
                           WatermarkPosition, WatermarkOverlay, WatermarkOutline, WatermarkScale}) {
        if (!request->Explicit(style)) continue;
        warnings->push_back(Setting(*request, style) +
                            " has no effect without watermark-text or watermark-image; ignored");
        request->Ignore(style);
    }
}

}  // namespace

bool ApplyOptionRules(JobRequest* request, std::vector<std::string>* warnings, std::string* error)
{
    if (!CheckExclusive(*request, WatermarkText, WatermarkImage, error) ||
        !CheckExclusive(*request, WatermarkFirstText, WatermarkFirstImage, error))
        return false;
    if (!MakeBookletConsistent(request, warnings, error)) return false;
    MakeHeaderFooterConsistent(request, warnings);
    DropIneffective(request, warnings);
    DropWatermarkStyleWithoutWatermark(request, warnings);
    return true;
}

}  // namespace tav::options
