// The in-memory machine must answer as Windows does, or the run's tests
// prove nothing: the search rules and the delete rules it relies on.
#include <gtest/gtest.h>

#include "tests/core/FakeMachine.h"

namespace scourwell::testing {
namespace {

TEST(FakeMachineTest, WildcardsFollowTheDirectorySearch)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"*.*", "readme", true},       {"*.*", "a.b.c", true},      {"*.*", ".hidden", true},
        {"param32.dll", "PARAM32.DLL", true}, {"param32.dll", "param32.dll.bak", false},
        {"nail.exe", "nail2.exe", false}, {"?ail.exe", "nail.exe", true}, {"*.exe", "nail.exe.bak", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " ~ " << c.name;
}

TEST(FakeMachineTest, ProbesAndDeletesKeepToTheirRules)
{
    FakeMachine machine{"C:\\WINDOWS", "bob"};
    machine.AddFile("C:\\WINDOWS\\plain.exe");
    machine.AddFile("C:\\WINDOWS\\readonly.exe", kReadOnly);
    machine.AddFile("C:\\WINDOWS\\hidden.exe", kHidden);
    machine.AddFolder("C:\\WINDOWS\\Folder");
    machine.AddFile("C:\\WINDOWS\\Folder\\noext");
    machine.AddFolder("C:\\WINDOWS\\Folder\\Sub");

    EXPECT_EQ(machine.FileExists("C:\\windows\\PLAIN.EXE"), Presence::present);
    EXPECT_EQ(machine.FileExists("C:\\WINDOWS\\readonly.exe"), Presence::present);
    EXPECT_EQ(machine.FileExists("C:\\WINDOWS\\hidden.exe"), Presence::absent);
    EXPECT_EQ(machine.FileExists("C:\\WINDOWS\\Folder"), Presence::absent);
    EXPECT_EQ(machine.PathExists("C:\\WINDOWS\\Folder"), Presence::present);
    EXPECT_EQ(machine.PathExists("C:\\WINDOWS\\plain.exe"), Presence::present);
    EXPECT_EQ(machine.PathExists("C:\\Missing\\plain.exe"), Presence::absent);

    EXPECT_EQ(machine.DeleteMatching("C:\\WINDOWS\\readonly.exe"), Status::failed);
    EXPECT_EQ(machine.ClearAttributes("C:\\WINDOWS\\readonly.exe"), Status::ok);
    EXPECT_EQ(machine.DeleteMatching("C:\\WINDOWS\\readonly.exe"), Status::ok);
    EXPECT_EQ(machine.DeleteMatching("C:\\WINDOWS\\Folder\\*.*"), Status::ok);
    EXPECT_TRUE(machine.HasEntry("C:\\WINDOWS\\Folder\\Sub"));
    EXPECT_EQ(machine.DeleteMatching("C:\\WINDOWS\\Folder\\*.*"), Status::notFound);
    EXPECT_EQ(machine.DeleteFolder("C:\\WINDOWS\\Folder"), Status::failed);  // no object held
    EXPECT_EQ(machine.CreateFileSystemObject(), Status::ok);
    EXPECT_EQ(machine.DeleteFolder("C:\\WINDOWS\\Folder"), Status::ok);
    EXPECT_FALSE(machine.HasEntry("C:\\WINDOWS\\Folder\\Sub"));
    EXPECT_EQ(machine.DeleteFolder("C:\\WINDOWS\\Folder"), Status::notFound);
    EXPECT_TRUE(machine.HasEntry("C:\\WINDOWS\\plain.exe"));
}

TEST(FakeMachineTest, KeyTreesGoChildrenFirstAndAMissingParentComplainsOnce)
{
    FakeMachine machine{"C:\\WINDOWS", "bob"};
    machine.AddKey(RegistryRoot::currentUser, "Software\\Tree\\A\\B\\C");
    machine.AddKey(RegistryRoot::currentUser, "Software\\Tree\\A2");
    machine.AddKey(RegistryRoot::currentUser, "Software\\TreeNeighbour");

    machine.DeleteKeyTree(RegistryRoot::currentUser, "Software\\Tree\\");
    EXPECT_FALSE(machine.HasKey(RegistryRoot::currentUser, "Software\\Tree"));
    EXPECT_FALSE(machine.HasKey(RegistryRoot::currentUser, "Software\\Tree\\A\\B\\C"));
    EXPECT_TRUE(machine.HasKey(RegistryRoot::currentUser, "Software\\TreeNeighbour"));
    EXPECT_TRUE(machine.messages.empty());

    machine.DeleteKeyTree(RegistryRoot::currentUser, "Software\\Nowhere\\Key");
    EXPECT_EQ(machine.messages, std::vector<std::string>{"Error opening parent key"});
}

}  // namespace
}  // namespace scourwell::testing
