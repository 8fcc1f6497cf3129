// Job options: `-o NAME=VALUE` settings in the names people use on Linux,
// turned into the job PrintTicket that the filters read.
#pragma once

#include <string>
#include <utility>
#include <vector>

// Turns the options (name, value; a later one replaces an earlier one of the
// same name) into a PrintTicket, UTF-8 XML, merged over baseTicketXml (a
// PrintTicket, or empty for none): each setting an option makes replaces the
// top-level Feature, Property or ParameterInit of the same qualified name in
// the base, the rest of the base is kept. Settings that depend on each other
// are made consistent; *warnings (optional) gets one line for each given
// value that has no effect or that the filters would override. False and
// *error for an unknown option, a value it does not accept (the message names
// the option and lists the accepted values) or a base that is not a usable
// PrintTicket. Options the host applies itself (page-ranges) are skipped.
bool BuildJobTicket(const std::vector<std::pair<std::string, std::string>>& options, const std::string& baseTicketXml,
                    std::string* ticketXml, std::vector<std::string>* warnings, std::string* error);

// Every option with its values, the default marked with '*', one line each:
// "number-up/Pages per sheet: *1 2 4 6 9 16 25".
std::string ListJobOptions();

// One option's description, accepted values and default; empty for an
// unknown name.
std::string DescribeJobOption(const std::string& name);
