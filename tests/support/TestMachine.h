// The machine a Windows-side test program runs on (the private Wine prefix),
// as the e2e, acceptance, system, contract and bench programs seed and
// inspect it: the Windows directory, files and folders, keys in either
// registry view, child processes.
//
// Nothing here fails a test by itself: each helper answers what it did, and
// the caller asserts on it. So the tools that are not tests (the headless
// driver, the bench) can use it too.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system/Handles.h"

namespace scourwell::support {

// ---- The system ------------------------------------------------------------

std::string WindowsDirectory();  // empty when it cannot be read
std::string SystemDrive();       // its first two characters, as Scourwell takes them
// The logon name upper-cased, as Scourwell composes profile paths with it.
std::string UpperCaseUserName();
bool UnderWine();
bool RunningUnderWow64();
// The real 64-bit system folder, as a 32-bit process under WoW64 names it.
std::string NativeSystemFolder();
// Lower-cased with the locale's case mapping, for comparing paths.
std::string Lower(std::string text);

// ---- Files and folders -----------------------------------------------------

bool Exists(const std::string& path);  // a file or a folder
DWORD Attributes(const std::string& path);  // INVALID_FILE_ATTRIBUTES when missing
// The folder and every missing folder above it. True when it is there.
bool MakeFolders(const std::string& path);
// The file with `content` and `attributes`, made anew, with its folders.
bool WriteFile(const std::string& path, std::string_view content, DWORD attributes = FILE_ATTRIBUTE_NORMAL);
bool CopyFileAs(const std::string& from, const std::string& to, DWORD attributes = FILE_ATTRIBUTE_NORMAL);
UniqueFileHandle OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition);
std::string ReadFile(const std::string& path);  // empty when it cannot be read
// Removes a file, or a folder with all in it, read-only, hidden and system
// entries included; a folder link is removed as a link, never followed.
// True when nothing is left at `path` (also when nothing was there).
bool RemoveTree(const std::string& path);

// A fresh folder, removed with its content when the object goes.
class ScratchFolder {
public:
    explicit ScratchFolder(std::string path);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool made() const { return made_; }
    // The folder's path joined with `relative` ("" for the folder itself).
    std::string operator/(const std::string& relative) const;

private:
    std::string path_;
    bool made_ = false;
};

// ---- The registry ----------------------------------------------------------

// A fresh Wine prefix has this key under HKEY_LOCAL_MACHINE and Windows NT has
// not; without it a run shows "Error opening parent key".
inline constexpr char kRunServicesKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";

// A registry view: 0 for the process's own, KEY_WOW64_64KEY for the 64-bit one.
using View = REGSAM;

// A value: its type and its bytes as stored.
struct RegistryValue {
    DWORD type = REG_NONE;
    std::string data;

    static RegistryValue Text(const std::string& text);  // REG_SZ
    static RegistryValue Number(DWORD number);           // REG_DWORD
    bool operator==(const RegistryValue&) const = default;
};

bool KeyExists(HKEY root, const std::string& path, View view = 0);
bool CreateKey(HKEY root, const std::string& path, View view = 0);  // with the keys above it
// Sets the value, making the key if needed; "" names the key's default value.
bool SetValue(HKEY root, const std::string& path, const std::string& name, const RegistryValue& value,
              View view = 0);
std::optional<RegistryValue> ReadValue(HKEY root, const std::string& path, const std::string& name, View view = 0);
bool ValueExists(HKEY root, const std::string& path, const std::string& name, View view = 0);
bool DeleteValue(HKEY root, const std::string& path, const std::string& name, View view = 0);
std::vector<std::string> ValueNames(HKEY root, const std::string& path, View view = 0);
// The key with every key below it. True when it is gone (also when it was
// never there).
bool DeleteKeyTree(HKEY root, const std::string& path, View view = 0);

// ---- Processes -------------------------------------------------------------

struct StartedProcess {
    UniqueHandle process;
    DWORD id = 0;
};

// Starts a command line with the given ShowWindow style and creation flags.
// Nothing is held when it cannot be started.
StartedProcess Start(const std::string& commandLine, WORD show = SW_HIDE, DWORD flags = 0);

// Runs a command line hidden and answers its exit code; nothing when it
// cannot be started, or has not ended after `timeoutMs` (it is ended then).
std::optional<DWORD> Run(const std::string& commandLine, DWORD timeoutMs = 30000);

}  // namespace scourwell::support
