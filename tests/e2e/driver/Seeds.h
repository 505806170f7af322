// Things a scenario puts on the machine (in the test prefix) and takes away
// again when the owning object goes, so scenarios can share one prefix.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace scourwell::e2e {

bool FileExists(const std::string& path);
bool KeyExists(HKEY root, const std::string& subKey);

// Deletes `subKey` with every key below it. True when it is gone.
bool DeleteKeyTree(HKEY root, const std::string& subKey);

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

// Sets the default value of a key; puts back what was there when the object
// goes.
class DefaultValueOverride {
public:
    DefaultValueOverride(HKEY root, std::string subKey, std::string value);
    ~DefaultValueOverride();
    DefaultValueOverride(const DefaultValueOverride&) = delete;
    DefaultValueOverride& operator=(const DefaultValueOverride&) = delete;

    bool applied() const { return applied_; }

private:
    HKEY root_;
    std::string subKey_;
    bool keyExisted_ = false;
    std::optional<std::string> original_;
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
    struct Value {
        std::string name;
        DWORD type;
        std::string data;
    };
    HKEY root_;
    std::string subKey_;
    std::vector<Value> values_;
    bool existed_ = false;
    bool removed_ = false;
};

}  // namespace scourwell::e2e
