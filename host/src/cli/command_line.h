// tavpipe's command line:
//   tavpipe [options] INPUT OUTPUT
//   tavpipe info INPUT
//   tavpipe preview [options] INPUT FOLDER
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "job/job.h"

namespace tav::host {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Command { Run, Info, Preview, Help, Version };

struct CommandLine {
    Command command = Command::Run;
    JobRequest job;
    bool quiet = false;
};

// Throws UsageError naming what is wrong.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

std::string UsageText();

}  // namespace tav::host
