// The pipeline configuration: which filters exist (by name, with their
// module and class identifier) and which chain runs when none is asked for.
//
// File format (one section per filter; '#' starts a comment):
//
//   [pipeline]
//   chain = prep,order,layout,finisher
//
//   [prep]
//   module = libtavprep.so          # a bare name is looked up in the module folder
//   clsid = {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
//   output = xps                    # or "stream" for a filter that writes the printer stream
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/guid.h"

namespace tav::host {

class ConfigError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct FilterEntry {
    std::string name;
    std::string module;
    CLSID clsid = GUID_NULL;
    bool streamOutput = false;
};

struct PipelineConfig {
    std::vector<FilterEntry> filters;
    std::vector<std::string> defaultChain;

    // The built-in configuration: prep, order, layout and finisher as the
    // default chain, and rip (which ends a chain with the printer stream).
    static PipelineConfig BuiltIn();
    // Throws ConfigError naming the file and line.
    static PipelineConfig Parse(const std::string& text, const std::string& fileName);
    static PipelineConfig Load(const std::string& fileName);

    // The filters of a chain, in order; the default chain when names is
    // empty. Throws ConfigError for an unknown name, a repeated one, or a
    // stream-writing filter that is not last.
    std::vector<FilterEntry> Chain(const std::vector<std::string>& names) const;
};

// "a,b,c" -> {"a","b","c"}; empty items are dropped.
std::vector<std::string> SplitList(const std::string& text);

}  // namespace tav::host
