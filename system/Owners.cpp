// File owners: read from the file's security descriptor and compared with the
// running user and the well-known accounts by their SIDs.
#include "system/Owners.h"

#include <aclapi.h>
#include <sddl.h>

#include <array>
#include <string_view>
#include <vector>

#include "system/Win32SystemServices.h"

namespace scourwell {
namespace {

// The TOKEN_USER of this process; empty when the token cannot be read.
std::vector<BYTE> RunningUser()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    const UniqueHandle ownedToken(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, user.data(), size, &size))
        return {};
    return user;
}

}  // namespace

Owner ClassifyOwner(PSID owner, PSID runningUser)
{
    if (owner == nullptr || !IsValidSid(owner))
        return Owner::unknown;
    if (runningUser != nullptr && IsValidSid(runningUser) && EqualSid(owner, runningUser))
        return Owner::runningUser;
    LPSTR text = nullptr;
    if (!ConvertSidToStringSidA(owner, &text))
        return Owner::unknown;
    const UniqueLocal ownedText(text);
    struct WellKnown {
        std::string_view sid;
        Owner owner;
    };
    static constexpr WellKnown kWellKnown[] = {
        {"S-1-5-32-544", Owner::administrators},
        {"S-1-5-18", Owner::system},
        {"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", Owner::trustedInstaller},
    };
    for (const WellKnown& account : kWellKnown)
        if (account.sid == text)
            return account.owner;
    return Owner::someoneElse;
}

Owner Win32SystemServices::FileOwner(const std::string& path)
{
    std::array<char, MAX_PATH> volume{};
    DWORD flags = 0;
    if (!GetVolumePathNameA(path.c_str(), volume.data(), volume.size()) ||
        !GetVolumeInformationA(volume.data(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
        return Owner::unknown;
    if ((flags & FILE_PERSISTENT_ACLS) == 0)
        return Owner::notKept;

    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                              nullptr, &descriptor) != ERROR_SUCCESS)
        return Owner::unknown;
    const UniqueLocal ownedDescriptor(descriptor);
    std::vector<BYTE> user = RunningUser();
    return ClassifyOwner(owner, user.empty() ? nullptr : reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
}

}  // namespace scourwell
