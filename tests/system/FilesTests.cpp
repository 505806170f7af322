// What the contract table (tests/contract) cannot say for every machine: how
// the Win32 file side hands names to the scripting runtime, and what it holds
// after a failure.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "tests/system/SystemTestSupport.h"

namespace scourwell::testing {
namespace {

class DeleteFolderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(services.CreateFileSystemObject(), Status::ok); }

    ScratchFolder folder{"folders"};
    Win32SystemServices services;
};

TEST_F(DeleteFolderTest, TakesTheFolderNameInTheAnsiCodePage)
{
    ASSERT_EQ(GetACP(), 1252u) << "the name below is written for Windows-1252";
    const std::string name = folder / "Caf\xE9 \x80uro";  // U+00E9, then U+20AC (not U+0080)
    ASSERT_TRUE(MakeFolders(name));
    ASSERT_TRUE(WriteFile(name + "\\inside.txt", "x"));

    EXPECT_EQ(services.DeleteFolder(name), Status::ok);
    EXPECT_FALSE(Exists(name));
}

// On a thread without COM the creation fails, as it does where the scripting
// runtime is missing; the object created before must not stay held.
TEST_F(DeleteFolderTest, NothingIsHeldAfterAFailedCreation)
{
    ASSERT_TRUE(MakeFolders(folder / "WinTools"));
    Status created = Status::ok;
    std::thread([&] { created = services.CreateFileSystemObject(); }).join();

    EXPECT_EQ(created, Status::failed);
    EXPECT_EQ(services.DeleteFolder(folder / "WinTools"), Status::failed);
    EXPECT_TRUE(Exists(folder / "WinTools"));
}

}  // namespace
}  // namespace scourwell::testing
