#include "ticket_settings.h"

#include "platform/print_schema_reader.h"

namespace tav::printticket {
namespace {

Duplex ReadDuplex(const xmlNode* root)
{
    std::optional<QualifiedName> option = FeatureOptionName(root, Keyword("JobDuplexAllDocumentsContiguously"));
    if (!option) option = FeatureOptionName(root, Keyword("DocumentDuplex"));
    if (option == Keyword("TwoSidedShortEdge")) return Duplex::TwoSidedShortEdge;
    if (option == Keyword("TwoSidedLongEdge")) return Duplex::TwoSidedLongEdge;
    return Duplex::OneSided;
}

// The DuplexMode scored property of the two-sided option, as text.
DuplexMode ReadDuplexMode(const xmlNode* root)
{
    xmlNode* feature = FindNamed(root, "Feature", Keyword("JobDuplexAllDocumentsContiguously"));
    if (feature == nullptr) feature = FindNamed(root, "Feature", Keyword("DocumentDuplex"));
    xmlNode* option = feature == nullptr ? nullptr : OptionOf(feature);
    xmlNode* property = option == nullptr ? nullptr : FindNamed(option, "ScoredProperty", Keyword("DuplexMode"));
    xmlNode* value = property == nullptr ? nullptr : FirstSchemaChild(property, "Value");
    if (value == nullptr) return DuplexMode::None;
    const std::string text = TextContent(value);
    const std::string_view mode = Trim(text);
    if (mode == "Manual") return DuplexMode::Manual;
    if (mode == "Automatic") return DuplexMode::Automatic;
    return DuplexMode::None;
}

int64_t ReadCopies(const xmlNode* root)
{
    for (const char* name : {"JobCopiesAllDocuments", "DocumentCopiesAllPages", "PageCopies"})
        if (std::optional<int64_t> copies = ParameterInteger(root, Keyword(name))) return *copies;
    return 1;
}

}  // namespace

PageSetup ReadPageSetup(const xmlNode* root, const DeviceDescription& device)
{
    PageSetup page;
    const DeviceMedium& first = device.media.front();
    page.medium = &first;
    page.width = first.width;
    page.height = first.height;
    page.margins = first.margins;

    xmlNode* feature = FindNamed(root, "Feature", Keyword("PageMediaSize"));
    xmlNode* option = feature != nullptr ? OptionOf(feature) : nullptr;
    std::optional<QualifiedName> name = option != nullptr ? OptionName(option) : std::nullopt;
    if (name == Keyword("CustomMediaSize")) {
        std::optional<int64_t> width = ScoredPropertyInteger(root, option, Keyword("MediaSizeWidth"));
        std::optional<int64_t> height = ScoredPropertyInteger(root, option, Keyword("MediaSizeHeight"));
        if (width && height) {
            page.medium = nullptr;
            page.width = *width;
            page.height = *height;
            page.margins = device.defaultMargins;
        }
    } else if (const DeviceMedium* medium = name ? device.FindMedium(*name) : nullptr) {
        page.medium = medium;
        page.width = medium->width;
        page.height = medium->height;
        page.margins = medium->margins;
    }

    std::optional<QualifiedName> orientation = FeatureOptionName(root, Keyword("PageOrientation"));
    if (orientation && orientation->ns == kKeywordsNamespace)
        page.orientation = OrientationFromKeyword(orientation->local).value_or(Orientation::Portrait);
    return page;
}

DeviceSettings ReadDeviceSettings(const xmlNode* root, const DeviceDescription& device)
{
    DeviceSettings settings;
    settings.page = ReadPageSetup(root, device);

    settings.resolutionX = settings.resolutionY = device.resolutions.front();
    if (xmlNode* feature = FindNamed(root, "Feature", Keyword("PageResolution"))) {
        if (xmlNode* option = OptionOf(feature)) {
            std::optional<int64_t> x = ScoredPropertyInteger(root, option, Keyword("ResolutionX"));
            std::optional<int64_t> y = ScoredPropertyInteger(root, option, Keyword("ResolutionY"));
            if (x && y) {
                settings.resolutionX = *x;
                settings.resolutionY = *y;
            }
        }
    }

    settings.duplex = ReadDuplex(root);
    if (settings.duplex != Duplex::OneSided) settings.duplexMode = ReadDuplexMode(root);
    settings.copies = ReadCopies(root);

    std::optional<QualifiedName> color = FeatureOptionName(root, Keyword("PageOutputColor"));
    settings.color = color ? *color == Keyword("Color") : device.color;

    std::optional<QualifiedName> collate = FeatureOptionName(root, Keyword("JobCollateAllDocuments"));
    if (!collate) collate = FeatureOptionName(root, Keyword("DocumentCollate"));
    if (collate == Keyword("Collated")) settings.collate = true;
    if (collate == Keyword("Uncollated")) settings.collate = false;

    settings.inputBin = FeatureOptionName(root, Keyword("PageInputBin"));
    if (!settings.inputBin) settings.inputBin = FeatureOptionName(root, Keyword("DocumentInputBin"));
    if (!settings.inputBin) settings.inputBin = FeatureOptionName(root, Keyword("JobInputBin"));
    return settings;
}

}  // namespace tav::printticket
