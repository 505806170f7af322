// What the in-memory machine does beyond the contract table (tests/contract):
// the directory search's name matching and the order of key deletion.
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

// The registry's own rule, which the contract can only show by what is left:
// a key goes after every key below it, siblings in their order.
TEST(FakeMachineTest, KeyTreesGoChildrenFirst)
{
    FakeMachine machine{"C:\\WINDOWS", "bob"};
    for (const char* key : {"Software\\Tree\\A\\A1\\A1x", "Software\\Tree\\A\\A2", "Software\\Tree\\B"})
        machine.AddKey(RegistryRoot::currentUser, key);

    machine.DeleteKeyTree(RegistryRoot::currentUser, "Software\\Tree");

    const std::vector<std::string> order = {
        "HKCU\\Software\\Tree\\A\\A1\\A1x", "HKCU\\Software\\Tree\\A\\A1", "HKCU\\Software\\Tree\\A\\A2",
        "HKCU\\Software\\Tree\\A", "HKCU\\Software\\Tree\\B", "HKCU\\Software\\Tree",
    };
    EXPECT_EQ(machine.deletedKeys, order);
}

}  // namespace
}  // namespace scourwell::testing
