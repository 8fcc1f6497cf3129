#include "job/job.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "chain/filter_chain.h"
#include "chain/filter_module.h"
#include "chain/pipeline_config.h"
#include "host_options.h"
#include "job/device_file.h"
#include "job/foreign_documents.h"
#include "job/host_services.h"
#include "job/job_media.h"
#include "job/job_settings.h"
#include "job/job_tickets.h"
#include "job/option_readers.h"
#include "job/page_count.h"
#include "job/page_selection.h"
#include "job/pipeline_properties.h"
#include "job/selected_pages_walker.h"
#include "job/spooler_job.h"
#include "job/standard_input.h"
#include "job/stream_output.h"
#include "job/trace_file.h"
#include "opc/package_error.h"
#include "opc/part_name.h"
#include "package/spill_buffer.h"
#include "parts/part_objects.h"
#include "platform/wformat.h"
#include "tavzip/output_file.h"

namespace tav::host {
namespace {

constexpr size_t kMaxTicketSize = 16u << 20;

// Failures that end a job before its chain runs.
struct JobStop {
    int status;
    std::string message;
};

std::string ReadSmallFile(const std::string& path, const char* what)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw JobStop{kExitUsage,
                      FailureMessage(path, "", std::string("cannot read the ") + what + ": " + std::strerror(errno))};
    }
    std::string bytes;
    char block[65536];
    while (file.read(block, sizeof block) || file.gcount() > 0) {
        bytes.append(block, static_cast<size_t>(file.gcount()));
        if (bytes.size() > kMaxTicketSize) {
            throw JobStop{kExitUsage, FailureMessage(path, "", std::string("the ") + what + " is too large")};
        }
    }
    return bytes;
}

std::string ReadPart(Package& package, const std::string& name)
{
    std::unique_ptr<ByteReader> reader = package.Content(name)->Open();
    std::string bytes;
    char block[65536];
    while (size_t got = reader->Read(block, sizeof block)) {
        bytes.append(block, got);
        if (bytes.size() > kMaxTicketSize) throw PackageError(name, "the print ticket is too large");
    }
    return bytes;
}

// The part of the package's own job ticket: the sequence's print ticket
// relationship names it.
std::optional<std::string> PackageJobTicketName(Package& package)
{
    for (const Relationship& relationship : package.RelationshipsOf(package.SequenceName())) {
        if (!relationship.external && relationship.type == xps::kPrintTicketRelationship) return relationship.target;
    }
    return std::nullopt;
}

// The names the job starts with: every part of the input package and the
// host's own job ticket part.
std::shared_ptr<PartNameRegistry> JobPartNames(const Package& package, IPartPrintTicket* jobTicket)
{
    auto names = std::make_shared<PartNameRegistry>();
    for (const std::string& name : package.PartNames()) names->Claim(name);
    if (jobTicket != nullptr) {
        BSTR uri = nullptr;
        if (SUCCEEDED(jobTicket->GetUri(&uri))) names->Claim(WideToUtf8(uri));
        SysFreeString(uri);
    }
    return names;
}

ComPtr<IPartPrintTicket> MakeJobTicketPart(Package& package, std::string ticket)
{
    std::string name = "/PT_HO_Job.xml";
    for (int copy = 2; package.HasPart(name); ++copy) name = "/PT_HO_Job_" + std::to_string(copy) + ".xml";
    auto data = std::make_shared<PartData>(name, PartRole::PrintTicket, std::string(xps::kPrintTicketContentType),
                                           MemoryContent(std::move(ticket)), package.Log());
    ComPtr<IPartPrintTicket> part;
    MakePartObject(data).As(IID_IPartPrintTicket, &part);
    return part;
}

xps::Flavour OutputFlavour(const std::string& output)
{
    std::string lower = PartNameKey(output);
    return lower.size() >= 5 && lower.compare(lower.size() - 5, 5, ".oxps") == 0 ? xps::Flavour::OpenXps
                                                                                 : xps::Flavour::Xps;
}

void AddObject(IPrintPipelinePropertyBag* bag, const char16_t* name, IUnknown* object)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_UNKNOWN;
    value.punkVal = object;
    bag->AddProperty(name, &value);
}

