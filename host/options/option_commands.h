// The subcommands of tavpipe that show job options:
//   tavpipe ticket [-o NAME=VALUE]... [--ticket FILE]   prints the job ticket
//   tavpipe options [NAME]...                          lists the options
// Each takes the arguments after its name and returns the exit status: 0, or
// 2 for a usage error (reported on err).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

int RunTicketCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
int RunOptionsCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
