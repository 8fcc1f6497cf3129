// Dependent options made consistent the way a driver's settings dialog does
// it, and warnings for given values that have no effect or that the filters
// would override.
#pragma once

#include <string>
#include <vector>

#include "job_request.h"

namespace tav::options {

// False and *error when given options exclude each other (a booklet with
// another number-up than 2 among them).
bool ApplyOptionRules(JobRequest* request, std::vector<std::string>* warnings, std::string* error);

}  // namespace tav::options
