// How the registry side shows its one message; what it deletes and when is
// the contract table's (tests/contract).
#include <gtest/gtest.h>

#include <string>

#include "tests/system/SystemTestSupport.h"

namespace scourwell::testing {
namespace {

const std::string kBase = "Software\\ScourwellTests";

class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        support::DeleteKeyTree(HKEY_CURRENT_USER, kBase);
    }

    CapturingServices services;
};

TEST_F(RegistryTest, MissingParentIsShownOnceInTheApplicationsBox)
{
    ASSERT_TRUE(support::CreateKey(HKEY_CURRENT_USER, kBase + "\\Run"));

    services.DeleteKeyTree(RegistryRoot::currentUser, kBase + "\\RunServices\\WinTools");

    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "Error opening parent key");
    EXPECT_EQ(services.messages[0].style, MessageStyle::okOnly);
    EXPECT_EQ(services.messages[0].title, std::nullopt) << "the application's title";
    EXPECT_TRUE(support::KeyExists(HKEY_CURRENT_USER, kBase + "\\Run"));
}

}  // namespace
}  // namespace scourwell::testing
