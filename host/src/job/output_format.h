// What a job writes: an XPS package, or a printer stream in one of the
// languages the converters speak. The choice comes from the output-format
// option, else from OUTPUT's extension; a printer language needs a chain
// that ends with a filter writing a printer stream (rip), which the
// default chain gains when none is given.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "chain/pipeline_config.h"

namespace tav::host {

enum class OutputFormat { Xps, Pdf, PwgRaster, Trace };

// A usage error: an unknown output-format, or one the chain cannot write.
class OutputFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The format the last output-format option names, else the one OUTPUT's
// extension names (.pdf, .pwg, .prn or .trace), else none. Throws OutputFormatError
// for a value that names no format.
std::optional<OutputFormat> NamedOutputFormat(const std::vector<std::pair<std::string, std::string>>& options,
                                              const std::string& output);

// The chain a job runs and the format it writes. The given names, or with
// none the configuration's default chain, followed by its first printer
// stream filter when a printer language is named and the default chain
// does not end in one. A chain ending with a printer stream filter writes
// the recording format when no format is named. Throws OutputFormatError
// when the named format and the chain's last filter disagree, ConfigError
// as PipelineConfig::Chain does.
struct ResolvedChain {
    std::vector<FilterEntry> filters;
    OutputFormat format = OutputFormat::Xps;
};
ResolvedChain ResolveChainFor(const PipelineConfig& config, const std::vector<std::string>& names,
                              std::optional<OutputFormat> named);

// The converter folder under the module folder's "converters" that writes
// the format (render or trace), and the encoder library name that tells the
// rendering converter its language; empty where there is none.
std::string ConverterFolderName(OutputFormat format);
std::string EncoderLibraryName(OutputFormat format);

}  // namespace tav::host
