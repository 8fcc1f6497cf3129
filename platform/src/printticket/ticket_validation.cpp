#include "ticket_validation.h"

#include <algorithm>
#include <functional>

#include "namespace_binder.h"
#include "platform/print_schema_reader.h"
#include "platform/printticket.h"
#include "schema_builder.h"
#include "ticket_document.h"
#include "ticket_merge.h"

namespace tav::printticket {
namespace {

using OptionTest = std::function<bool(const QualifiedName&)>;

class TicketValidator {
public:
    TicketValidator(xmlDoc* ticket, xmlDoc* defaults, const DeviceDescription& device, ValidationReport* report)
        : root_(xmlDocGetRootElement(ticket)),
          defaults_(xmlDocGetRootElement(defaults)),
          binder_(root_),
          device_(device),
          report_(report)
    {
    }

    Status Run()
    {
        ValidateMedia();
        ValidateOption("PageOrientation", [&](const QualifiedName& option) {
            std::optional<Orientation> orientation = OrientationFromKeyword(option.local);
            return option.ns == kKeywordsNamespace && orientation && device_.HasOrientation(*orientation);
        });
        for (const char* duplex : {"JobDuplexAllDocumentsContiguously", "DocumentDuplex"})
            ValidateOption(duplex, [&](const QualifiedName& option) {
                return option == Keyword("OneSided") || (device_.duplex && (option == Keyword("TwoSidedShortEdge") ||
                                                                            option == Keyword("TwoSidedLongEdge")));
            });
        ValidateResolution();
        for (const char* bin : {"PageInputBin", "DocumentInputBin", "JobInputBin"})
            ValidateOption(bin, [&](const QualifiedName& option) { return device_.HasInputBin(option); });
        ValidateOption("PageOutputColor", [&](const QualifiedName& option) {
            return option == Keyword("Grayscale") || option == Keyword("Monochrome") ||
                   (device_.color && option == Keyword("Color"));
        });
        for (const char* copies : {"JobCopiesAllDocuments", "DocumentCopiesAllPages", "PageCopies"})
            ValidateCopies(copies);
        if (!failure_.empty())
            return Status::Failure(E_FAIL, "The device's default ticket could not be applied: " + failure_ + ".");
        return Status::Ok();
    }

private:
    void Note(const std::string& change) { report_->changes.push_back(change); }

    // The setting of the default ticket in place of the ticket's, or none.
    void Replace(const char* kind, const QualifiedName& name)
    {
        if (const xmlNode* preset = FindNamed(defaults_, kind, name)) {
            std::string reason;
            if (!PutTopLevel(binder_, preset, &reason)) failure_ = reason;
            Note(name.local + ": replaced by the device default");
        } else {
            RemoveNamed(root_, kind, name);
            Note(name.local + ": removed, the device cannot carry it out");
        }
    }

    void ValidateOption(const char* featureName, const OptionTest& allowed)
    {
        QualifiedName feature = Keyword(featureName);
        xmlNode* node = FindNamed(root_, "Feature", feature);
        if (node == nullptr) return;
        xmlNode* option = OptionOf(node);
        std::optional<QualifiedName> name = option != nullptr ? OptionName(option) : std::nullopt;
        if (!name || !allowed(*name)) Replace("Feature", feature);
    }

    // Gives the option an integer ScoredProperty of this value, replacing
    // one that holds another value or none.
    void SetScoredInteger(xmlNode* option, const QualifiedName& property, int64_t value)
    {
        if (ScoredPropertyInteger(root_, option, property) == value) return;
        RemoveNamed(option, "ScoredProperty", property);
        AppendIntegerProperty(binder_, option, "ScoredProperty", property, value);
        Note(property.local + ": set to " + std::to_string(value));
    }

    void ValidateMedia()
    {
        QualifiedName feature = Keyword("PageMediaSize");
        xmlNode* node = FindNamed(root_, "Feature", feature);
        if (node == nullptr) return;
        xmlNode* option = OptionOf(node);
        std::optional<QualifiedName> name = option != nullptr ? OptionName(option) : std::nullopt;
        if (name && *name == Keyword("CustomMediaSize")) {
            std::optional<int64_t> width = ScoredPropertyInteger(root_, option, Keyword("MediaSizeWidth"));
            std::optional<int64_t> height = ScoredPropertyInteger(root_, option, Keyword("MediaSizeHeight"));
            // Turned for transverse feed, a custom size is described with
            // width and height exchanged, as a listed medium is below.
            if (device_.customMedia && width && height &&
                (device_.customMedia->Allows(*width, *height) || device_.customMedia->Allows(*height, *width)))
                return;
            RemoveNamed(root_, "ParameterInit", Keyword("PageMediaSizeMediaSizeWidth"));
            RemoveNamed(root_, "ParameterInit", Keyword("PageMediaSizeMediaSizeHeight"));
            Replace("Feature", feature);
            return;
        }
        const DeviceMedium* medium = name ? device_.FindMedium(*name) : nullptr;
        if (medium == nullptr) {
            Replace("Feature", feature);
            return;
        }
        // A sheet fed transversely (short edge first) is described with its
        // width and height exchanged; that is the medium too, and the
        // filters after the one that turned it must see it so.
        std::optional<int64_t> width = ScoredPropertyInteger(root_, option, Keyword("MediaSizeWidth"));
        std::optional<int64_t> height = ScoredPropertyInteger(root_, option, Keyword("MediaSizeHeight"));
        if (width && height && *width == medium->height && *height == medium->width) return;
        SetScoredInteger(option, Keyword("MediaSizeWidth"), medium->width);
        SetScoredInteger(option, Keyword("MediaSizeHeight"), medium->height);
    }

