#include "app/WebLink.h"

#include <windows.h>

#include "system/SystemLibraries.h"

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
// the heaviest library the program would otherwise carry all its life. Once
// loaded it stays; a failed load is tried again on the next click.
ShellExecuteAFunction ShellExecuteAFromSystem()
{
    static ShellExecuteAFunction shellExecute = nullptr;
    if (shellExecute == nullptr)
        shellExecute = ExportedFunction<ShellExecuteAFunction>(LoadSystemLibrary("shell32.dll"), "ShellExecuteA");
    return shellExecute;
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
