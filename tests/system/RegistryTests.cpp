// How the registry side shows its one message; what it deletes and when is
// the contract table's (tests/contract).
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>

#include "tests/system/SystemTestSupport.h"

namespace scourwell::testing {
namespace {

const std::string kBase = "Software\\ScourwellTests";

bool KeyPresent(const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

void CreateKey(const std::string& path)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS)
        << path;
    RegCloseKey(key);
}

class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        SHDeleteKeyA(HKEY_CURRENT_USER, kBase.c_str());
    }

    CapturingServices services;
};

TEST_F(RegistryTest, MissingParentIsShownOnceInTheApplicationsBox)
{
    CreateKey(kBase + "\\Run");

    services.DeleteKeyTree(RegistryRoot::currentUser, kBase + "\\RunServices\\WinTools");

    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "Error opening parent key");
    EXPECT_EQ(services.messages[0].style, MessageStyle::okOnly);
    EXPECT_EQ(services.messages[0].title, std::nullopt) << "the application's title";
    EXPECT_TRUE(KeyPresent(kBase + "\\Run"));
}

}  // namespace
}  // namespace scourwell::testing
