// Things a scenario puts on the machine (in the test prefix) and takes away
// again when the owning object goes, so scenarios can share one prefix.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/TestMachine.h"

namespace scourwell::support {

// A file with some content and the given attributes. Removed (attributes
// cleared first) when the object goes, if it is still there.
class SeededFile {
public:
    explicit SeededFile(std::string path, DWORD attributes = FILE_ATTRIBUTE_NORMAL);
    ~SeededFile();
    SeededFile(const SeededFile&) = delete;
    SeededFile& operator=(const SeededFile&) = delete;

    bool created() const { return created_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    bool created_ = false;
};

// A registry key holding one value. Its whole tree is removed when the
// object goes, if it is still there.
class SeededKey {
public:
    SeededKey(HKEY root, std::string subKey);
    ~SeededKey();
    SeededKey(const SeededKey&) = delete;
    SeededKey& operator=(const SeededKey&) = delete;

    bool created() const { return created_; }

private:
    HKEY root_;
    std::string subKey_;
    bool created_ = false;
};

// Sets one value of a key (the default value when `name` is empty), making
// the key if needed; puts back what was there when the object goes.
class ValueOverride {
public:
    ValueOverride(HKEY root, std::string subKey, std::string name, RegistryValue value);
    ~ValueOverride();
    ValueOverride(const ValueOverride&) = delete;
    ValueOverride& operator=(const ValueOverride&) = delete;

    bool applied() const { return applied_; }

private:
    HKEY root_;
    std::string subKey_;
    std::string name_;
    bool keyExisted_ = false;
    std::optional<RegistryValue> original_;
    bool applied_ = false;
};

// Removes a key that has values but no subkeys; when the object goes, the
// key comes back with the same values.
class RemovedKey {
public:
    RemovedKey(HKEY root, std::string subKey);
    ~RemovedKey();
    RemovedKey(const RemovedKey&) = delete;
    RemovedKey& operator=(const RemovedKey&) = delete;

    // True when the key is gone now (also when it was never there).
    bool removed() const { return removed_; }

private:
    HKEY root_;
    std::string subKey_;
    std::vector<std::pair<std::string, RegistryValue>> values_;
    bool existed_ = false;
    bool removed_ = false;
};

}  // namespace scourwell::support
