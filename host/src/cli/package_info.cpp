#include "cli/package_info.h"

#include <charconv>

#include "job/job.h"
#include "opc/package_error.h"
#include "package/package_walker.h"

namespace tav::host {
namespace {

std::string TicketText(const std::shared_ptr<PartData>& part)
{
    ComPtr<IPartPrintTicket> ticket = part->Ticket();
    if (!ticket) return "no ticket";
    return "ticket " + HostDataOf(ticket.Get())->Name();
}

}  // namespace

std::string LengthText(double value)
{
    char text[32];
    auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc() ? std::string(text, end) : std::to_string(value);
}

int PrintPackageInfo(const std::string& input, const ZipLimits& limits, std::ostream& out, std::string* error)
{
    auto log = std::make_shared<FailureLog>();
    try {
        std::shared_ptr<Package> package = Package::Open(input, limits, log);
        PackageWalker walker(package);
        out << input << ": " << (package->Flavour() == xps::Flavour::OpenXps ? "OpenXPS" : "XPS") << " package\n";
        int documents = 0;
        int pages = 0;
        int pageInDocument = 0;
        int tickets = 0;
        while (ComPtr<IUnknown> part = walker.Next()) {
            std::shared_ptr<PartData> data = HostDataOf(part.Get());
            if (!data) continue;  // the XPS document itself
            if (data->Ticket()) ++tickets;
            switch (data->Role()) {
            case PartRole::Sequence:
                out << "sequence " << data->Name() << ", " << TicketText(data) << "\n";
                break;
            case PartRole::Document:
                ++documents;
                pageInDocument = 0;
                out << "document " << documents << " " << data->Name() << ", " << TicketText(data) << "\n";
                break;
            case PartRole::Page: {
                ++pages;
                ++pageInDocument;
                double width = 0;
                double height = 0;
                data->PageSize(&width, &height);
                out << "  page " << pageInDocument << " " << data->Name() << ", " << LengthText(width) << " x "
                    << LengthText(height) << ", " << TicketText(data) << "\n";
                for (const PageResource& resource : data->Resources()) {
                    out << "    resource " << resource.name << " (" << HostDataOf(resource.part.Get())->ContentType()
                        << ")\n";
                }
                break;
            }
            default:
                out << "part " << data->Name() << " (" << data->ContentType() << ")\n";
                break;
            }
        }
        out << documents << (documents == 1 ? " document, " : " documents, ") << pages
            << (pages == 1 ? " page, " : " pages, ") << tickets << (tickets == 1 ? " ticket\n" : " tickets\n");
        return kExitSuccess;
    } catch (const PackageError& failure) {
        *error = FailureMessage(input, failure.Part(), failure.Reason());
        return kExitBadInput;
    }
}

}  // namespace tav::host
