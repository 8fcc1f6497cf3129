// A PrintTicket's settings told in job option names, so that `tavpipe info`
// shows the effect of a run without unzipping the package.
#pragma once

#include <string>
#include <string_view>

// "media=iso_a4_210x297mm sides=two-sided-long-edge number-up=4", followed
// by "+N other settings" for settings no option stands for; "no settings"
// for an empty ticket and "not a readable ticket" for one that cannot be
// parsed.
std::string TicketSettingsInOptionNames(std::string_view ticketXml);
