#include "tests/support/TestMachine.h"

#include <array>
#include <utility>

namespace scourwell::support {
namespace {

std::string ParentOf(const std::string& path) { return path.substr(0, path.rfind('\\')); }

UniqueHkey OpenKey(HKEY root, const std::string& path, REGSAM access)
{
    UniqueHkey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, access, key.put()) != ERROR_SUCCESS)
        key.reset();
    return key;
}

}  // namespace

std::string WindowsDirectory()
{
    std::array<char, MAX_PATH> buffer{};
    const UINT length = GetWindowsDirectoryA(buffer.data(), buffer.size());
    return length < buffer.size() ? std::string(buffer.data(), length) : std::string();
}

std::string SystemDrive() { return WindowsDirectory().substr(0, 2); }

std::string UpperCaseUserName()
{
    std::array<char, 256> buffer{};
    DWORD size = buffer.size();
    if (!GetUserNameA(buffer.data(), &size))
        return {};
    CharUpperA(buffer.data());
    return buffer.data();
}

bool UnderWine()
{
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool RunningUnderWow64()
{
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, BOOL*);
    const auto isWow64Process = reinterpret_cast<IsWow64ProcessFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    return isWow64Process != nullptr && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

// "Sysnative" names the real System32 to a 32-bit process, without turning
// redirection off for the whole thread.
std::string NativeSystemFolder() { return WindowsDirectory() + "\\Sysnative"; }

std::string Lower(std::string text)
{
    CharLowerA(text.data());
    return text;
}

bool Exists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

bool MakeFolders(const std::string& path)
{
    for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
    return (Attributes(path) & FILE_ATTRIBUTE_DIRECTORY) != 0 && Exists(path);
}

bool WriteFile(const std::string& path, std::string_view content, DWORD attributes)
{
    if (!MakeFolders(ParentOf(path)))
        return false;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    {
        const UniqueFileHandle file = OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
        DWORD written = 0;
        if (!file || !::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
            written != content.size())
            return false;
    }
    return SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

bool CopyFileAs(const std::string& from, const std::string& to, DWORD attributes)
{
    if (!MakeFolders(ParentOf(to)))
        return false;
    SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
    return CopyFileA(from.c_str(), to.c_str(), FALSE) && SetFileAttributesA(to.c_str(), attributes);
}

UniqueFileHandle OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition)
{
    return UniqueFileHandle(
        CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::string ReadFile(const std::string& path)
{
    const UniqueFileHandle file = OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (!file)
        return {};
    std::string content;
    std::array<char, 4096> chunk;
    DWORD read = 0;
    while (::ReadFile(file.get(), chunk.data(), chunk.size(), &read, nullptr) && read > 0)
        content.append(chunk.data(), read);
    return content;
}

bool RemoveTree(const std::string& path)
{
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return DeleteFileA(path.c_str()) != FALSE;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA entry{};
        const UniqueFind search(FindFirstFileA((path + "\\*").c_str(), &entry));
        if (search) {
            do {
                const std::string name = entry.cFileName;
                if (name != "." && name != "..")
                    names.push_back(name);
            } while (FindNextFileA(search.get(), &entry));
        }
        for (const std::string& name : names)
            RemoveTree(path + "\\" + name);
    }
    return RemoveDirectoryA(path.c_str()) != FALSE;
}

ScratchFolder::ScratchFolder(std::string path) : path_(std::move(path))
{
    made_ = RemoveTree(path_) && MakeFolders(path_);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

std::string ScratchFolder::operator/(const std::string& relative) const
{
    return relative.empty() ? path_ : path_ + "\\" + relative;
}

RegistryValue RegistryValue::Text(const std::string& text) { return {REG_SZ, text + '\0'}; }

RegistryValue RegistryValue::Number(DWORD number)
{
    return {REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof number)};
}

bool KeyExists(HKEY root, const std::string& path, View view)
{
    return static_cast<bool>(OpenKey(root, path, KEY_READ | view));
}

bool CreateKey(HKEY root, const std::string& path, View view)
{
    UniqueHkey key;
    return RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, key.put(), nullptr) ==
           ERROR_SUCCESS;
}

bool SetValue(HKEY root, const std::string& path, const std::string& name, const RegistryValue& value, View view)
{
    UniqueHkey key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.get(), name.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                          static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

std::optional<RegistryValue> ReadValue(HKEY root, const std::string& path, const std::string& name, View view)
{
    const UniqueHkey key = OpenKey(root, path, KEY_QUERY_VALUE | view);
    RegistryValue value;
    DWORD size = 0;
    if (!key || RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(value.data.data()),
                         &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    return value;
}

bool ValueExists(HKEY root, const std::string& path, const std::string& name, View view)
{
    return ReadValue(root, path, name, view).has_value();
}

bool DeleteValue(HKEY root, const std::string& path, const std::string& name, View view)
{
    const UniqueHkey key = OpenKey(root, path, KEY_SET_VALUE | view);
    return key && RegDeleteValueA(key.get(), name.c_str()) == ERROR_SUCCESS;
}

std::vector<std::string> ValueNames(HKEY root, const std::string& path, View view)
{
    std::vector<std::string> names;
    const UniqueHkey key = OpenKey(root, path, KEY_QUERY_VALUE | view);
    if (!key)
        return names;
    for (DWORD index = 0;; ++index) {
        std::array<char, 16384> name;
        DWORD length = name.size();
        if (RegEnumValueA(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name.data(), length);
    }
    return names;
}

bool DeleteKeyTree(HKEY root, const std::string& path, View view)
{
    std::vector<std::string> children;
    {
        const UniqueHkey key = OpenKey(root, path, KEY_READ | view);
        if (!key)
            return !KeyExists(root, path, view);
        std::array<char, 256> name;
        for (DWORD index = 0; RegEnumKeyA(key.get(), index, name.data(), name.size()) == ERROR_SUCCESS; ++index)
            children.emplace_back(name.data());
    }
    for (const std::string& child : children)
        DeleteKeyTree(root, path + "\\" + child, view);

    // RegDeleteKeyEx, which takes a view, is not on Windows XP: open the
    // parent in the view and delete the child relative to it.
    const auto split = path.rfind('\\');
    const UniqueHkey parent =
        split == std::string::npos ? UniqueHkey() : OpenKey(root, path.substr(0, split), KEY_ALL_ACCESS | view);
    if (split == std::string::npos)
        RegDeleteKeyA(root, path.c_str());
    else if (parent)
        RegDeleteKeyA(parent.get(), path.substr(split + 1).c_str());
    return !KeyExists(root, path, view);
}

StartedProcess Start(const std::string& commandLine, WORD show, DWORD flags)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
    std::string line = commandLine;  // CreateProcessA may write into it
    PROCESS_INFORMATION info{};
    StartedProcess started;
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup, &info)) {
        started.process.reset(info.hProcess);
        started.id = info.dwProcessId;
        const UniqueHandle thread(info.hThread);
    }
    return started;
}

std::optional<DWORD> Run(const std::string& commandLine, DWORD timeoutMs)
{
    const StartedProcess started = Start(commandLine, SW_HIDE, CREATE_NO_WINDOW);
    if (!started.process)
        return std::nullopt;
    if (WaitForSingleObject(started.process.get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(started.process.get(), 1);
        WaitForSingleObject(started.process.get(), 5000);
        return std::nullopt;
    }
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(started.process.get(), &exitCode))
        return std::nullopt;
    return exitCode;
}

}  // namespace scourwell::support
