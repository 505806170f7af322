#include "Seed.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace acceptance {

namespace {

std::string Describe(const RegistryKey& key)
{
    return std::string(key.root == HKEY_LOCAL_MACHINE ? "HKLM\\" : "HKCU\\") + key.path +
           (key.view == KEY_WOW64_64KEY ? " (64-bit view)" : "");
}

}  // namespace

Seed::Seed(std::string testLibrary) : testLibrary_(std::move(testLibrary)) {}

Seed::~Seed()
{
    for (const auto& name : targetServices_) Run("sc delete " + name);
    for (const auto& name : neighbourServices_) Run("sc delete " + name);
    const auto remove = [](const std::string& path) { EXPECT_TRUE(RemoveTree(path)) << "cannot remove " << path; };
    for (const auto& path : targetFiles_) remove(path);
    for (const auto& path : neighbourFiles_) remove(path);
    for (const auto& path : leftovers_) remove(path);
    for (auto folder = ownedFolders_.rbegin(); folder != ownedFolders_.rend(); ++folder) remove(*folder);
    // Only the value: the key may be the system's own, like Run.
    for (const auto& [key, name] : neighbourValues_) DeleteValue(key.root, key.path, name, key.view);
    for (auto key = ownedKeys_.rbegin(); key != ownedKeys_.rend(); ++key)
        EXPECT_TRUE(DeleteKeyTree(key->root, key->path, key->view)) << Describe(*key);
    EXPECT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, "Software\\ScourwellTest"));
}

void Seed::OwnFolder(const std::string& path)
{
    if (Exists(path)) return;
    // Parents this seed makes are its own too, outermost first.
    const auto parent = path.substr(0, path.rfind('\\'));
    if (parent.size() > 2) OwnFolder(parent);
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
    ownedFolders_.push_back(path);
}

void Seed::TargetFile(const std::string& path, DWORD attributes)
{
    OwnFolder(path.substr(0, path.rfind('\\')));
    ASSERT_TRUE(WriteFile(path, "left behind by an unwanted program", attributes)) << path;
    targetFiles_.push_back(path);
}

void Seed::TargetLibrary(const std::string& path, DWORD attributes)
{
    OwnFolder(path.substr(0, path.rfind('\\')));
    ASSERT_TRUE(CopyFileAs(testLibrary_, path, attributes)) << path;
    targetFiles_.push_back(path);
    libraries_.push_back(path);
    ASSERT_EQ(Run("regsvr32 /s \"" + path + "\""), std::optional<DWORD>(0)) << "cannot register " << path;
    ASSERT_TRUE(ValueExists(HKEY_CURRENT_USER, kRegisteredMarks, path)) << "registered elsewhere: " << path;
}

void Seed::TargetFolder(const std::string& path)
{
    OwnFolder(path);
    targetFolders_.push_back(path);
}

namespace {

// Makes the key and answers the outermost key that did not exist before.
std::string CreateRemembering(const RegistryKey& key)
{
    std::string outermostNew;
    for (std::size_t at = 0; at != std::string::npos;) {
        at = key.path.find('\\', at + 1);
        const std::string prefix = key.path.substr(0, at);
        if (!KeyExists(key.root, prefix, key.view)) {
            outermostNew = prefix;
            break;
        }
    }
    EXPECT_TRUE(CreateKey(key.root, key.path, key.view)) << Describe(key);
    return outermostNew;
}

}  // namespace

void Seed::TargetKey(const RegistryKey& key)
{
    const std::string created = CreateRemembering(key);
    if (!created.empty()) ownedKeys_.push_back({key.root, created, key.view});
    for (const char* child : {"", "\\Settings", "\\Settings\\Modules", "\\Settings\\Modules\\Hooks"}) {
        ASSERT_TRUE(SetValue(key.root, key.path + child, "Installed", RegistryValue::Text("yes"), key.view));
        ASSERT_TRUE(SetValue(key.root, key.path + child, "", RegistryValue::Text("default"), key.view));
    }
    targetKeys_.push_back(key);
}

void Seed::Service(const std::string& name)
{
    ASSERT_FALSE(ServiceExists(name)) << name << " is already there";
    ASSERT_EQ(Run("sc create " + name + " binPath= \"" + WindowsDirectory() + "\\" + Lower(name) + ".exe\""),
              std::optional<DWORD>(0))
        << "cannot create the service " << name;
    ASSERT_TRUE(ServiceExists(name));
}

void Seed::TargetService(const std::string& name)
{
    targetServices_.push_back(name);
    Service(name);
}

void Seed::NeighbourService(const std::string& name)
{
    neighbourServices_.push_back(name);
    Service(name);
}

void Seed::NeighbourFile(const std::string& path)
{
    OwnFolder(path.substr(0, path.rfind('\\')));
    ASSERT_TRUE(WriteFile(path, path)) << path;
    neighbourFiles_.push_back(path);
}

void Seed::Leftover(const std::string& path) { leftovers_.push_back(path); }

void Seed::NeighbourValue(const RegistryKey& key, const std::string& name)
{
    const std::string created = CreateRemembering(key);
    if (!created.empty()) ownedKeys_.push_back({key.root, created, key.view});
    ASSERT_TRUE(SetValue(key.root, key.path, name, RegistryValue::Text(key.path), key.view));
    neighbourValues_.push_back({key, name});
}

void Seed::ExpectTargetsGone() const
{
    for (const auto& path : targetFiles_) EXPECT_FALSE(Exists(path)) << "still there: " << path;
    for (const auto& path : targetFolders_) EXPECT_FALSE(Exists(path)) << "still there: " << path;
    for (const auto& key : targetKeys_) EXPECT_FALSE(KeyExists(key.root, key.path, key.view)) << "still there: " << Describe(key);
    for (const auto& name : targetServices_) EXPECT_FALSE(ServiceExists(name)) << "service still there: " << name;
}

void Seed::ExpectNeighboursIntact() const
{
    for (const auto& path : neighbourFiles_) EXPECT_EQ(ReadFile(path), path) << "neighbour lost or changed";
    for (const auto& [key, name] : neighbourValues_)
        EXPECT_TRUE(ValueExists(key.root, key.path, name, key.view)) << "neighbour lost: " << Describe(key) << " " << name;
    for (const auto& name : neighbourServices_) EXPECT_TRUE(ServiceExists(name)) << "neighbour service lost: " << name;
}

std::vector<std::string> Seed::LibrariesNotUnregistered() const
{
    std::vector<std::string> marked = ValueNames(HKEY_CURRENT_USER, kUnregisteredMarks);
    for (auto& name : marked) name = Lower(name);
    std::vector<std::string> missing;
    for (const auto& path : libraries_)
        if (std::find(marked.begin(), marked.end(), Lower(path)) == marked.end()) missing.push_back(path);
    return missing;
}

}  // namespace acceptance
