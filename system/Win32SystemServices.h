// SystemServices on the real Windows API (ANSI functions, COM automation).
// One source file per concern: registry, files and the scripting object,
// file owners, processes and environment, messages.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "system/Handles.h"
#include "system/SystemServices.h"

namespace scourwell {

class Win32SystemServices : public SystemServices {
public:
    Win32SystemServices() = default;
    ~Win32SystemServices() override;
    Win32SystemServices(const Win32SystemServices&) = delete;
    Win32SystemServices& operator=(const Win32SystemServices&) = delete;

    std::string GetWindowsDir() override;
    std::string CurrentUserName() override;
    void RunAndWait(const std::string& commandLine, int windowStyle) override;
    Owner FileOwner(const std::string& path) override;

    Presence PathExists(const std::string& path) override;
    Presence FileExists(const std::string& path) override;
    Status ClearAttributes(const std::string& path) override;
    Status DeleteMatching(const std::string& pattern) override;
    Status CreateFileSystemObject() override;
    Status DeleteFolder(const std::string& path) override;
    void ReleaseFileSystemObject() override;

    bool KeyExists(RegistryRoot root, const std::string& subKey) override;
    void DeleteKeyTree(RegistryRoot root, const std::string& keyPath) override;

    // Tests override this to capture messages instead of showing a box.
    void ShowMessage(const std::string& text, MessageStyle style,
                     std::optional<std::string> title) override;

private:
    void DeleteSubkeys(HKEY root, const std::string& keyPath);

    ComPtr<IDispatch> fileSystemObject_;  // held between Create and Release
};

}  // namespace scourwell
