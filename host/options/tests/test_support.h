// Helpers shared by the option tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "job_options.h"

using Options = std::vector<std::pair<std::string, std::string>>;

// The ticket the options make over the base; fails the test when they are
// refused.
inline std::string TicketFor(const Options& options, const std::string& base = "",
                             std::vector<std::string>* warnings = nullptr)
{
    std::string ticket;
    std::string error;
    EXPECT_TRUE(BuildJobTicket(options, base, &ticket, warnings, &error)) << error;
    return ticket;
}

// The message for options that are refused; fails the test when they are not.
inline std::string RefusalOf(const Options& options, const std::string& base = "")
{
    std::string ticket;
    std::string error;
    EXPECT_FALSE(BuildJobTicket(options, base, &ticket, nullptr, &error));
    return error;
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