// The last value given for an option, or "".
std::string LastValueOf(const std::vector<std::pair<std::string, std::string>>& options, const std::string& name)
{
    std::string value;
    for (const auto& option : options) {
        if (option.first == name) value = option.second;
    }
    return value;
}

// The job options that go into the ticket: --user is the job owner's name
// as the identification print shows it, unless an -o option names it; an
// identification print of the user's name without --user shows the job's
// owner, as a print system names it. The options the host applies itself
// stay out.
std::vector<std::pair<std::string, std::string>> TicketOptions(const JobRequest& request)
{
    std::vector<std::pair<std::string, std::string>> options;
    if (!request.user.empty()) {
        options.emplace_back("job-originating-user-name", request.user);
    } else if (LastValueOf(request.options, "header-footer-id") == "user") {
        options.emplace_back("job-originating-user-name", JobOwnerName(""));
    }
    for (const auto& option : request.options) {
        if (!tav::options::FindHostOption(option.first)) options.push_back(option);
    }
    return options;
}

// The last page-ranges option given, or every page.
PageSelection PageSelectionOf(const std::vector<std::pair<std::string, std::string>>& options)
{
    PageSelection selection;
    for (const auto& [name, value] : options) {
        if (name == "page-ranges") selection = PageSelection::Parse(value);
    }
    return selection;
}

std::vector<std::string> ChainNames(const std::vector<FilterEntry>& entries)
{
    std::vector<std::string> names;
    for (const FilterEntry& entry : entries) names.push_back(entry.name);
    return names;
}

// True when one of the tickets names an option of the feature.
bool AnyNames(const std::vector<std::string>& tickets, const char* feature)
{
    for (const std::string& ticket : tickets)
        if (TicketOptionName(ticket, feature)) return true;
    return false;
}

// The delta of a job that names no medium in its own tickets, with the
// medium of its first page (job/job_media.h); of a job that names a medium
// but no orientation, with landscape when its first page is wider than
// tall and has no ticket of its own naming an orientation. "" when the job names both, the page gives neither, or the device
// has not got the medium (the device's default then applies, as without
// the rule).
std::string DeltaWithPageMedium(const std::string& printer, const std::shared_ptr<Package>& package,
                                const std::vector<std::string>& ownTickets,
                                std::vector<std::pair<std::string, std::string>> options, const std::string& ticketFile,
                                const std::string& base)
{
    bool mediumNamed = AnyNames(ownTickets, "PageMediaSize");
    bool orientationNamed = AnyNames(ownTickets, "PageOrientation");
    if (mediumNamed && orientationNamed) return "";
    std::optional<FirstPage> page = FirstPageOf(package);
    if (!page) return "";
    std::vector<std::pair<std::string, std::string>> media;
    if (!mediumNamed) {
        media = MediaOptionsForPage(page->width, page->height, !orientationNamed);
    } else if (page->width > page->height && !page->namesOrientation) {
        // A landscape page that says nothing of its orientation is printed
        // as it lies, on whatever medium.
        media.emplace_back("orientation-requested", "landscape");
    }
    if (media.empty()) return "";
    options.insert(options.begin(), media.begin(), media.end());
    // The options' own warnings were given with the job's delta already.
    std::vector<std::string> repeatedWarnings;
    std::string delta = JobSettingsDelta(options, ticketFile, &repeatedWarnings);
    if (MediaReplacementWarning(delta, MergeJobTicket(printer, base, delta))) return "";
    return delta;
}

// The spooler's record of the job, under the number the property bag gives
// the filters, so that they find it whatever set it; pages: the selected
// pages, when the package says how many it has.
SpoolerJobRecord SpoolerRecordOf(const JobRequest& request, IPrintPipelinePropertyBag* bag, const SYSTEMTIME& submitted,
                                 std::optional<uint64_t> pages)
{
    SpoolerJobRecord record;
    record.printer = request.printer;
    VARIANT jobId;
    VariantInit(&jobId);
    if (SUCCEEDED(bag->GetProperty(u"PrintJobId", &jobId)) && jobId.vt == VT_UI4) record.jobId = jobId.ulVal;
    VariantClear(&jobId);
    record.owner = JobOwnerName(request.user);
    record.document = JobDocumentName(request.title, request.input);
    record.deviceFile = request.deviceFile;
    record.submitted = submitted;
    if (pages && *pages <= UINT32_MAX) record.totalPages = static_cast<uint32_t>(*pages);
    return record;
}

