#include "job/output_format.h"

#include <algorithm>

namespace tav::host {
namespace {

struct FormatName {
    const char* option;     // the output-format value
    const char* extension;  // OUTPUT's extension that names it
    OutputFormat format;
};

constexpr FormatName kFormats[] = {
    {"xps", nullptr, OutputFormat::Xps},      {"pdf", ".pdf", OutputFormat::Pdf},
    {"pwg", ".pwg", OutputFormat::PwgRaster}, {"trace", ".prn", OutputFormat::Trace},
    {"trace", ".trace", OutputFormat::Trace},
};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

const char* OptionName(OutputFormat format)
{
    for (const FormatName& name : kFormats) {
        if (name.format == format) return name.option;
    }
    return "";
}

bool IsPrinterLanguage(OutputFormat format) { return format != OutputFormat::Xps; }

}  // namespace

std::optional<OutputFormat> NamedOutputFormat(const std::vector<std::pair<std::string, std::string>>& options,
                                              const std::string& output)
{
    std::optional<std::string> given;
    for (const auto& [name, value] : options) {
        if (Lower(name) == "output-format") given = Lower(value);
    }
    if (given) {
        for (const FormatName& name : kFormats) {
            if (*given == name.option) return name.format;
        }
        throw OutputFormatError("output-format: \"" + *given + "\" is not one of xps, pdf, pwg, trace");
    }
    std::string lowerOutput = Lower(output);
    for (const FormatName& name : kFormats) {
        if (name.extension != nullptr && EndsWith(lowerOutput, name.extension)) return name.format;
    }
    return std::nullopt;
}

ResolvedChain ResolveChainFor(const PipelineConfig& config, const std::vector<std::string>& names,
                              std::optional<OutputFormat> named)
{
    ResolvedChain resolved;
    resolved.filters = config.Chain(names);
    bool writesStream = resolved.filters.back().streamOutput;
    if (named && IsPrinterLanguage(*named) && !writesStream && names.empty()) {
        auto stream = std::find_if(config.filters.begin(), config.filters.end(),
                                   [](const FilterEntry& entry) { return entry.streamOutput; });
        if (stream == config.filters.end()) {
            throw OutputFormatError(std::string("output-format=") + OptionName(*named) +
                                    ": the configuration has no filter that writes a printer stream");
        }
        std::vector<std::string> extended = config.defaultChain;
        extended.push_back(stream->name);
        resolved.filters = config.Chain(extended);
        writesStream = true;
    }
    if (named && IsPrinterLanguage(*named) != writesStream) {
        const std::string& last = resolved.filters.back().name;
        throw OutputFormatError(std::string("output-format=") + OptionName(*named) + ": the chain ends with " + last +
                                (writesStream ? ", which writes a printer stream, not an XPS package"
                                              : ", which writes an XPS package; end it with rip"));
    }
    resolved.format = named ? *named : writesStream ? OutputFormat::Trace : OutputFormat::Xps;
    return resolved;
}

std::string ConverterFolderName(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Pdf:
    case OutputFormat::PwgRaster: return "render";
    case OutputFormat::Trace: return "trace";
    case OutputFormat::Xps: break;
    }
    return "";
}

std::string EncoderLibraryName(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Pdf: return "tavenc-pdf.so";
    case OutputFormat::PwgRaster: return "tavenc-pwg.so";
    case OutputFormat::Trace:
    case OutputFormat::Xps: break;
    }
    return "";
}

}  // namespace tav::host
