// Registry side of the system services: existence test and tree deletion.
#include <array>
#include <string>
#include <vector>

#include "system/Buffers.h"
#include "system/Win32SystemServices.h"

namespace scourwell {
namespace {

HKEY RootKey(RegistryRoot root)
{
    return root == RegistryRoot::localMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// Full access and no view flag: a key the user may not change counts as absent,
// and a 32-bit process sees the redirected view like every other 32-bit program.
LONG OpenFullAccess(HKEY root, const std::string& subKey, UniqueHkey& key)
{
    return RegOpenKeyExA(root, subKey.c_str(), 0, KEY_ALL_ACCESS, key.put());
}

}  // namespace

bool Win32SystemServices::KeyExists(RegistryRoot root, const std::string& subKey)
{
    UniqueHkey key;
    return OpenFullAccess(RootKey(root), subKey, key) == ERROR_SUCCESS;
}

void Win32SystemServices::DeleteKeyTree(RegistryRoot root, const std::string& keyPath)
{
    std::string path = keyPath;
    if (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    // An empty path names the root itself; clearing a whole hive is never meant.
    if (path.empty()) {
        return;
    }
    const HKEY rootKey = RootKey(root);
    DeleteSubkeys(rootKey, path);

    const auto lastSeparator = path.rfind('\\');
    if (lastSeparator == std::string::npos) {
        RegDeleteKeyA(rootKey, path.c_str());
        return;
    }
    UniqueHkey parent;
    if (OpenFullAccess(rootKey, path.substr(0, lastSeparator), parent) != ERROR_SUCCESS) {
        ShowMessage("Error opening parent key", MessageStyle::okOnly, std::nullopt);
        return;
    }
    RegDeleteKeyA(parent.get(), path.substr(lastSeparator + 1).c_str());
}

void Win32SystemServices::DeleteSubkeys(HKEY root, const std::string& keyPath)
{
    UniqueHkey key;
    if (OpenFullAccess(root, keyPath, key) != ERROR_SUCCESS) {
        return;
    }
    // Names first: deleting while enumerating would shift the indexes.
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
        std::array<char, 256> buffer;
        buffer.fill(' ');
        if (RegEnumKeyA(key.get(), index, buffer.data(), buffer.size()) != ERROR_SUCCESS) {
            break;
        }
        const std::string_view text(buffer.data(), buffer.size());
        names.push_back(TextBeforeNul(text).value_or(std::string(text)));
    }
    for (const std::string& name : names) {
        DeleteSubkeys(root, keyPath + "\\" + name);
        RegDeleteKeyA(key.get(), name.c_str());
    }
}

}  // namespace scourwell
