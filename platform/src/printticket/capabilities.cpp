#include "capabilities.h"

#include <algorithm>

#include "namespace_binder.h"
#include "platform/secure_xml.h"
#include "schema_builder.h"

namespace tav::printticket {
namespace {

const xmlChar* Xml(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

class CapabilitiesWriter {
public:
    CapabilitiesWriter(const DeviceDescription& device, const PageSetup& page)
        : document_(securexml::Check(xmlNewDoc(Xml("1.0")))), device_(device), page_(page)
    {
        xmlNode* root = securexml::Check(xmlNewDocNode(document_.get(), nullptr, Xml("PrintCapabilities"), nullptr));
        xmlDocSetRootElement(document_.get(), root);
        binder_.emplace(root);
        // Declared in the usual order, all on the root.
        for (const char* uri :
             {kFrameworkNamespace, kKeywordsNamespace, kSchemaInstanceNamespace, kSchemaNamespace, kPrivateNamespace})
            binder_->Prefixed(uri);
        xmlSetNs(root, binder_->Prefixed(kFrameworkNamespace));
        securexml::Check(xmlNewNsProp(root, nullptr, Xml("version"), Xml("1")));
    }

    std::string Write()
    {
        WriteMediaSizes();
        WriteSimpleFeature("PageOrientation", [&](auto add) {
            for (Orientation orientation : device_.orientations) add(Keyword(OrientationKeyword(orientation)));
        });
        if (device_.duplex)
            WriteSimpleFeature("JobDuplexAllDocumentsContiguously", [&](auto add) {
                for (const char* option : {"OneSided", "TwoSidedShortEdge", "TwoSidedLongEdge"}) add(Keyword(option));
            });
        WriteResolutions();
        WriteSimpleFeature("PageInputBin", [&](auto add) {
            for (const InputBin& bin : device_.inputBins) add(bin.Name());
        });
        WriteSimpleFeature("PageOutputColor", [&](auto add) {
            if (device_.color) add(Keyword("Color"));
            add(Keyword("Grayscale"));
            add(Keyword("Monochrome"));
        });
        WriteIntegerParameterDef("JobCopiesAllDocuments", 1, 1, device_.maxCopies, "copies", "Unconditional");
        WriteImageableSize();
        return securexml::Serialize(document_.get());
    }

private:
    xmlNode* Root() const { return binder_->Root(); }

    xmlNode* AddFeature(const char* name)
    {
        xmlNode* feature = AppendNamed(*binder_, Root(), "Feature", Keyword(name));
        xmlNode* selection = AppendNamed(*binder_, feature, "Property", {kFrameworkNamespace, "SelectionType"});
        AppendQNameValue(*binder_, selection, Keyword("PickOne"));
        return feature;
    }

    // A feature whose options are names alone; options(add) calls add once
    // per option name.
    template <class Options>
    void WriteSimpleFeature(const char* name, Options options)
    {
        xmlNode* feature = AddFeature(name);
        options([&](const QualifiedName& option) { AppendNamed(*binder_, feature, "Option", option); });
    }

    void AddParameterRef(xmlNode* option, const char* property, const char* parameter)
    {
        xmlNode* scored = AppendNamed(*binder_, option, "ScoredProperty", Keyword(property));
        AppendNamed(*binder_, scored, "ParameterRef", Keyword(parameter));
    }

    void WriteMediaSizes()
    {
        xmlNode* feature = AddFeature("PageMediaSize");
        for (const DeviceMedium& medium : device_.media) {
            xmlNode* option = AppendNamed(*binder_, feature, "Option", medium.Name());
            AppendIntegerProperty(*binder_, option, "ScoredProperty", Keyword("MediaSizeWidth"), medium.width);
            AppendIntegerProperty(*binder_, option, "ScoredProperty", Keyword("MediaSizeHeight"), medium.height);
        }
        if (!device_.customMedia) return;
        const CustomMediaLimits& limits = *device_.customMedia;
        xmlNode* custom = AppendNamed(*binder_, feature, "Option", Keyword("CustomMediaSize"));
        AddParameterRef(custom, "MediaSizeWidth", "PageMediaSizeMediaSizeWidth");
        AddParameterRef(custom, "MediaSizeHeight", "PageMediaSizeMediaSizeHeight");
        WriteIntegerParameterDef("PageMediaSizeMediaSizeWidth",
                                 std::clamp(page_.width, limits.minWidth, limits.maxWidth), limits.minWidth,
                                 limits.maxWidth, "microns", "Conditional");
        WriteIntegerParameterDef("PageMediaSizeMediaSizeHeight",
                                 std::clamp(page_.height, limits.minHeight, limits.maxHeight), limits.minHeight,
                                 limits.maxHeight, "microns", "Conditional");
    }

    void WriteResolutions()
    {
        xmlNode* feature = AddFeature("PageResolution");
        for (int64_t dpi : device_.resolutions) {
            xmlNode* option = AppendNamed(*binder_, feature, "Option", ResolutionOptionName(dpi));
            AppendIntegerProperty(*binder_, option, "ScoredProperty", Keyword("ResolutionX"), dpi);
            AppendIntegerProperty(*binder_, option, "ScoredProperty", Keyword("ResolutionY"), dpi);
        }
    }

    void WriteIntegerParameterDef(const char* name, int64_t defaultValue, int64_t minimum, int64_t maximum,
                                  const char* unit, const char* mandatory)
    {
        xmlNode* definition = AppendNamed(*binder_, Root(), "ParameterDef", Keyword(name));
        auto property = [&](const char* propertyName) {
            return AppendNamed(*binder_, definition, "Property", {kFrameworkNamespace, propertyName});
        };
        AppendQNameValue(*binder_, property("DataType"), {kSchemaNamespace, "integer"});
        AppendIntegerValue(*binder_, property("DefaultValue"), defaultValue);
        AppendIntegerValue(*binder_, property("MinValue"), minimum);
        AppendIntegerValue(*binder_, property("MaxValue"), maximum);
        AppendIntegerValue(*binder_, property("Multiple"), 1);
        AppendQNameValue(*binder_, property("Mandatory"), Keyword(mandatory));
        AppendValue(*binder_, property("UnitType"), "string", unit);
    }

    void WriteImageableSize()
    {
        ImageableArea area = ComputeImageableArea(page_.width, page_.height, page_.margins, page_.orientation);
        xmlNode* size = AppendNamed(*binder_, Root(), "Property", Keyword("PageImageableSize"));
        AppendIntegerProperty(*binder_, size, "Property", Keyword("ImageableSizeWidth"), area.imageableSizeWidth);
        AppendIntegerProperty(*binder_, size, "Property", Keyword("ImageableSizeHeight"), area.imageableSizeHeight);
        xmlNode* imageable = AppendNamed(*binder_, size, "Property", Keyword("ImageableArea"));
        AppendIntegerProperty(*binder_, imageable, "Property", Keyword("OriginWidth"), area.originWidth);
        AppendIntegerProperty(*binder_, imageable, "Property", Keyword("OriginHeight"), area.originHeight);
        AppendIntegerProperty(*binder_, imageable, "Property", Keyword("ExtentWidth"), area.extentWidth);
        AppendIntegerProperty(*binder_, imageable, "Property", Keyword("ExtentHeight"), area.extentHeight);
    }

    securexml::DocumentPtr document_;
    std::optional<NamespaceBinder> binder_;
    const DeviceDescription& device_;
    const PageSetup& page_;
};

}  // namespace

std::string WritePrintCapabilities(const DeviceDescription& device, const PageSetup& page)
{
    return CapabilitiesWriter(device, page).Write();
}

}  // namespace tav::printticket
