#include "job/job_media.h"

#include <cmath>
#include <cstdio>
#include <string_view>

#include "media_table.h"
#include "opc/package_error.h"
#include "package/package_walker.h"
#include "parts/part_data.h"
#include "platform/print_schema_reader.h"
#include "platform/secure_xml.h"

namespace tav::host {
namespace {

// A page within this many microns of a medium, on each side, is that
// medium: documents round their page sizes to whole units or less.
constexpr double kMediumTolerance = 1000;
constexpr double kMicronsPerUnit = 25400.0 / 96.0;

bool Near(double a, double b) { return std::fabs(a - b) <= kMediumTolerance; }

std::string Millimetres(double microns)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", microns / 1000.0);
    return text;
}

}  // namespace

std::optional<std::string> TicketOptionName(const xmlDoc* ticket, const char* feature)
{
    const xmlNode* root = ticket ? xmlDocGetRootElement(ticket) : nullptr;
    if (!printticket::IsSchemaElement(root, "PrintTicket")) return std::nullopt;
    std::optional<printticket::QualifiedName> option =
        printticket::FeatureOptionName(root, printticket::Keyword(feature));
    if (!option) return std::nullopt;
    return option->local;
}

std::optional<std::string> TicketOptionName(const std::string& ticketXml, const char* feature)
{
    if (ticketXml.empty()) return std::nullopt;
    std::string reason;
    securexml::DocumentPtr document = securexml::Parse(ticketXml.data(), ticketXml.size(), {}, &reason);
    return TicketOptionName(document.get(), feature);
}

std::optional<std::string> MediumReplacementWarning(const std::optional<std::string>& requested,
                                                    const std::optional<std::string>& used)
{
    if (!requested || !used || *requested == *used) return std::nullopt;
    return "the printer has no medium " + *requested + "; the job is printed on " + *used + " instead";
}

std::optional<std::string> MediaReplacementWarning(const std::string& requestedTicket, const std::string& mergedTicket)
{
    return MediumReplacementWarning(TicketOptionName(requestedTicket, "PageMediaSize"),
                                    TicketOptionName(mergedTicket, "PageMediaSize"));
}

namespace {

// A page ticket larger than this is not read for its orientation.
constexpr size_t kLargestPageTicket = 1u << 20;

// Whether the page has a ticket of its own that names an orientation.
bool PageTicketNamesOrientation(IUnknown* part)
{
    ComPtr<IFixedPage> page;
    ComPtr<IPartPrintTicket> ticket;
    if (FAILED(part->QueryInterface(IID_IFixedPage, page.OutVoid())) || FAILED(page->GetPrintTicket(ticket.Out())) ||
        !ticket)
        return false;
    std::shared_ptr<PartData> data = HostDataOf(ticket.Get());
    std::shared_ptr<const PartContent> content = data ? data->Content() : nullptr;
    if (!content) return false;
    std::unique_ptr<ByteReader> reader = content->Open();
    std::string markup;
    char block[4096];
    while (size_t got = reader->Read(block, sizeof block)) {
        markup.append(block, got);
        if (markup.size() > kLargestPageTicket) return false;
    }
    return TicketOptionName(markup, "PageOrientation").has_value();
}

}  // namespace

std::optional<FirstPage> FirstPageOf(const std::shared_ptr<Package>& package)
{
    try {
        PackageWalker walker(package);
        while (ComPtr<IUnknown> part = walker.Next()) {
            std::shared_ptr<PartData> data = HostDataOf(part.Get());
            FirstPage page;
            if (!data || !data->PageSize(&page.width, &page.height)) continue;
            page.namesOrientation = PageTicketNamesOrientation(part.Get());
            return page;
        }
    } catch (const PackageError&) {
        // The job's own walk meets the same fault and reports it.
    }
    return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> MediaOptionsForPage(double width, double height, bool withOrientation)
{
    double across = width * kMicronsPerUnit;
    double down = height * kMicronsPerUnit;
    bool wide = across > down;
    double shortSide = wide ? down : across;
    double longSide = wide ? across : down;

    std::vector<std::pair<std::string, std::string>> options;
    for (const std::string& name : tav::options::ListedMediaNames()) {
        tav::options::MediaSize medium;
        if (tav::options::ParseMedia(name, &medium) != tav::options::Parsed::Ok || medium.custom) continue;
        if (Near(shortSide, medium.width) && Near(longSide, medium.height)) {
            options.emplace_back("media", name);
            break;
        }
    }
    if (options.empty()) {
        std::string custom = "custom_" + Millimetres(shortSide) + "x" + Millimetres(longSide) + "mm";
        tav::options::MediaSize medium;
        if (tav::options::ParseMedia(custom, &medium) != tav::options::Parsed::Ok) return {};
        options.emplace_back("media", custom);
    }
    if (wide && withOrientation) options.emplace_back("orientation-requested", "landscape");
    return options;
}

}  // namespace tav::host
