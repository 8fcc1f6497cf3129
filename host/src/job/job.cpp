#include "job/job.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "chain/filter_chain.h"
#include "chain/filter_module.h"
#include "chain/pipeline_config.h"
#include "content/spill_buffer.h"
#include "host_options.h"
#include "job/device_file.h"
#include "job/device_properties.h"
#include "job/foreign_documents.h"
#include "job/host_services.h"
#include "job/job_ticket.h"
#include "job/option_readers.h"
#include "job/output_end.h"
#include "job/output_format.h"
#include "job/page_count.h"
#include "job/page_selection.h"
#include "job/pipeline_properties.h"
#include "job/print_ui_host.h"
#include "job/selected_pages_walker.h"
#include "job/spooler_job.h"
#include "job/standard_input.h"
#include "job/ticket_provider.h"
#include "job/trace_file.h"
#include "opc/package_error.h"
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

// The --user-ticket file, which the filters start from, and *parsed: one
// they cannot read is a usage error, as a --ticket file is.
std::string ReadUserTicket(const std::string& path, securexml::DocumentPtr* parsed)
{
    std::string ticket = ReadSmallFile(path, "per-user ticket");
    std::string fault;
    *parsed = ParseGivenTicket(ticket, &fault);
    if (!*parsed) throw JobStop{kExitUsage, FailureMessage(path, "", "not a usable per-user ticket: " + fault)};
    return ticket;
}