    void ValidateResolution()
    {
        QualifiedName feature = Keyword("PageResolution");
        xmlNode* node = FindNamed(root_, "Feature", feature);
        if (node == nullptr) return;
        xmlNode* option = OptionOf(node);
        if (option == nullptr) return Replace("Feature", feature);
        std::optional<int64_t> x = ScoredPropertyInteger(root_, option, Keyword("ResolutionX"));
        std::optional<int64_t> y = ScoredPropertyInteger(root_, option, Keyword("ResolutionY"));
        if (x || y) {
            if (!(x && y && *x == *y && device_.HasResolution(*x))) Replace("Feature", feature);
            return;
        }
        // An option given by name alone gets the values its name stands for.
        std::optional<QualifiedName> name = OptionName(option);
        auto named = std::find_if(device_.resolutions.begin(), device_.resolutions.end(),
                                  [&](int64_t dpi) { return name && *name == ResolutionOptionName(dpi); });
        if (named == device_.resolutions.end()) return Replace("Feature", feature);
        SetScoredInteger(option, Keyword("ResolutionX"), *named);
        SetScoredInteger(option, Keyword("ResolutionY"), *named);
    }

    void ValidateCopies(const char* parameterName)
    {
        QualifiedName parameter = Keyword(parameterName);
        xmlNode* init = FindNamed(root_, "ParameterInit", parameter);
        if (init == nullptr) return;
        std::optional<int64_t> copies = ParameterInteger(root_, parameter);
        if (!copies) return Replace("ParameterInit", parameter);
        int64_t allowed = std::clamp<int64_t>(*copies, 1, device_.maxCopies);
        if (allowed == *copies) return;
        SetText(FirstSchemaChild(init, "Value"), std::to_string(allowed));
        Note(parameter.local + ": " + std::to_string(*copies) + " brought to " + std::to_string(allowed));
    }

    xmlNode* root_;
    const xmlNode* defaults_;
    NamespaceBinder binder_;
    const DeviceDescription& device_;
    ValidationReport* report_;
    std::string failure_;
};

Status ParseDefaultTicket(const DeviceDescription& device, securexml::DocumentPtr* ticket)
{
    return ParseTicket(device.defaultTicket, kTicketRole, ticket);
}

}  // namespace

Status ValidateTicket(xmlDoc* ticket, const DeviceDescription& device, ValidationReport* report)
{
    securexml::DocumentPtr defaults;
    Status status = ParseDefaultTicket(device, &defaults);
    if (!status.Succeeded()) return status;
    return TicketValidator(ticket, defaults.get(), device, report).Run();
}

Status CheckDefaultTicket(const DeviceDescription& device, const std::string& origin)
{
    auto refuse = [&](const std::string& reason) {
        return Status::Failure(E_PRINTDEVICECAPABILITIES_FORMAT,
                               "Invalid device description " + origin + ": the default ticket " + reason + ".");
    };
    securexml::DocumentPtr ticket;
    Status status = ParseDefaultTicket(device, &ticket);
    if (!status.Succeeded()) return refuse(status.message);
    xmlNode* root = xmlDocGetRootElement(ticket.get());
    std::optional<QualifiedName> medium = FeatureOptionName(root, Keyword("PageMediaSize"));
    if (!medium || device.FindMedium(*medium) == nullptr) return refuse("does not name one of the device's media");
    if (FindNamed(root, "Feature", Keyword("PageResolution")) == nullptr) return refuse("has no PageResolution");
    ValidationReport report;
    status = ValidateTicket(ticket.get(), device, &report);
    if (!status.Succeeded()) return refuse(status.message);
    if (report.Changed()) return refuse("asks for what the device cannot do (" + report.changes.front() + ")");
    return Status::Ok();
}

}  // namespace tav::printticket
