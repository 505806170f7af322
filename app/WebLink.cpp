#include "app/WebLink.h"

#include <windows.h>

namespace scourwell {
namespace {

// The folder that holds the running executable, without a trailing backslash.
// Empty when the module name cannot be read.
std::string ExecutableFolder()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    const std::string_view full(path, length);
    const std::size_t slash = full.find_last_of('\\');
    return slash == std::string_view::npos ? std::string() : std::string(full.substr(0, slash));
}

using ShellExecuteAFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);

// The shell is loaded when the page is first opened, not at start-up: it is
// the heaviest library the program would otherwise carry all its life. It is
// loaded by its full path in the system folder, never from the program's own.
ShellExecuteAFunction ShellExecuteAFromSystem()
{
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    const std::string path = std::string(folder, length) + "\\shell32.dll";
    const HMODULE shell = LoadLibraryA(path.c_str());
    if (shell == nullptr)
        return nullptr;
    return reinterpret_cast<ShellExecuteAFunction>(
        reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteA")));
}

}  // namespace

void OpenWebLink(const std::string& url, SystemServices& services)
{
    if (url.empty())
        return;

    // Stays 0 when the folder or the shell cannot be found, which shows the warning.
    INT_PTR result = 0;
    const std::string folder = ExecutableFolder();
    const ShellExecuteAFunction shellExecute = ShellExecuteAFromSystem();
    if (!folder.empty() && shellExecute != nullptr) {
        result = reinterpret_cast<INT_PTR>(
            shellExecute(nullptr, "open", url.c_str(), "", folder.c_str(), SW_SHOWNORMAL));
    }
    if (result >= 0 && result <= 32) {
        services.ShowMessage(std::string(kJumpErrorPrefix) + url, MessageStyle::okExclamation,
                             std::string(kJumpErrorTitle));
    }
}

}  // namespace scourwell
