#include "tests/support/Seeds.h"

namespace scourwell::support {

SeededFile::SeededFile(std::string path, DWORD attributes) : path_(std::move(path))
{
    // Never over a file that is there already: it would be removed at the end.
    created_ = !Exists(path_) && WriteFile(path_, "seeded by a Scourwell test\r\n", attributes);
}

SeededFile::~SeededFile()
{
    if (created_)
        RemoveTree(path_);
}

SeededKey::SeededKey(HKEY root, std::string subKey) : root_(root), subKey_(std::move(subKey))
{
    created_ = !KeyExists(root_, subKey_) && SetValue(root_, subKey_, "", RegistryValue::Text("seeded by a Scourwell test"));
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
    applied_ = SetValue(root_, subKey_, name_, value);
}

ValueOverride::~ValueOverride()
{
    if (!applied_)
        return;
    if (!keyExisted_)
        DeleteKeyTree(root_, subKey_);
    else if (original_)
        SetValue(root_, subKey_, name_, *original_);
    else
        DeleteValue(root_, subKey_, name_);
}

RemovedKey::RemovedKey(HKEY root, std::string subKey) : root_(root), subKey_(std::move(subKey))
{
    if (!KeyExists(root_, subKey_)) {
        removed_ = true;
        return;
    }
    existed_ = true;
    UniqueHkey key;
    DWORD subkeys = 0;
    if (RegOpenKeyExA(root_, subKey_.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS ||
        RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS ||
        subkeys != 0)
        return;
    key.reset();
    for (std::string& name : ValueNames(root_, subKey_)) {
        if (std::optional<RegistryValue> value = ReadValue(root_, subKey_, name))
            values_.emplace_back(std::move(name), std::move(*value));
    }
    removed_ = RegDeleteKeyA(root_, subKey_.c_str()) == ERROR_SUCCESS;
}

RemovedKey::~RemovedKey()
{
    if (!existed_ || !removed_)
        return;
    CreateKey(root_, subKey_);
    for (const auto& [name, value] : values_)
        SetValue(root_, subKey_, name, value);
}

}  // namespace scourwell::support
