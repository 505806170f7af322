#include "Seeds.h"

#include <utility>

#include "system/Handles.h"

namespace scourwell::e2e {
namespace {

std::optional<RegistryValue> ReadValue(HKEY root, const std::string& subKey, const std::string& name)
{
    UniqueHkey key;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    RegistryValue value;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(value.data.data()),
                         &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    return value;
}

bool WriteValue(HKEY root, const std::string& subKey, const std::string& name, const RegistryValue& value)
{
    UniqueHkey key;
    if (RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.get(), name.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                          static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

}  // namespace

RegistryValue RegistryValue::Text(const std::string& text)
{
    return {REG_SZ, text + '\0'};
}

RegistryValue RegistryValue::Number(DWORD number)
{
    return {REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof number)};
}

std::string WindowsDirectory()
{
    char path[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryA(path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool KeyExists(HKEY root, const std::string& subKey)
{
    UniqueHkey key;
    return RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

bool DeleteKeyTree(HKEY root, const std::string& subKey)
{
    std::vector<std::string> children;
    {
        UniqueHkey key;
        if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
            return !KeyExists(root, subKey);
        char name[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = sizeof name;
            if (RegEnumKeyExA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            children.emplace_back(name, length);
        }
    }
    for (const std::string& child : children)
        DeleteKeyTree(root, subKey + "\\" + child);
    RegDeleteKeyA(root, subKey.c_str());
    return !KeyExists(root, subKey);
}

SeededFile::SeededFile(std::string path, DWORD attributes) : path_(std::move(path))
{
    const UniqueFileHandle file(CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr));
    if (!file)
        return;
    const char content[] = "seeded by a Scourwell test\r\n";
    DWORD written = 0;
    created_ = WriteFile(file.get(), content, sizeof content - 1, &written, nullptr) != FALSE;
}

SeededFile::~SeededFile()
{
    if (!created_)
        return;
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path_.c_str());
}

SeededKey::SeededKey(HKEY root, std::string subKey) : root_(root), subKey_(std::move(subKey))
{
    created_ = !KeyExists(root_, subKey_) &&
               WriteValue(root_, subKey_, "", RegistryValue::Text("seeded by a Scourwell test"));
}

SeededKey::~SeededKey()
{
    if (created_)
        DeleteKeyTree(root_, subKey_);
}

ValueOverride::ValueOverride(HKEY root, std::string subKey, std::string name, RegistryValue value)
    : root_(root), subKey_(std::move(subKey)), name_(std::move(name))
{
    keyExisted_ = KeyExists(root_, subKey_);
    original_ = ReadValue(root_, subKey_, name_);
    applied_ = WriteValue(root_, subKey_, name_, value);
}

ValueOverride::~ValueOverride()
{
    if (!applied_)
        return;
    if (!keyExisted_) {
        DeleteKeyTree(root_, subKey_);
    } else if (original_) {
        WriteValue(root_, subKey_, name_, *original_);
    } else {
        UniqueHkey key;
        if (RegOpenKeyExA(root_, subKey_.c_str(), 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS)
            RegDeleteValueA(key.get(), name_.c_str());
    }
}

RemovedKey::RemovedKey(HKEY root, std::string subKey) : root_(root), subKey_(std::move(subKey))
{
    {
        UniqueHkey key;
        if (RegOpenKeyExA(root_, subKey_.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
            removed_ = true;
            return;
        }
        existed_ = true;
        DWORD subkeys = 0;
        if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            subkeys != 0)
            return;
        for (DWORD index = 0;; ++index) {
            char name[16384];
            DWORD nameLength = sizeof name;
            if (RegEnumValueA(key.get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            std::string valueName(name, nameLength);
            if (std::optional<RegistryValue> value = ReadValue(root_, subKey_, valueName))
                values_.emplace_back(std::move(valueName), std::move(*value));
        }
    }
    removed_ = RegDeleteKeyA(root_, subKey_.c_str()) == ERROR_SUCCESS;
}

RemovedKey::~RemovedKey()
{
    if (!existed_ || !removed_)
        return;
    UniqueHkey key;
    if (RegCreateKeyExA(root_, subKey_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        return;
    for (const auto& [name, value] : values_)
        WriteValue(root_, subKey_, name, value);
}

}  // namespace scourwell::e2e