// The printer handle the filters ask the spooler with, unless one was set.
void AddPrinterHandle(IPrintPipelinePropertyBag* bag, HANDLE printer)
{
    VARIANT value;
    VariantInit(&value);
    if (SUCCEEDED(bag->GetProperty(u"PrinterHandle", &value))) {
        VariantClear(&value);
        return;
    }
    value.vt = VT_UI8;
    value.ullVal = reinterpret_cast<uintptr_t>(printer);
    bag->AddProperty(u"PrinterHandle", &value);
}

// --lenient, or the pipeline property of the same meaning.
bool LenientMarkup(const JobRequest& request)
{
    bool lenient = request.lenientMarkup;
    for (const auto& [name, value] : request.properties) {
        if (name == "LenientMarkup") lenient = value == "true" || value == "1";
    }
    return lenient;
}

JobOutcome Ended(int status, std::string message, std::vector<std::string> warnings = {})
{
    JobOutcome outcome;
    outcome.status = status;
    outcome.message = std::move(message);
    outcome.warnings = std::move(warnings);
    return outcome;
}

}  // namespace

std::string FailureMessage(const std::string& file, const std::string& part, const std::string& reason)
{
    return part.empty() ? file + ": " + reason : file + ": " + part + ": " + reason;
}

JobOutcome RunJob(const JobRequest& request)
{
    // The job's submission time, as the spooler's record gives it.
    SYSTEMTIME submitted{};
    GetSystemTime(&submitted);
    // First, so that the modules are unloaded last, after every object that
    // might still hold code of theirs.
    std::vector<std::unique_ptr<FilterModule>> modules;
    PipelineConfig config;
    std::vector<FilterEntry> chainEntries;
    try {
        config = request.configFile.empty() ? PipelineConfig::BuiltIn() : PipelineConfig::Load(request.configFile);
        chainEntries = config.Chain(request.filters);
    } catch (const ConfigError& error) {
        return Ended(kExitUsage, error.what());
    }
    const std::string inputName = DisplayName(request.input, "standard input");
    const std::string outputName = DisplayName(request.output, "standard output");
    PageSelection selection;
    try {
        selection = PageSelectionOf(request.options);
    } catch (const std::invalid_argument& error) {
        return Ended(kExitUsage, std::string("page-ranges: ") + error.what());
    }
    // The filters' event tracing looks at TAV_TRACE when a module loads.
    if (!request.traceFile.empty()) {
        if (std::optional<std::string> why = CannotCreateFile(request.traceFile)) {
            return Ended(kExitUsage, FailureMessage(request.traceFile, "", "cannot create the trace file: " + *why));
        }
        setenv("TAV_TRACE", request.traceFile.c_str(), 1);
    }
    // The output is checked before the job runs: a folder, or a target that
    // cannot be written, stops it here.
    std::unique_ptr<zip::OutputFile> output;
    try {
        output = std::make_unique<zip::OutputFile>(request.output, "tavpipe");
    } catch (const std::exception& error) {
        return Ended(kExitJobFailed, FailureMessage(outputName, "", error.what()));
    }

    auto log = std::make_shared<FailureLog>();
    std::optional<StandardInputSpool> standardInput;
    std::shared_ptr<Package> package;
    try {
        if (request.input == "-") standardInput.emplace();
        package = Package::Open(standardInput ? standardInput->Path() : request.input, request.limits, log);
    } catch (const PackageError& error) {
        // A PDF or PostScript file is named as what it is.
        if (std::optional<std::string> kind =
                ForeignDocumentKind(standardInput ? standardInput->Path() : request.input)) {
            return Ended(kExitBadInput,
                         FailureMessage(inputName, "", *kind + "; tavpipe reads XPS and OpenXPS packages"));
        }
        return Ended(kExitBadInput, FailureMessage(inputName, error.Part(), error.Reason()));
    } catch (const std::runtime_error& error) {
        return Ended(kExitBadInput, FailureMessage(inputName, "", error.what()));
    }
    package->SetLenientMarkup(LenientMarkup(request));
    std::optional<uint64_t> pageCount = CountPages(*package);
    // A job of no pages at all is bad input, which the walk reports.
    if (pageCount && *pageCount > 0 && selection.CountWithin(*pageCount) == 0) {
        return Ended(kExitUsage, "page-ranges: none of the job's " + std::to_string(*pageCount) +
                                     (*pageCount == 1 ? " page is selected" : " pages is selected"));
    }

    std::string userTicket;
    ComPtr<IPartPrintTicket> jobTicket;
    std::vector<std::string> warnings = UnreadOptionWarnings(ChainNames(chainEntries), request.options);
    try {
        if (!request.deviceFile.empty()) {
            if (std::optional<std::string> fault = DeviceFileFault(request.deviceFile)) {
                throw JobStop{kExitUsage, FailureMessage(request.deviceFile, "", *fault)};
            }
            RegisterDevice(request.printer, request.deviceFile);
        }
        userTicket = request.userTicketFile.empty() ? DeviceDefaultTicket(request.printer)
                                                    : ReadSmallFile(request.userTicketFile, "per-user ticket");
        std::string ticketFile = request.ticketFile.empty() ? "" : ReadSmallFile(request.ticketFile, "ticket");
        std::vector<std::pair<std::string, std::string>> options = TicketOptions(request);
        std::string delta = JobSettingsDelta(options, ticketFile, &warnings);
        std::optional<std::string> packageTicket = PackageJobTicketName(*package);
        std::string base = packageTicket ? ReadPart(*package, *packageTicket) : userTicket;
        try {
            if (!delta.empty()) {
                // The device's default ticket names a medium too, but not one
                // the job chose.
                std::vector<std::string> ownTickets = {delta, packageTicket ? base : "",
                                                       request.userTicketFile.empty() ? "" : userTicket};
                std::string withPageMedium =
                    DeltaWithPageMedium(request.printer, package, ownTickets, options, ticketFile, base);
                if (!withPageMedium.empty()) delta = withPageMedium;
            }
            std::string requested = TicketOptionName(delta, "PageMediaSize") ? delta : packageTicket ? base : "";
            std::string merged;
            if (!delta.empty()) {
                merged = MergeJobTicket(request.printer, base, delta);
                jobTicket = MakeJobTicketPart(*package, merged);
            } else if (!requested.empty()) {
                // Only to learn which medium the device gives the package's
                // own ticket; the filters report a ticket they cannot use.
                try {
                    merged = MergeJobTicket(request.printer, userTicket, requested);
                } catch (const TicketError&) {
                }
            }
            if (auto warning = MediaReplacementWarning(requested, merged)) warnings.push_back(*warning);
        } catch (const BaseTicketError& error) {
            // The package's own job ticket is what cannot be read: the input is at fault.
            if (packageTicket) throw PackageError(*packageTicket, error.what());
            throw;
        }
    } catch (const JobStop& stop) {
        return Ended(stop.status, stop.message);
    } catch (const SettingsError& error) {
        return Ended(kExitUsage, error.what());
    } catch (const TicketError& error) {
        std::string file = !request.ticketFile.empty() ? request.ticketFile : request.deviceFile;
        return Ended(kExitUsage, FailureMessage(file.empty() ? request.printer : file, "", error.what()));
    } catch (const PackageError& error) {
        return Ended(kExitBadInput, FailureMessage(inputName, error.Part(), error.Reason()));
    }

    std::vector<ChainFilter> filters;
    try {
        for (const FilterEntry& entry : chainEntries) {
            std::string path = ResolveModulePath(entry.module);
            if (access(path.c_str(), F_OK) != 0) {
                return Ended(kExitJobFailed,
                             "the " + entry.name + " filter is not installed: there is no module " + path);
            }
            modules.push_back(FilterModule::Load(path));
            filters.push_back({entry.name, modules.back()->CreateFilter(entry.clsid)});
        }
    } catch (const std::exception& error) {
        return Ended(kExitJobFailed, std::string(error.what()));
    }

    ComPtr<IPrintPipelinePropertyBag> bag = MakePropertyBag();
    std::vector<std::pair<std::string, std::string>> properties = {{"PrinterName", request.printer}};
    if (request.jobId) properties.push_back({"PrintJobId", std::to_string(*request.jobId)});
    properties.insert(properties.end(), request.properties.begin(), request.properties.end());
    try {
        AddTextProperties(bag.Get(), properties);
    } catch (const PropertyError& error) {
        return Ended(kExitUsage, error.what());
    }
    std::optional<SpoolerJob> spoolerJob;
    try {
        std::optional<uint64_t> pages;
        if (pageCount) pages = selection.CountWithin(*pageCount);
        spoolerJob.emplace(SpoolerRecordOf(request, bag.Get(), submitted, pages));
    } catch (const std::runtime_error& error) {
        return Ended(kExitJobFailed, error.what());
    }
    AddPrinterHandle(bag.Get(), spoolerJob->PrinterHandle());
    AddObject(bag.Get(), u"PerUserPrintTicket", MakeTicketStreamFactory(userTicket).Get());
    AddObject(bag.Get(), u"PrintClassFactory", MakePrintClassFactory().Get());
    // Pages are counted where they are written: by the package writer, or,
    // when a filter writes the printer stream, by that filter's reports.
    bool streamOutput = chainEntries.back().streamOutput;
    AddObject(bag.Get(), u"ProgressReport", MakeProgressReport(streamOutput ? request.onPage : nullptr).Get());

    ChainEnds ends;
    ends.firstTracker = std::make_shared<PartTracker>();
    ends.firstDrained = std::make_shared<std::atomic<bool>>(false);
    auto walker = std::make_unique<SelectedPagesWalker>(package, jobTicket, selection, request.onPageRead);
    ends.firstQueue = std::make_shared<PartQueue>(FilterChain::kQueueDepth, FilterChain::kQueueBatch);
    ends.firstProvider = ComPtr<IUnknown>::Adopt(
        MakePackageProvider(std::move(walker), log, ends.firstTracker, ends.firstDrained, ends.firstQueue).Detach());
    ends.lastState = std::make_shared<SenderState>();
    ends.names = JobPartNames(*package, jobTicket.Get());
    if (streamOutput) {
        ends.lastWriter =
            ComPtr<IUnknown>::Adopt(MakeFileWriteStream(output->TakeDescriptor(), log, ends.lastState).Detach());
    } else {
        auto writer = std::make_unique<PackageWriter>(output->TakeDescriptor(), OutputFlavour(request.output));
        ends.lastQueue = std::make_shared<PartQueue>(FilterChain::kQueueDepth, FilterChain::kQueueBatch);
        ends.lastWriter = ComPtr<IUnknown>::Adopt(
            MakePackageConsumer(std::move(writer), log, ends.lastState, ends.names, request.onPage, ends.lastQueue)
                .Detach());
    }

    if (pageCount && request.onPageCount) request.onPageCount(selection.CountWithin(*pageCount));
    bool complete;
    {
        FilterChain chain(std::move(filters), log);
        complete = chain.Run(ends, bag.Get());
        std::vector<std::string> filterWarnings = chain.Warnings();
        warnings.insert(warnings.end(), filterWarnings.begin(), filterWarnings.end());
        ends = ChainEnds{};
        bag.Reset();
    }
    for (const std::string& excused : log->Excused()) {
        warnings.push_back(FailureMessage(inputName, "", excused) + "; printed as it stands (lenient)");
    }
    if (std::optional<Failure> failure = log->First()) {
        std::string file = failure->kind == FailureKind::Output ? outputName : inputName;
        return Ended(failure->kind == FailureKind::Package ? kExitBadInput : kExitJobFailed,
                     FailureMessage(file, failure->part, failure->reason), warnings);
    }
    if (!complete) {
        return Ended(kExitJobFailed, FailureMessage(inputName, "", "the job did not complete"), warnings);
    }
    try {
        output->Commit();
    } catch (const std::exception& error) {
        return Ended(kExitJobFailed, FailureMessage(outputName, "", error.what()), warnings);
    }
    return Ended(kExitSuccess, "", warnings);
}

}  // namespace tav::host
