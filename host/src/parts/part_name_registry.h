// The part names a job already uses: those of the input package and those
// given out to filters for new parts. Filters name new parts themselves
// (ticket parts, padding pages, sheets, fonts), each module with its own
// counters; the registry is what keeps two of them from giving the output
// package two parts of one name.
#pragma once

#include <mutex>
#include <set>
#include <string>

namespace tav::host {

class PartNameRegistry {
public:
    // Takes a canonical part name for the job; false when the job already
    // has a part of that name (compared as OPC compares names).
    bool Claim(const std::string& canonicalName);

private:
    std::mutex lock_;
    std::set<std::string> keys_;
};

}  // namespace tav::host
