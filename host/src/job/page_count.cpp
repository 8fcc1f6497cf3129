#include "job/page_count.h"

#include "opc/package_error.h"
#include "opc/part_name.h"
#include "opc/xml_pull_reader.h"

namespace tav::host {
namespace {

// The references of the root's children named element, by attribute Source.
template <typename Visit>
void ForEachSource(const Package& package, const std::string& partName, const char* element, Visit visit)
{
    XmlPullReader reader(package.Content(partName)->Open(), partName);
    while (reader.NextElement()) {
        if (reader.Depth() != 1 || reader.LocalName() != element) continue;
        std::optional<std::string> source = reader.Attribute("Source");
        if (!source) reader.Fail("no Source");
        visit(ResolvePartReference(partName, *source));
    }
}

}  // namespace

std::optional<uint64_t> CountPages(const Package& package)
{
    try {
        uint64_t pages = 0;
        ForEachSource(package, package.SequenceName(), "DocumentReference", [&](const std::string& document) {
            ForEachSource(package, document, "PageContent", [&](const std::string&) { ++pages; });
        });
        return pages;
    } catch (const PackageError&) {
        return std::nullopt;
    }
}

}  // namespace tav::host
