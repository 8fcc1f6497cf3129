#include "platform/library.h"

#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/base.h"
#include "platform/wformat.h"

namespace {

// The handles LoadLibraryW gave, with how often each is loaded: only these
// are looked into or closed, so a stray handle fails instead of crashing.
std::mutex modulesLock;
std::map<void*, unsigned> loadedModules;

bool IsLoaded(HMODULE module)
{
    std::lock_guard<std::mutex> lock(modulesLock);
    return loadedModules.count(module) != 0;
}

// A string table is at most this long; a longer count is not a table.
constexpr UINT kMaxStringResources = 65536;

}  // namespace

std::string ModuleFolder()
{
    const char* folder = std::getenv("TAV_MODULE_DIR");
    if (folder != nullptr && *folder != '\0') return folder;
    char self[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return ".";
    std::string executable(self, static_cast<size_t>(length));
    std::string bin = executable.substr(0, executable.rfind('/'));
    return bin + "/../lib";
}

std::string ResolveModulePath(const std::string& module)
{
    if (module.find('/') != std::string::npos) return module;
    return ModuleFolder() + "/" + module;
}

HMODULE LoadLibraryW(LPCWSTR fileName)
{
    if (fileName == nullptr || *fileName == u'\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string path = ResolveModulePath(WideToUtf8(fileName));
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        SetLastError(access(path.c_str(), F_OK) == 0 ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(modulesLock);
    ++loadedModules[handle];
    return handle;
}

BOOL FreeLibrary(HMODULE module)
{
    {
        std::lock_guard<std::mutex> lock(modulesLock);
        auto loaded = loadedModules.find(module);
        if (loaded == loadedModules.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (--loaded->second == 0) loadedModules.erase(loaded);
    }
    dlclose(module);
    return TRUE;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name)
{
    if (name == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!IsLoaded(module)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    void* found = dlsym(module, name);
    if (found == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(found);
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size)
{
    if (buffer == nullptr || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string path;
    link_map* map = nullptr;
    Dl_info info{};
    if (IsLoaded(module) && dlinfo(module, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr) {
        path = map->l_name;
    } else if (module != nullptr && dladdr(module, &info) != 0 && info.dli_fbase == module &&
               info.dli_fname != nullptr) {
        path = info.dli_fname;
    }
    if (path.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    std::u16string wide = Utf8ToWide(path);
    if (wide.size() >= size) {
        std::copy_n(wide.begin(), size - 1, buffer);
        buffer[size - 1] = u'\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::copy(wide.begin(), wide.end(), buffer);
    buffer[wide.size()] = u'\0';
    return static_cast<DWORD>(wide.size());
}

int LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int bufferMax)
{
    if (buffer == nullptr || bufferMax < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!IsLoaded(module)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    auto* table = static_cast<const STRING_RESOURCE_TABLE*>(dlsym(module, kStringResourcesExport));
    if (table == nullptr || table->entries == nullptr || table->count > kMaxStringResources) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return 0;
    }
    const WCHAR* text = nullptr;
    for (UINT index = 0; index < table->count && text == nullptr; ++index) {
        if (table->entries[index].id == id) text = table->entries[index].text;
    }
    size_t length = WideLength(text);
    if (length == 0) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    if (bufferMax == 0) {
        *reinterpret_cast<const WCHAR**>(buffer) = text;
        return static_cast<int>(length);
    }
    size_t copied = length < static_cast<size_t>(bufferMax) ? length : static_cast<size_t>(bufferMax) - 1;
    for (size_t index = 0; index < copied; ++index) buffer[index] = text[index];
    buffer[copied] = u'\0';
    return static_cast<int>(copied);
}
