#include "Seeds.h"

#include <utility>
#include <vector>

#include "system/Handles.h"

namespace scourwell::e2e {
namespace {

std::optional<std::string> ReadDefaultValue(HKEY root, const std::string& subKey)
{
    UniqueHkey key;
    if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    std::string value(size, '\0');
    if (RegQueryValueExA(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.resize(size);
    while (!value.empty() && value.back() == '\0')
        value.pop_back();
    return value;
}

bool WriteDefaultValue(HKEY root, const std::string& subKey, const std::string& value)
{
    UniqueHkey key;
    if (RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace

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
    const HANDLE file = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const UniqueHandle owned(file);
    const char content[] = "seeded by a Scourwell test\r\n";
    DWORD written = 0;
    created_ = WriteFile(owned.get(), content, sizeof content - 1, &written, nullptr) != FALSE;
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
    created_ = !KeyExists(root_, subKey_) && WriteDefaultValue(root_, subKey_, "seeded by a Scourwell test");
}

SeededKey::~SeededKey()
{
    if (created_)
        DeleteKeyTree(root_, subKey_);
}

DefaultValueOverride::DefaultValueOverride(HKEY root, std::string subKey, std::string value)
    : root_(root), subKey_(std::move(subKey))
{
    keyExisted_ = KeyExists(root_, subKey_);
    original_ = ReadDefaultValue(root_, subKey_);
    applied_ = WriteDefaultValue(root_, subKey_, value);
}

DefaultValueOverride::~DefaultValueOverride()
{
    if (!applied_)
        return;
    if (!keyExisted_) {
        DeleteKeyTree(root_, subKey_);
        return;
    }
    if (original_) {
        WriteDefaultValue(root_, subKey_, *original_);
    } else {
        UniqueHkey key;
        if (RegCreateKeyExA(root_, subKey_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) ==
            ERROR_SUCCESS)
            RegDeleteValueA(key.get(), nullptr);
    }
}

}  // namespace scourwell::e2e

namespace scourwell::e2e {

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
            BYTE data[4096];
            DWORD dataLength = sizeof data;
            DWORD type = 0;
            if (RegEnumValueA(key.get(), index, name, &nameLength, nullptr, &type, data, &dataLength) !=
                ERROR_SUCCESS)
                break;
            values_.push_back({std::string(name, nameLength), type,
                               std::string(reinterpret_cast<const char*>(data), dataLength)});
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
    for (const Value& value : values_) {
        RegSetValueExA(key.get(), value.name.c_str(), 0, value.type,
                       reinterpret_cast<const BYTE*>(value.data.data()), static_cast<DWORD>(value.data.size()));
    }
}

}  // namespace scourwell::e2e