// The package's own job ticket: the sequence's print ticket relationship
// names it.
std::optional<PackageTicket> PackageJobTicket(Package& package)
{
    for (const Relationship& relationship : package.RelationshipsOf(package.SequenceName())) {
        if (relationship.external || relationship.type != xps::kPrintTicketRelationship) continue;
        std::unique_ptr<ByteReader> reader = package.Content(relationship.target)->Open();
        PackageTicket ticket{relationship.target, {}};
        char block[65536];
        while (size_t got = reader->Read(block, sizeof block)) {
            ticket.bytes.append(block, got);
            if (ticket.bytes.size() > kMaxTicketSize)
                throw PackageError(relationship.target, "the print ticket is too large");
        }
        return ticket;
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

// One job as its stages take it: each stage either ends the job, giving
// its outcome, or leaves what the next one needs. The members are in the
// order they come to life, and go in the reverse order.
class JobRun {
public:
    explicit JobRun(const JobRequest& request);
    JobOutcome Run();

private:
    using Stage = std::optional<JobOutcome> (JobRun::*)();

    std::optional<JobOutcome> ResolveChain();
    std::optional<JobOutcome> ReadHostOptions();
    std::optional<JobOutcome> OpenOutput();
    std::optional<JobOutcome> OpenPackage();
    std::optional<JobOutcome> BuildTicket();
    std::optional<JobOutcome> LoadFilters();
    std::optional<JobOutcome> FillPropertyBag();
    std::optional<JobOutcome> RecordSpoolerJob();
    std::optional<JobOutcome> WireChainEnds();
    std::optional<JobOutcome> RunChain();
    JobOutcome Commit();

    std::string InputPath() const { return standardInput_ ? standardInput_->Path() : request_.input; }
    // The pages that enter the chain, when the package's documents say.
    std::optional<uint64_t> SelectedPages() const;

    // First, so that the modules are unloaded last, after every object that
    // might still hold code of theirs.
    std::vector<std::unique_ptr<FilterModule>> modules_;
    // The spooler's printer-driver directory, where the rip filter finds
    // its converter, set while the filters run.
    std::optional<DriverDirectoryScope> driverDirectory_;
    const JobRequest& request_;
    SYSTEMTIME submitted_{};  // the job's submission time, as the spooler's record gives it
    const std::string inputName_;
    const std::string outputName_;
    std::vector<FilterEntry> chain_;
    OutputFormat format_ = OutputFormat::Xps;
    PageSelection selection_;
    std::unique_ptr<zip::OutputFile> output_;
    std::unique_ptr<OutputEnd> outputEnd_;
    std::shared_ptr<FailureLog> log_ = std::make_shared<FailureLog>();
    std::optional<StandardInputSpool> standardInput_;
    std::shared_ptr<Package> package_;
    std::optional<uint64_t> pageCount_;
    std::string userTicket_;
    ComPtr<IPartPrintTicket> jobTicket_;
    std::vector<std::string> warnings_;
    std::vector<ChainFilter> filters_;
    ComPtr<IPrintPipelinePropertyBag> bag_;
    std::optional<SpoolerJob> spoolerJob_;
    ChainEnds ends_;
    // The print UI requests the filters send, served once the output is kept.
    std::shared_ptr<PrintUIHost> printUI_ = std::make_shared<PrintUIHost>();
};

JobRun::JobRun(const JobRequest& request)
    : request_(request),
      inputName_(DisplayName(request.input, "standard input")),
      outputName_(DisplayName(request.output, "standard output"))
{
    GetSystemTime(&submitted_);
}

JobOutcome JobRun::Run()
{
    static constexpr Stage kStages[] = {
        &JobRun::ResolveChain,  &JobRun::ReadHostOptions, &JobRun::OpenOutput,      &JobRun::OpenPackage,
        &JobRun::BuildTicket,   &JobRun::LoadFilters,     &JobRun::FillPropertyBag, &JobRun::RecordSpoolerJob,
        &JobRun::WireChainEnds, &JobRun::RunChain,
    };
    for (Stage stage : kStages) {
        if (std::optional<JobOutcome> outcome = (this->*stage)()) return std::move(*outcome);
    }
    JobOutcome outcome = Commit();
    // What the user is asked to do next (turn the paper for a manual
    // second pass) comes once the first pass is out.
    if (outcome.status == kExitSuccess) {
        std::vector<std::string> unserved = printUI_->Serve();
        outcome.warnings.insert(outcome.warnings.end(), unserved.begin(), unserved.end());
    }
    return outcome;
}

std::optional<JobOutcome> JobRun::ResolveChain()
{
    try {
        PipelineConfig config =
            request_.configFile.empty() ? PipelineConfig::BuiltIn() : PipelineConfig::Load(request_.configFile);
        ResolvedChain resolved =
            ResolveChainFor(config, request_.filters, NamedOutputFormat(request_.options, request_.output));
        chain_ = std::move(resolved.filters);
        format_ = resolved.format;
    } catch (const ConfigError& error) {
        return Ended(kExitUsage, error.what());
    } catch (const OutputFormatError& error) {
        return Ended(kExitUsage, error.what());
    }
    return std::nullopt;
}

// The options the host applies itself: the page selection and tracing.
std::optional<JobOutcome> JobRun::ReadHostOptions()
{
    try {
        selection_ = PageSelectionOf(request_.options);
    } catch (const std::invalid_argument& error) {
        return Ended(kExitUsage, std::string("page-ranges: ") + error.what());
    }
    // The filters' event tracing looks at TAV_TRACE when a module loads.
    if (!request_.traceFile.empty()) {
        if (std::optional<std::string> why = CannotCreateFile(request_.traceFile)) {
            return Ended(kExitUsage, FailureMessage(request_.traceFile, "", "cannot create the trace file: " + *why));
        }
        setenv("TAV_TRACE", request_.traceFile.c_str(), 1);
    }
    return std::nullopt;
}

// The output is opened before the job runs: a folder, or a target that
// cannot be written, stops it here.
std::optional<JobOutcome> JobRun::OpenOutput()
{
    try {
        output_ = std::make_unique<zip::OutputFile>(request_.output, "tavpipe");
    } catch (const std::exception& error) {
        return Ended(kExitJobFailed, FailureMessage(outputName_, "", error.what()));
    }
    outputEnd_ = MakeOutputEnd(chain_.back(), request_);
    return std::nullopt;
}

std::optional<JobOutcome> JobRun::OpenPackage()
{
    try {
        if (request_.input == "-") standardInput_.emplace();
        package_ = Package::Open(InputPath(), request_.limits, log_);
    } catch (const PackageError& error) {
        // A PDF or PostScript file is named as what it is.
        if (std::optional<std::string> kind = ForeignDocumentKind(InputPath())) {
            return Ended(kExitBadInput,
                         FailureMessage(inputName_, "", *kind + "; tavpipe reads XPS and OpenXPS packages"));
        }
        return Ended(kExitBadInput, FailureMessage(inputName_, error.Part(), error.Reason()));
    } catch (const std::runtime_error& error) {
        return Ended(kExitBadInput, FailureMessage(inputName_, "", error.what()));
    }
    package_->SetLenientMarkup(LenientMarkup(request_));
    pageCount_ = CountPages(*package_);
    // A job of no pages at all is bad input, which the walk reports.
    if (pageCount_ && *pageCount_ > 0 && selection_.CountWithin(*pageCount_) == 0) {
        return Ended(kExitUsage, "page-ranges: none of the job's " + std::to_string(*pageCount_) +
                                     (*pageCount_ == 1 ? " page is selected" : " pages is selected"));
    }
    return std::nullopt;
}

// The per-user ticket the filters start from, and the job ticket: the
// user's settings merged over the package's own (job/job_ticket.h).
std::optional<JobOutcome> JobRun::BuildTicket()
{
    warnings_ = UnreadOptionWarnings(ChainNames(chain_), request_.options);
    try {
        if (!request_.deviceFile.empty()) {
            if (std::optional<std::string> fault = DeviceFileFault(request_.deviceFile))
                throw JobStop{kExitUsage, FailureMessage(request_.deviceFile, "", *fault)};
            RegisterDevice(request_.printer, request_.deviceFile);
        }
        securexml::DocumentPtr userDocument;  // of a ticket the user gave
        userTicket_ = request_.userTicketFile.empty() ? DeviceDefaultTicket(request_.printer)
                                                      : ReadUserTicket(request_.userTicketFile, &userDocument);
        JobTicket ticket(request_.printer, TicketOptions(request_),
                         request_.ticketFile.empty() ? "" : ReadSmallFile(request_.ticketFile, "ticket"), &warnings_);
        ticket.SetBase(userTicket_, std::move(userDocument), PackageJobTicket(*package_));
        if (ticket.WantsFirstPage()) {
            if (std::optional<FirstPage> page = FirstPageOf(package_)) ticket.AddFirstPage(*page);
        }
        if (std::string merged = ticket.Merge(&warnings_); !merged.empty())
            jobTicket_ = MakeJobTicketPart(*package_, std::move(merged));
    } catch (const JobStop& stop) {
        return Ended(stop.status, stop.message);
    } catch (const SettingsError& error) {
        return Ended(kExitUsage, error.what());
    } catch (const TicketError& error) {
        std::string file = !request_.ticketFile.empty() ? request_.ticketFile : request_.deviceFile;
        return Ended(kExitUsage, FailureMessage(file.empty() ? request_.printer : file, "", error.what()));
    } catch (const PackageError& error) {
        return Ended(kExitBadInput, FailureMessage(inputName_, error.Part(), error.Reason()));
    }
    return std::nullopt;
}

std::optional<JobOutcome> JobRun::LoadFilters()
{
    std::string converters = ConverterFolderName(format_);
    driverDirectory_.emplace(request_.driverDirectory.empty() && !converters.empty()
                                 ? ModuleFolder() + "/converters/" + converters
                                 : request_.driverDirectory);
    try {
        for (const FilterEntry& entry : chain_) {
            std::string path = ResolveModulePath(entry.module);
            if (access(path.c_str(), F_OK) != 0) {
                return Ended(kExitJobFailed,
                             "the " + entry.name + " filter is not installed: there is no module " + path);
            }
            modules_.push_back(FilterModule::Load(path));
            filters_.push_back({entry.name, modules_.back()->CreateFilter(entry.clsid)});
        }
    } catch (const std::exception& error) {
        return Ended(kExitJobFailed, std::string(error.what()));
    }
    return std::nullopt;
}

// The values the filters read from the property bag (host/README.md).
std::optional<JobOutcome> JobRun::FillPropertyBag()
{
    bag_ = MakePropertyBag();
    std::vector<std::pair<std::string, std::string>> properties = {{"PrinterName", request_.printer}};
    if (request_.jobId) properties.push_back({"PrintJobId", std::to_string(*request_.jobId)});
    try {
        // What the device description says of its output; --set-property wins.
        std::vector<std::pair<std::string, std::string>> device = DevicePipelineProperties(request_.printer);
        properties.insert(properties.end(), device.begin(), device.end());
        // The rendering converter takes its language from the encoder's name.
        if (std::string encoder = EncoderLibraryName(format_); !encoder.empty())
            properties.push_back({"EncDllName64", encoder});
        properties.insert(properties.end(), request_.properties.begin(), request_.properties.end());
        AddTextProperties(bag_.Get(), properties);
    } catch (const PropertyError& error) {
        return Ended(kExitUsage, error.what());
    }
    AddObject(bag_.Get(), u"PerUserPrintTicket", MakeTicketStreamFactory(userTicket_).Get());
    AddObject(bag_.Get(), u"PrintClassFactory", MakePrintClassFactory(printUI_).Get());
    AddObject(bag_.Get(), u"ProgressReport", MakeProgressReport(outputEnd_->ReportedPages()).Get());
    return std::nullopt;
}

// The spooler's record of the job, under the number the property bag gives
// the filters, so that they find it whatever set it, and the printer
// handle they ask it with.
std::optional<JobOutcome> JobRun::RecordSpoolerJob()
{
    SpoolerJobRecord record;
    record.printer = request_.printer;
    VARIANT jobId;
    VariantInit(&jobId);
    if (SUCCEEDED(bag_->GetProperty(u"PrintJobId", &jobId)) && jobId.vt == VT_UI4) record.jobId = jobId.ulVal;
    VariantClear(&jobId);
    record.owner = JobOwnerName(request_.user);
    record.document = JobDocumentName(request_.title, request_.input);
    record.deviceFile = request_.deviceFile;
    record.submitted = submitted_;
    std::optional<uint64_t> pages = SelectedPages();
    if (pages && *pages <= UINT32_MAX) record.totalPages = static_cast<uint32_t>(*pages);
    try {
        spoolerJob_.emplace(record);
    } catch (const std::runtime_error& error) {
        return Ended(kExitJobFailed, error.what());
    }
    AddPrinterHandle(bag_.Get(), spoolerJob_->PrinterHandle());
    return std::nullopt;
}

// The first filter reads the package (its selected pages) ahead on a
// thread of its own; the last one writes into the output end.
std::optional<JobOutcome> JobRun::WireChainEnds()
{
    ends_.firstTracker = std::make_shared<PartTracker>();
    ends_.firstDrained = std::make_shared<std::atomic<bool>>(false);
    auto walker = std::make_unique<SelectedPagesWalker>(package_, jobTicket_, selection_, request_.onPageRead);
    ends_.firstQueue = std::make_shared<PartQueue>(FilterChain::kQueueDepth, FilterChain::kQueueBatch);
    ends_.firstProvider = ComPtr<IUnknown>::Adopt(
        MakePackageProvider(std::move(walker), log_, ends_.firstTracker, ends_.firstDrained, ends_.firstQueue)
            .Detach());
    ends_.lastState = std::make_shared<SenderState>();
    ends_.names = JobPartNames(*package_, jobTicket_.Get());
    outputEnd_->Wire(ends_, output_->TakeDescriptor(), log_);
    return std::nullopt;
}

std::optional<JobOutcome> JobRun::RunChain()
{
    if (std::optional<uint64_t> pages = SelectedPages(); pages && request_.onPageCount) request_.onPageCount(*pages);
    bool complete;
    {
        FilterChain chain(std::move(filters_), log_);
        complete = chain.Run(ends_, bag_.Get());
        std::vector<std::string> filterWarnings = chain.Warnings();
        warnings_.insert(warnings_.end(), filterWarnings.begin(), filterWarnings.end());
        ends_ = ChainEnds{};
        bag_.Reset();
    }
    for (const std::string& excused : log_->Excused()) {
        warnings_.push_back(FailureMessage(inputName_, "", excused) + "; printed as it stands (lenient)");
    }
    if (std::optional<Failure> failure = log_->First()) {
        std::string file = failure->kind == FailureKind::Output ? outputName_ : inputName_;
        return Ended(failure->kind == FailureKind::Package ? kExitBadInput : kExitJobFailed,
                     FailureMessage(file, failure->part, failure->reason), warnings_);
    }
    if (!complete) return Ended(kExitJobFailed, FailureMessage(inputName_, "", "the job did not complete"), warnings_);
    return std::nullopt;
}

// The output is kept only now that everything succeeded.
JobOutcome JobRun::Commit()
{
    try {
        output_->Commit();
    } catch (const std::exception& error) {
        return Ended(kExitJobFailed, FailureMessage(outputName_, "", error.what()), warnings_);
    }
    return Ended(kExitSuccess, "", warnings_);
}

std::optional<uint64_t> JobRun::SelectedPages() const
{
    if (!pageCount_) return std::nullopt;
    return selection_.CountWithin(*pageCount_);
}

}  // namespace

std::string FailureMessage(const std::string& file, const std::string& part, const std::string& reason)
{
    return part.empty() ? file + ": " + reason : file + ": " + part + ": " + reason;
}

JobOutcome RunJob(const JobRequest& request) { return JobRun(request).Run(); }

}  // namespace tav::host
