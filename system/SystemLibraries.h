// The system folder's libraries and programs, reached by their full path.
//
// A library or program named bare is looked for in the program's own folder
// first, a program then in the current folder too, and a library there when
// the system folders lack it. Scourwell is usually started from a download
// folder, where anything else downloaded lands too, so nothing of the
// system's is left to that search.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace scourwell {

// The system folder, without a trailing backslash. Empty when it cannot be read.
std::string SystemFolder();

// `fileName` (such as "comctl32.dll") loaded from the system folder by its
// full path. Null when it cannot be loaded. The library stays loaded for the
// program's life.
HMODULE LoadSystemLibrary(std::string_view fileName);

// A function found by name, as a pointer of its own type.
template <typename Function>
Function FunctionAs(FARPROC found)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

// The function `name` of `module`. Null when `module` is null or does not
// export `name`.
template <typename Function>
Function ExportedFunction(HMODULE module, const char* name)
{
    return module == nullptr ? nullptr : FunctionAs<Function>(GetProcAddress(module, name));
}

// How far RestrictLibrarySearch got.
enum class LibrarySearch {
    systemFolderOnly,      // SetDefaultDllDirectories: Windows 8, and 7 with its update
    withoutCurrentFolder,  // SetDllDirectoryA(""): the program's folder is still searched
    unchanged,
};

// Finds one of kernel32's functions by name; tests pass their own.
using KernelLookup = FARPROC (*)(const char* name);
FARPROC KernelFunction(const char* name);

// Restricts where the libraries loaded by name from now on are looked for:
// to the system folder where kernel32 offers SetDefaultDllDirectories,
// otherwise at least not in the current folder. Both are looked up at run
// time, as Windows XP has only the second.
LibrarySearch RestrictLibrarySearch(KernelLookup lookup = KernelFunction);

}  // namespace scourwell
