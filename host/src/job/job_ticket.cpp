#include "job/job_ticket.h"

#include "job/ticket_provider.h"
#include "opc/package_error.h"
#include "platform/print_schema_reader.h"
#include "xml_input.h"

namespace tav::host {
namespace {

using tav::options::TicketDocument;

constexpr char kMedium[] = "PageMediaSize";
constexpr char kOrientation[] = "PageOrientation";

// A ticket parsed for reading what it names; null for one that cannot be
// read, which names nothing.
securexml::DocumentPtr ParseForReading(const std::string& xml)
{
    if (xml.empty()) return nullptr;
    std::string reason;
    return securexml::DocumentPtr(tav::options::ParseXmlSafely(xml, &reason));
}

// The ticket file made into the document settings are written into.
std::unique_ptr<TicketDocument> OpenTicketFile(const std::string& ticketFile, securexml::DocumentPtr parsed)
{
    std::string error;
    std::unique_ptr<TicketDocument> document = parsed ? TicketDocument::Create(parsed.release(), &error)
                                                      : TicketDocument::Create(std::string_view(ticketFile), &error);
    if (!document) throw SettingsError(error);
    return document;
}

}  // namespace

securexml::DocumentPtr ParseGivenTicket(const std::string& xml, std::string* fault)
{
    securexml::DocumentPtr document(tav::options::ParseXmlSafely(xml, fault));
    if (!document) return nullptr;
    const xmlNode* root = xmlDocGetRootElement(document.get());
    std::optional<std::string> version =
        root != nullptr ? printticket::AttributeText(root, "version") : std::optional<std::string>();
    if (!printticket::IsSchemaElement(root, "PrintTicket")) {
        *fault = "the root element is not a PrintTicket of the Print Schema framework";
    } else if (!version || printticket::ParseInteger(*version) != 1) {
        *fault = "the ticket's version is not 1";
    } else {
        return document;
    }
    return nullptr;
}

JobTicket::JobTicket(std::string printer, const Options& options, std::string ticketFile,
                     std::vector<std::string>* warnings)
    : printer_(std::move(printer)), hasOptions_(!options.empty()), ticketFile_(std::move(ticketFile))
{
    std::vector<std::string> found;
    const xmlDoc* file = nullptr;
    if (hasOptions_) {
        std::string error;
        if (!settings_.Read(options, &found, &error)) throw SettingsError(error);
        delta_ = OpenTicketFile(ticketFile_, nullptr);
        file = delta_->Document();
    } else {
        ticketFileDocument_ = ParseForReading(ticketFile_);
        file = ticketFileDocument_.get();
    }
    fileMedium_ = TicketOptionName(file, kMedium);
    settingsNameMedium_ = settings_.SetsMedium() || fileMedium_;
    settingsNameOrientation_ = settings_.SetsOrientation() || TicketOptionName(file, kOrientation);
    warnings->insert(warnings->end(), found.begin(), found.end());
}

JobTicket::~JobTicket() = default;

void JobTicket::SetBase(std::string userTicket, securexml::DocumentPtr userDocument,
                        std::optional<PackageTicket> packageTicket)
{
    userTicket_ = std::move(userTicket);
    packageTicket_ = std::move(packageTicket);
    if (packageTicket_) {
        securexml::DocumentPtr document = ParseForReading(packageTicket_->bytes);
        packageMedium_ = TicketOptionName(document.get(), kMedium);
        baseNamesMedium_ = packageMedium_.has_value();
        baseNamesOrientation_ = TicketOptionName(document.get(), kOrientation).has_value();
    }
    baseNamesMedium_ = baseNamesMedium_ || TicketOptionName(userDocument.get(), kMedium);
    baseNamesOrientation_ = baseNamesOrientation_ || TicketOptionName(userDocument.get(), kOrientation);
}

void JobTicket::AddFirstPage(const FirstPage& page)
{
    if (!NamesMedium()) {
        firstPageOptions_ = MediaOptionsForPage(page.width, page.height, !NamesOrientation());
    } else if (!NamesOrientation() && page.width > page.height && !page.namesOrientation) {
        // A landscape page that says nothing of its orientation is printed
        // as it lies, on whatever medium.
        firstPageOptions_ = {{"orientation-requested", "landscape"}};
    }
}

JobTicket::Delta JobTicket::BuildDelta(bool withFirstPage)
{
    if (!hasOptions_ && !withFirstPage) return {ticketFile_, fileMedium_};
    // The ticket file's document takes the settings once; a second delta
    // reads the file again.
    std::unique_ptr<TicketDocument> document =
        delta_ ? std::move(delta_) : OpenTicketFile(ticketFile_, std::move(ticketFileDocument_));
    tav::options::JobSettings settings = settings_;
    if (withFirstPage) settings.AddFirst(firstPageOptions_);
    std::string error;
    if (!settings.WriteInto(*document, &error)) throw SettingsError(error);
    return {document->Serialize(), TicketOptionName(document->Document(), kMedium)};
}

std::string JobTicket::MergeOverBase(const std::string& delta) const
{
    try {
        return MergeJobTicket(printer_, packageTicket_ ? packageTicket_->bytes : userTicket_, delta);
    } catch (const BaseTicketError& error) {
        // The package's own job ticket is what cannot be read: the input is at fault.
        if (packageTicket_) throw PackageError(packageTicket_->name, error.what());
        throw;
    }
}

std::string JobTicket::Merge(std::vector<std::string>* warnings)
{
    if (!HasSettings()) {
        // The package's own ticket is merged only to learn which medium the
        // device gives it; the filters report a ticket they cannot use.
        if (!packageMedium_) return "";
        try {
            std::string merged = MergeJobTicket(printer_, userTicket_, packageTicket_->bytes);
            if (auto warning = MediumReplacementWarning(packageMedium_, TicketOptionName(merged, kMedium)))
                warnings->push_back(*warning);
        } catch (const TicketError&) {
        }
        return "";
    }
    bool withFirstPage = !firstPageOptions_.empty();
    Delta delta = BuildDelta(withFirstPage);
    std::string merged = MergeOverBase(delta.xml);
    std::optional<std::string> used = TicketOptionName(merged, kMedium);
    if (withFirstPage && MediumReplacementWarning(delta.medium, used)) {
        // The device has not got the medium the first page gave the job:
        // the job is printed as if it had not been added.
        delta = BuildDelta(false);
        merged = MergeOverBase(delta.xml);
        used = TicketOptionName(merged, kMedium);
    }
    if (auto warning = MediumReplacementWarning(delta.medium ? delta.medium : packageMedium_, used))
        warnings->push_back(*warning);
    return merged;
}

}  // namespace tav::host
