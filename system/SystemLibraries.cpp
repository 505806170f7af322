#include "system/SystemLibraries.h"

#include <array>

namespace scourwell {

std::string SystemFolder()
{
    std::array<char, MAX_PATH> folder{};
    const UINT length = GetSystemDirectoryA(folder.data(), folder.size());
    if (length == 0 || length >= folder.size())
        return {};
    return std::string(folder.data(), length);
}

HMODULE LoadSystemLibrary(std::string_view fileName)
{
    const std::string folder = SystemFolder();
    if (folder.empty())
        return nullptr;
    const std::string path = folder + "\\" + std::string(fileName);
    return LoadLibraryA(path.c_str());
}

FARPROC KernelFunction(const char* name)
{
    return GetProcAddress(GetModuleHandleA("kernel32.dll"), name);
}

LibrarySearch RestrictLibrarySearch(KernelLookup lookup)
{
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    using SetDllDirectoryAFunction = BOOL(WINAPI*)(LPCSTR);
    constexpr DWORD kSystemFolderOnly = 0x800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

    const auto setDefaultDllDirectories =
        FunctionAs<SetDefaultDllDirectoriesFunction>(lookup("SetDefaultDllDirectories"));
    if (setDefaultDllDirectories != nullptr && setDefaultDllDirectories(kSystemFolderOnly))
        return LibrarySearch::systemFolderOnly;
    // "" takes the current folder out of the search; a null pointer would
    // put the default order back.
    const auto setDllDirectory = FunctionAs<SetDllDirectoryAFunction>(lookup("SetDllDirectoryA"));
    if (setDllDirectory != nullptr && setDllDirectory(""))
        return LibrarySearch::withoutCurrentFolder;
    return LibrarySearch::unchanged;
}

}  // namespace scourwell
