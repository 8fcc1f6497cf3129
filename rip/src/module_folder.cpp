#include "module_folder.h"

#include "filtercore/module.h"
#include "platform/library.h"

std::u16string OwnModuleFolder()
{
    static const int anchor = 0;
    WCHAR path[4096];
    DWORD length = GetModuleFileNameW(tav::filtercore::ModuleInstanceOf(&anchor), path, 4096);
    if (length == 0 || length >= 4096) return u"";
    std::u16string folder(path, length);
    size_t end = folder.find_last_of(u"/:");
    return end == std::u16string::npos ? u"" : folder.substr(0, end + 1);
}
