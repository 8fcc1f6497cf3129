#include "module_folder.h"

#include <limits.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace tav::cups {

void UseInstalledModuleFolder()
{
    const char* given = std::getenv("TAV_MODULE_DIR");
    if (given != nullptr && *given != '\0') return;
    char self[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return;
    std::string executable(self, static_cast<size_t>(length));
    std::string folder = executable.substr(0, executable.rfind('/')) + "/../../tav";
    if (access((folder + "/libtavprep.so").c_str(), R_OK) == 0) setenv("TAV_MODULE_DIR", folder.c_str(), 1);
}

}  // namespace tav::cups
