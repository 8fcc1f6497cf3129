#include "chain/pipeline_config.h"

#include <fstream>
#include <sstream>

#include "filtercore/filter_classes.h"

namespace tav::host {
namespace {

std::string Trim(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::vector<std::string> SplitList(const std::string& text)
{
    std::vector<std::string> items;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ',')) {
        item = Trim(item);
        if (!item.empty()) items.push_back(item);
    }
    return items;
}

PipelineConfig PipelineConfig::BuiltIn()
{
    PipelineConfig config;
    config.filters = {
        {"prep", "libtavprep.so", CLSID_PreparationFilter, false},
        {"order", "libtavord.so", CLSID_OrderFilter, false},
        {"layout", "libtavlay.so", CLSID_LayoutFilter, false},
        {"finisher", "libtavfin.so", CLSID_FinisherFilter, false},
        {"rip", "libtavrip.so", CLSID_RipFilter, true},
    };
    config.defaultChain = {"prep", "order", "layout", "finisher"};
    return config;
}

PipelineConfig PipelineConfig::Parse(const std::string& text, const std::string& fileName)
{
    PipelineConfig config;
    std::stringstream stream(text);
    std::string line;
    int number = 0;
    FilterEntry* current = nullptr;
    bool inPipeline = false;
    auto fail = [&](const std::string& reason) {
        throw ConfigError(fileName + ":" + std::to_string(number) + ": " + reason);
    };
    while (std::getline(stream, line)) {
        ++number;
        line = Trim(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        if (line.front() == '[') {
            if (line.back() != ']') fail("a section name must end with ']'");
            std::string name = Trim(line.substr(1, line.size() - 2));
            if (name.empty()) fail("empty section name");
            inPipeline = name == "pipeline";
            current = nullptr;
            if (!inPipeline) {
                for (const FilterEntry& entry : config.filters) {
                    if (entry.name == name) fail("filter " + name + " is configured twice");
                }
                config.filters.push_back({name, "", GUID_NULL, false});
                current = &config.filters.back();
            }
            continue;
        }
        size_t equals = line.find('=');
        if (equals == std::string::npos) fail("expected NAME = VALUE");
        std::string key = Trim(line.substr(0, equals));
        std::string value = Trim(line.substr(equals + 1));
        if (inPipeline) {
            if (key != "chain") fail("unknown pipeline setting \"" + key + "\"");
            config.defaultChain = SplitList(value);
        } else if (current == nullptr) {
            fail("a setting outside any section");
        } else if (key == "module") {
            current->module = value;
        } else if (key == "clsid") {
            if (!GuidFromString(value.c_str(), &current->clsid)) fail("\"" + value + "\" is no class identifier");
        } else if (key == "output") {
            if (value != "xps" && value != "stream") fail("output must be xps or stream");
            current->streamOutput = value == "stream";
        } else {
            fail("unknown filter setting \"" + key + "\"");
        }
    }
    for (const FilterEntry& entry : config.filters) {
        if (entry.module.empty()) throw ConfigError(fileName + ": filter " + entry.name + " has no module");
        if (entry.clsid == GUID_NULL) throw ConfigError(fileName + ": filter " + entry.name + " has no clsid");
    }
    return config;
}

PipelineConfig PipelineConfig::Load(const std::string& fileName)
{
    std::ifstream file(fileName);
    if (!file) throw ConfigError(fileName + ": cannot read the pipeline configuration");
    std::stringstream text;
    text << file.rdbuf();
    return Parse(text.str(), fileName);
}

std::vector<FilterEntry> PipelineConfig::Chain(const std::vector<std::string>& names) const
{
    const std::vector<std::string>& wanted = names.empty() ? defaultChain : names;
    if (wanted.empty()) throw ConfigError("the chain names no filter");
    std::vector<FilterEntry> chain;
    for (const std::string& name : wanted) {
        const FilterEntry* found = nullptr;
        for (const FilterEntry& entry : filters) {
            if (entry.name == name) found = &entry;
        }
        if (found == nullptr) {
            std::string known;
            for (const FilterEntry& entry : filters) known += (known.empty() ? "" : ", ") + entry.name;
            throw ConfigError("unknown filter \"" + name + "\" (configured: " + known + ")");
        }
        for (const FilterEntry& entry : chain) {
            if (entry.name == name) throw ConfigError("filter \"" + name + "\" appears twice in the chain");
        }
        if (!chain.empty() && chain.back().streamOutput) {
            throw ConfigError("filter \"" + chain.back().name + "\" writes the printer stream and must come last");
        }
        chain.push_back(*found);
    }
    return chain;
}

}  // namespace tav::host
