#include "cli/package_info.h"

#include <charconv>
#include <cstdio>
#include <optional>

#include "job/job.h"
#include "job/standard_input.h"
#include "opc/package_error.h"
#include "package/package_walker.h"
#include "ticket_summary.h"

namespace tav::host {
namespace {

constexpr size_t kMaxTicketSize = 16u << 20;

// "ticket /PT.xml: media=iso_a4_210x297mm sides=two-sided-long-edge".
std::string TicketText(const std::shared_ptr<PartData>& part)
{
    ComPtr<IPartPrintTicket> ticket = part->Ticket();
    if (!ticket) return "no ticket";
    std::shared_ptr<PartData> data = HostDataOf(ticket.Get());
    std::unique_ptr<ByteReader> reader = data->Content()->Open();
    std::string bytes;
    char block[65536];
    while (size_t got = reader->Read(block, sizeof block)) {
        bytes.append(block, got);
        if (bytes.size() > kMaxTicketSize) throw PackageError(data->Name(), "the print ticket is too large");
    }
    return "ticket " + data->Name() + ": " + TicketSettingsInOptionNames(bytes);
}

}  // namespace

std::string LengthText(double value)
{
    char text[32];
    auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc() ? std::string(text, end) : std::to_string(value);
}

std::string PageSizeText(double width, double height)
{
    char text[128];
    std::snprintf(text, sizeof text, " (%.1f x %.1f mm, %.2f x %.2f in)", width * 25.4 / 96, height * 25.4 / 96,
                  width / 96, height / 96);
    return LengthText(width) + " x " + LengthText(height) + text;
}

int PrintPackageInfo(const std::string& input, const ZipLimits& limits, std::ostream& out, std::string* error)
{
    auto log = std::make_shared<FailureLog>();
    const std::string inputName = DisplayName(input, "standard input");
    try {
        std::optional<StandardInputSpool> standardInput;
        if (input == "-") standardInput.emplace();
        std::shared_ptr<Package> package = Package::Open(standardInput ? standardInput->Path() : input, limits, log);
        PackageWalker walker(package);
        out << inputName << ": " << (package->Flavour() == xps::Flavour::OpenXps ? "OpenXPS" : "XPS") << " package\n";
        int documents = 0;
        int pages = 0;
        int pageInDocument = 0;
        int tickets = 0;
        while (ComPtr<IUnknown> part = walker.Next()) {
            std::shared_ptr<PartData> data = HostDataOf(part.Get());
            if (!data) continue;  // the XPS document itself
            if (data->Ticket()) ++tickets;
            switch (data->Role()) {
            case PartRole::Sequence: out << "sequence " << data->Name() << ", " << TicketText(data) << "\n"; break;
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
                out << "  page " << pageInDocument << " " << data->Name() << ", " << PageSizeText(width, height) << ", "
                    << TicketText(data) << "\n";
                for (const PageResource& resource : data->Resources()) {
                    out << "    resource " << resource.name << " (" << HostDataOf(resource.part.Get())->ContentType()
                        << ")\n";
                }
                break;
            }
            default: out << "part " << data->Name() << " (" << data->ContentType() << ")\n"; break;
            }
        }
        out << documents << (documents == 1 ? " document, " : " documents, ") << pages
            << (pages == 1 ? " page, " : " pages, ") << tickets << (tickets == 1 ? " ticket\n" : " tickets\n");
        return kExitSuccess;
    } catch (const PackageError& failure) {
        *error = FailureMessage(inputName, failure.Part(), failure.Reason());
        return kExitBadInput;
    } catch (const std::runtime_error& failure) {
        *error = FailureMessage(inputName, "", failure.what());
        return kExitBadInput;
    }
}

}  // namespace tav::host
