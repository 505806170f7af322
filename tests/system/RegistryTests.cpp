// The registry side against the prefix's registry, under HKEY_CURRENT_USER.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>

#include "tests/system/SystemTestSupport.h"

namespace scourwell::testing {
namespace {

const std::string kBase = "Software\\ScourwellTests";
const std::string kTopLevel = "ScourwellTestsTop";

bool KeyPresent(const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

void CreateKeyWithValue(const std::string& path)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << path;
    const char value[] = "data";
    RegSetValueExA(key, "Value", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
    RegCloseKey(key);
}

// Three levels below the target, siblings at each, values everywhere, and a
// neighbour whose name starts like the target's.
void CreateTree(const std::string& target)
{
    for (const char* relative : {"", "\\A", "\\A\\A1", "\\A\\A1\\A1x", "\\A\\A1\\A1y", "\\A\\A2",
                                 "\\B", "\\B\\B1", "\\C"}) {
        CreateKeyWithValue(target + relative);
    }
    CreateKeyWithValue(target + "Neighbour\\Child");
}

class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        SHDeleteKeyA(HKEY_CURRENT_USER, kBase.c_str());
        SHDeleteKeyA(HKEY_CURRENT_USER, kTopLevel.c_str());
    }

    CapturingServices services;
};

TEST_F(RegistryTest, KeyExistsOpensWithFullAccess)
{
    CreateKeyWithValue(kBase + "\\Aurora");

    EXPECT_TRUE(services.KeyExists(RegistryRoot::currentUser, kBase + "\\Aurora"));
    EXPECT_FALSE(services.KeyExists(RegistryRoot::currentUser, kBase + "\\Missing"));
    EXPECT_FALSE(services.KeyExists(RegistryRoot::currentUser, kBase + "\\Missing\\Aurora"));
    EXPECT_FALSE(services.KeyExists(RegistryRoot::localMachine, kBase + "\\Aurora"))
        << "looked under the wrong root";
}

TEST_F(RegistryTest, DeleteKeyTreeRemovesEveryLevel)
{
    for (const std::string suffix : {"", "\\"}) {
        const std::string target = kBase + "\\Target";
        CreateTree(target);

        services.DeleteKeyTree(RegistryRoot::currentUser, target + suffix);

        EXPECT_FALSE(KeyPresent(target)) << "suffix '" << suffix << "'";
        EXPECT_TRUE(KeyPresent(target + "Neighbour\\Child")) << "suffix '" << suffix << "'";
        EXPECT_TRUE(services.messages.empty());
    }
}

TEST_F(RegistryTest, DeleteKeyTreeWithoutBackslashWorksUnderTheRoot)
{
    CreateTree(kTopLevel);

    services.DeleteKeyTree(RegistryRoot::currentUser, kTopLevel);

    EXPECT_FALSE(KeyPresent(kTopLevel));
    EXPECT_TRUE(KeyPresent(kTopLevel + "Neighbour\\Child"));
    EXPECT_TRUE(services.messages.empty());
    SHDeleteKeyA(HKEY_CURRENT_USER, (kTopLevel + "Neighbour").c_str());
}

TEST_F(RegistryTest, MissingParentShowsTheMessageOnce)
{
    CreateKeyWithValue(kBase + "\\Run");

    services.DeleteKeyTree(RegistryRoot::currentUser, kBase + "\\RunServices\\WinTools");

    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "Error opening parent key");
    EXPECT_EQ(services.messages[0].style, MessageStyle::okOnly);
    EXPECT_EQ(services.messages[0].title, std::nullopt) << "the application's title";
    EXPECT_TRUE(KeyPresent(kBase + "\\Run"));
}

TEST_F(RegistryTest, MissingKeyUnderAnOpenableParentChangesNothing)
{
    CreateKeyWithValue(kBase + "\\Run");

    services.DeleteKeyTree(RegistryRoot::currentUser, kBase + "\\Run\\WinTools");

    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(KeyPresent(kBase + "\\Run"));
}

TEST_F(RegistryTest, AnEmptyPathNeverClearsTheRoot)
{
    CreateKeyWithValue(kTopLevel);

    for (const char* path : {"", "\\"}) {
        services.DeleteKeyTree(RegistryRoot::currentUser, path);
        EXPECT_TRUE(KeyPresent(kTopLevel)) << "path '" << path << "'";
        EXPECT_TRUE(KeyPresent("Software")) << "path '" << path << "'";
    }
    EXPECT_TRUE(services.messages.empty());
}

}  // namespace
}  // namespace scourwell::testing
