#include "support/package_description.h"

#include "package/package_walker.h"

namespace tav::host::testing {
namespace {

std::string Bytes(IUnknown* part)
{
    std::unique_ptr<ByteReader> reader = HostDataOf(part)->Content()->Open();
    std::string bytes;
    char block[4096];
    while (size_t got = reader->Read(block, sizeof block)) bytes.append(block, got);
    return bytes;
}

}  // namespace

std::vector<std::string> DescribePackage(const std::string& path)
{
    std::shared_ptr<Package> package = Package::Open(path, {}, std::make_shared<FailureLog>());
    PackageWalker walker(package);
    std::vector<std::string> lines;
    while (ComPtr<IUnknown> part = walker.Next()) {
        std::shared_ptr<PartData> data = HostDataOf(part.Get());
        if (!data) continue;
        std::string line = data->Name();
        if (ComPtr<IPartPrintTicket> ticket = data->Ticket()) {
            line += " ticket " + HostDataOf(ticket.Get())->Name() + " [" + Bytes(ticket.Get()) + "]";
        }
        for (const PageResource& resource : data->Resources()) {
            line += " resource " + resource.name + " " + HostDataOf(resource.part.Get())->ContentType() + " " +
                    std::to_string(Bytes(resource.part.Get()).size());
        }
        if (data->Role() == PartRole::Page) line += " content " + Bytes(part.Get());
        lines.push_back(line);
    }
    return lines;
}

}  // namespace tav::host::testing
