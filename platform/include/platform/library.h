// Modules loaded at run time (the product's shared libraries: filter
// modules, the language library) and the string resources a module carries.
#pragma once

#include <string>

#include "platform/hresult.h"

// Where modules named without a folder are found: TAV_MODULE_DIR when set,
// else the lib folder beside the executable's folder (bin/../lib), which is
// where both the build and an installation put them.
std::string ModuleFolder();
// A name with a '/' is a path and stays as it is; a bare name is found in
// the module folder.
std::string ResolveModulePath(const std::string& module);

// Loads a module with its symbols kept to itself; a bare name is found in
// the module folder. Loading a module again gives the same handle, counted.
// Null on failure, with the last error ERROR_INVALID_PARAMETER (null or
// empty name), ERROR_MOD_NOT_FOUND (no such file) or ERROR_BAD_EXE_FORMAT
// (a file that does not load as a module).
HMODULE LoadLibraryW(LPCWSTR fileName);
// The exported function or object name of a module LoadLibraryW loaded;
// null with the last error ERROR_INVALID_PARAMETER (null name),
// ERROR_INVALID_HANDLE (not a loaded module) or ERROR_PROC_NOT_FOUND.
using FARPROC = void (*)();
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
// The full path of a module LoadLibraryW loaded, or of the module whose base
// address (instance handle) is given, zero-terminated. Returns its length;
// a buffer too small takes size - 1 characters and the terminator, and the
// result is size with the last error ERROR_INSUFFICIENT_BUFFER. 0 with
// ERROR_INVALID_PARAMETER (null buffer or size 0) or ERROR_MOD_NOT_FOUND
// (no module there).
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);
// Releases one load of the module. FALSE with ERROR_INVALID_HANDLE for a
// handle LoadLibraryW did not give or that was freed as often as loaded.
BOOL FreeLibrary(HMODULE module);

// A module's string resources: a table the module exports under the name
// kStringResourcesExport, of entries in any order, each an identifier and a
// zero-terminated text. An empty text counts as no resource.
struct STRING_RESOURCE {
    UINT id;
    const WCHAR* text;
};
struct STRING_RESOURCE_TABLE {
    const STRING_RESOURCE* entries;
    UINT count;
};
inline constexpr const char* kStringResourcesExport = "StringResources";

// Copies the string resource id of a module loaded by LoadLibraryW into
// buffer, cut to bufferMax - 1 characters, and terminates it; returns the
// number of characters copied. With bufferMax 0, buffer receives instead a
// read-only pointer to the resource text (valid while the module is loaded)
// and the text's full length is returned. Returns 0 with the last error
// ERROR_INVALID_PARAMETER (null buffer, negative bufferMax),
// ERROR_INVALID_HANDLE (not a loaded module), ERROR_RESOURCE_DATA_NOT_FOUND
// (the module has no string table) or ERROR_RESOURCE_NAME_NOT_FOUND (no
// such string).
int LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int bufferMax);
