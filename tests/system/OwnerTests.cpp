// File owners as the Win32 services read them under Wine, and the accounts
// told apart by their SIDs.
//
// Wine records no owner of its own for a file: it answers the prefix's user
// for every file, and setting another owner succeeds without changing that
// answer. Other owners are therefore checked on SIDs built here.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <ostream>
#include <string>

#include "system/Owners.h"
#include "tests/system/SystemTestSupport.h"

namespace scourwell {

void PrintTo(Owner owner, std::ostream* out)
{
    static const char* const kNames[] = {"notKept",     "runningUser", "administrators", "system",
                                         "trustedInstaller", "someoneElse", "unknown"};
    *out << kNames[static_cast<int>(owner)];
}

namespace testing {
namespace {

TEST(FileOwner, FileMadeHereIsTheRunningUsersAndAMissingOneIsUnknown)
{
    ScratchFolder folder("owner");
    ASSERT_TRUE(WriteFile(folder / "delete.bat", "@echo off\r\n"));
    Win32SystemServices services;

    EXPECT_EQ(services.FileOwner(folder / "delete.bat"), Owner::runningUser);
    EXPECT_EQ(services.FileOwner(folder / ""), Owner::runningUser);
    EXPECT_EQ(services.FileOwner(folder / "missing.bat"), Owner::unknown);
    EXPECT_EQ(services.FileOwner(folder / "missing\\delete.bat"), Owner::unknown);
}

// A SID from its string form, freed at the end of the test.
class Sid {
public:
    explicit Sid(const char* text)
    {
        PSID sid = nullptr;
        EXPECT_TRUE(ConvertStringSidToSidA(text, &sid)) << text;
        sid_.reset(sid);
    }
    explicit Sid(WELL_KNOWN_SID_TYPE type)
    {
        DWORD size = SECURITY_MAX_SID_SIZE;
        sid_.reset(LocalAlloc(LMEM_FIXED, size));
        EXPECT_TRUE(CreateWellKnownSid(type, nullptr, sid_.get(), &size)) << "well-known SID " << type;
    }
    PSID get() const { return sid_.get(); }

private:
    UniqueLocal sid_;
};

TEST(FileOwner, AccountsAreToldApartByTheirSids)
{
    const char* const ordinaryAccount = "S-1-5-21-1004336348-1177238915-682003330-1001";
    const Sid runningUser(ordinaryAccount);
    struct Row {
        const char* name;
        Sid owner;
        Owner expected;
    };
    const Row rows[] = {
        {"the running user", Sid(ordinaryAccount), Owner::runningUser},
        {"Administrators", Sid(WinBuiltinAdministratorsSid), Owner::administrators},
        {"SYSTEM", Sid(WinLocalSystemSid), Owner::system},
        {"TrustedInstaller", Sid("S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"),
         Owner::trustedInstaller},
        {"another account of the same machine", Sid("S-1-5-21-1004336348-1177238915-682003330-1002"),
         Owner::someoneElse},
        {"Users", Sid(WinBuiltinUsersSid), Owner::someoneElse},
        {"Everyone", Sid(WinWorldSid), Owner::someoneElse},
        {"LOCAL SERVICE", Sid(WinLocalServiceSid), Owner::someoneElse},
        {"a service account one digit off TrustedInstaller",
         Sid("S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478465"), Owner::someoneElse},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ClassifyOwner(row.owner.get(), runningUser.get()), row.expected) << row.name;

    EXPECT_EQ(ClassifyOwner(nullptr, runningUser.get()), Owner::unknown);
    // Without a known running user, the user's own file is anybody's.
    EXPECT_EQ(ClassifyOwner(runningUser.get(), nullptr), Owner::someoneElse);
}

}  // namespace
}  // namespace testing
}  // namespace scourwell
