// The Win32 services, held to the contract on the real file system and
// registry of the test prefix.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <set>

#include "system/Handles.h"
#include "tests/contract/Contract.h"
#include "tests/support/TestMachine.h"
#include "tests/system/SystemTestSupport.h"

namespace scourwell::contract {
namespace {

using scourwell::testing::CapturingServices;

const std::string kRoot = "C:\\scourwell-contract";
const std::string kKeyRoot = "Software\\ScourwellContract";

// Only keys of this name are ever made, or removed, at the root.
bool OursAtTheRoot(const std::string& top) { return top.rfind("ScourwellContract", 0) == 0; }

// Gives the key the permissions `sddl` describes; false when it cannot.
bool SetKeyPermissions(const std::string& path, const char* sddl)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    UniqueHkey key;
    const LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, key.put());
    const LONG set = opened == ERROR_SUCCESS ? RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor)
                                             : opened;
    LocalFree(descriptor);
    return set == ERROR_SUCCESS;
}

class Win32ContractMachine : public ContractMachine {
public:
    Win32ContractMachine()
    {
        support::RemoveTree(kRoot);
        support::DeleteKeyTree(HKEY_CURRENT_USER, kKeyRoot);
        support::MakeFolders(kRoot);
        support::CreateKey(HKEY_CURRENT_USER, kKeyRoot);
    }

    ~Win32ContractMachine() override
    {
        held_.clear();
        support::RemoveTree(kRoot);
        // The owner may always change the permissions back (if the key is still there).
        for (const std::string& path : readOnly_)
            SetKeyPermissions(path, "D:P(A;;KA;;;WD)");
        support::DeleteKeyTree(HKEY_CURRENT_USER, kKeyRoot);
        for (const std::string& top : topKeys_)
            support::DeleteKeyTree(HKEY_CURRENT_USER, top);
    }

    SystemServices& services() override { return services_; }
    bool UnderWine() const override { return support::UnderWine(); }
    std::vector<std::string> Messages() const override
    {
        std::vector<std::string> texts;
        for (const auto& message : services_.messages)
            texts.push_back(message.text);
        return texts;
    }
    std::string Root() const override { return kRoot; }
    std::string KeyRoot() const override { return kKeyRoot; }

    void AddFolder(const std::string& path, unsigned attributes) override
    {
        ASSERT_TRUE(support::MakeFolders(path)) << path;
        if (attributes != 0) {
            ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
        }
    }

    void AddFile(const std::string& path, unsigned attributes) override
    {
        ASSERT_TRUE(support::WriteFile(path, "x", attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes)) << path;
    }

    void HoldOpen(const std::string& path) override
    {
        UniqueFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file) << "cannot open " << path;
        held_.push_back(std::move(file));
    }

    void AddKey(const std::string& path) override
    {
        const std::string top = path.substr(0, path.find('\\'));
        if (path.rfind(kKeyRoot + "\\", 0) != 0) {
            ASSERT_TRUE(OursAtTheRoot(top)) << "not a test key: " << path;
            topKeys_.insert(top);
        }
        ASSERT_TRUE(support::SetValue(HKEY_CURRENT_USER, path, "Installed", support::RegistryValue::Text("seeded")))
            << path;
    }

    // Everyone may read the key, and no one may do more, its owner aside.
    void MakeReadOnly(const std::string& path) override
    {
        ASSERT_TRUE(SetKeyPermissions(path, "D:P(A;;KR;;;WD)")) << "cannot make " << path << " read-only";
        readOnly_.push_back(path);
    }

    std::optional<unsigned> Attributes(const std::string& path) const override
    {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return std::nullopt;
        return attributes;
    }

    bool HasKey(const std::string& path) const override { return support::KeyExists(HKEY_CURRENT_USER, path); }

private:
    CapturingServices services_;
    std::vector<UniqueFileHandle> held_;
    std::vector<std::string> readOnly_;
    std::set<std::string> topKeys_;
};

}  // namespace

std::unique_ptr<ContractMachine> MakeContractMachine() { return std::make_unique<Win32ContractMachine>(); }

}  // namespace scourwell::contract
