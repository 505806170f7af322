#include "Machine.h"

#include <gtest/gtest.h>

#include <array>

#include <tlhelp32.h>

#include "system/Handles.h"

namespace acceptance {

using scourwell::UniqueFind;
using scourwell::UniqueFileHandle;
using scourwell::UniqueHandle;
using scourwell::UniqueHkey;

std::string WindowsDirectory()
{
    std::array<char, MAX_PATH> buffer{};
    UINT length = GetWindowsDirectoryA(buffer.data(), buffer.size());
    EXPECT_GT(length, 0u);
    return std::string(buffer.data(), length);
}

std::string SystemDrive() { return WindowsDirectory().substr(0, 2); }

std::string UpperCaseUserName()
{
    std::array<char, 256> buffer{};
    DWORD size = buffer.size();
    EXPECT_TRUE(GetUserNameA(buffer.data(), &size));
    CharUpperA(buffer.data());
    return buffer.data();
}

bool RunningUnderWow64()
{
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, BOOL*);
    auto isWow64Process = reinterpret_cast<IsWow64ProcessFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    return isWow64Process != nullptr && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::string Lower(std::string text)
{
    CharLowerA(text.data());
    return text;
}

// "Sysnative" names the real System32 to a 32-bit process, without turning
// redirection off for the whole thread.
std::string NativeSystemFolder() { return WindowsDirectory() + "\\Sysnative"; }

UniqueFileHandle OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition)
{
    return UniqueFileHandle(CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

namespace {

void CreateFolders(const std::string& path)
{
    for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
}

std::string Folder(const std::string& path) { return path.substr(0, path.rfind('\\')); }

}  // namespace

void WriteFile(const std::string& path, const std::string& content, DWORD attributes)
{
    CreateFolders(Folder(path));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    UniqueFileHandle file = OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_TRUE(file) << "cannot create " << path;
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), content.data(), content.size(), &written, nullptr)) << path;
    file.reset();
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
}

void CopyFileAs(const std::string& from, const std::string& to, DWORD attributes)
{
    CreateFolders(Folder(to));
    SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << from << " -> " << to;
    ASSERT_TRUE(SetFileAttributesA(to.c_str(), attributes)) << to;
}

std::string ReadFile(const std::string& path)
{
    UniqueFileHandle file = OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (!file) return {};
    std::string content;
    std::array<char, 4096> chunk;
    DWORD read = 0;
    while (::ReadFile(file.get(), chunk.data(), chunk.size(), &read, nullptr) && read > 0)
        content.append(chunk.data(), read);
    return content;
}

void RemoveEntry(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        EXPECT_TRUE(DeleteFileA(path.c_str())) << "cannot remove " << path;
        return;
    }
    WIN32_FIND_DATAA entry;
    UniqueFind search(FindFirstFileA((path + "\\*").c_str(), &entry));
    if (search) {
        do {
            std::string name = entry.cFileName;
            if (name != "." && name != "..") RemoveEntry(path + "\\" + name);
        } while (FindNextFileA(search.get(), &entry));
    }
    search.reset();
    EXPECT_TRUE(RemoveDirectoryA(path.c_str())) << "cannot remove " << path;
}

namespace {

UniqueHkey OpenKey(HKEY root, const std::string& path, REGSAM access)
{
    UniqueHkey key;
    if (RegOpenKeyExA(root, path.c_str(), 0, access, key.put()) != ERROR_SUCCESS) key.reset();
    return key;
}

}  // namespace

void CreateKey(HKEY root, const std::string& path, View view)
{
    UniqueHkey key;
    ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, key.put(), nullptr),
              ERROR_SUCCESS)
        << path;
}

void SetValue(HKEY root, const std::string& path, const std::string& name, const std::string& data, View view)
{
    UniqueHkey key;
    ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, key.put(), nullptr),
              ERROR_SUCCESS)
        << path;
    ASSERT_EQ(RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                             data.size() + 1),
              ERROR_SUCCESS)
        << path << " " << name;
}

bool KeyExists(HKEY root, const std::string& path, View view)
{
    return static_cast<bool>(OpenKey(root, path, KEY_READ | view));
}

bool ValueExists(HKEY root, const std::string& path, const std::string& name, View view)
{
    UniqueHkey key = OpenKey(root, path, KEY_READ | view);
    return key && RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::vector<std::string> ValueNames(HKEY root, const std::string& path, View view)
{
    std::vector<std::string> names;
    UniqueHkey key = OpenKey(root, path, KEY_READ | view);
    if (!key) return names;
    for (DWORD index = 0;; ++index) {
        std::array<char, 1024> name;
        DWORD length = name.size();
        if (RegEnumValueA(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name.data(), length);
    }
    return names;
}

void DeleteKeyTree(HKEY root, const std::string& path, View view)
{
    std::vector<std::string> children;
    {
        UniqueHkey key = OpenKey(root, path, KEY_READ | view);
        if (!key) return;
        std::array<char, 256> name;
        for (DWORD index = 0; RegEnumKeyA(key.get(), index, name.data(), name.size()) == ERROR_SUCCESS; ++index)
            children.emplace_back(name.data());
    }
    for (const auto& child : children) DeleteKeyTree(root, path + "\\" + child, view);

    // RegDeleteKeyEx, which takes a view, is not on Windows XP: open the
    // parent in the view and delete the child relative to it.
    const auto split = path.rfind('\\');
    UniqueHkey parent = OpenKey(root, path.substr(0, split), KEY_ALL_ACCESS | view);
    ASSERT_TRUE(parent) << path;
    EXPECT_EQ(RegDeleteKeyA(parent.get(), path.substr(split + 1).c_str()), ERROR_SUCCESS) << path;
}

DWORD Run(const std::string& commandLine, DWORD timeoutMs)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    std::string mutableLine = commandLine;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &started)) {
        ADD_FAILURE() << "cannot start: " << commandLine;
        return kNotRun;
    }
    UniqueHandle process(started.hProcess), thread(started.hThread);
    if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        WaitForSingleObject(process.get(), 5000);
        ADD_FAILURE() << "still running after " << timeoutMs << " ms, ended: " << commandLine;
        return kNotRun;
    }
    DWORD exitCode = kNotRun;
    GetExitCodeProcess(process.get(), &exitCode);
    return exitCode;
}

namespace {

struct ServiceTraits {
    using Value = SC_HANDLE;
    static SC_HANDLE empty() noexcept { return nullptr; }
    static void close(SC_HANDLE handle) noexcept { CloseServiceHandle(handle); }
};
using UniqueService = scourwell::UniqueResource<ServiceTraits>;

}  // namespace

bool ServiceExists(const std::string& name)
{
    UniqueService manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        ADD_FAILURE() << "cannot open the service manager";
        return false;
    }
    return static_cast<bool>(UniqueService(OpenServiceA(manager.get(), name.c_str(), SERVICE_QUERY_STATUS)));
}

std::vector<std::string> ModulesOf(DWORD processId)
{
    std::vector<std::string> modules;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot list the modules of process " << processId;
        return modules;
    }
    const UniqueHandle owned(snapshot);
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry))
        modules.emplace_back(entry.szExePath);
    return modules;
}

}  // namespace acceptance
