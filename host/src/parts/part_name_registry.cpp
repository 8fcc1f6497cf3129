#include "parts/part_name_registry.h"

#include "opc/part_name.h"

namespace tav::host {

bool PartNameRegistry::Claim(const std::string& canonicalName)
{
    std::lock_guard<std::mutex> hold(lock_);
    return keys_.insert(PartNameKey(canonicalName)).second;
}

}  // namespace tav::host
