// The in-memory machine, held to the contract.
#include "tests/contract/Contract.h"
#include "tests/core/FakeMachine.h"

namespace scourwell::contract {
namespace {

using testing::FakeMachine;

class FakeContractMachine : public ContractMachine {
public:
    FakeContractMachine()
    {
        machine_.AddFolder(Root());
        machine_.AddKey(RegistryRoot::currentUser, KeyRoot());
    }

    SystemServices& services() override { return machine_; }
    bool UnderWine() const override { return false; }
    std::vector<std::string> Messages() const override { return machine_.messages; }
    std::string Root() const override { return "C:\\CONTRACT"; }
    std::string KeyRoot() const override { return "Software\\ScourwellContract"; }

    void AddFolder(const std::string& path, unsigned attributes) override { machine_.AddFolder(path, attributes); }
    void AddFile(const std::string& path, unsigned attributes) override { machine_.AddFile(path, attributes); }
    void HoldOpen(const std::string& path) override { machine_.lockedFiles.insert(path); }
    void AddKey(const std::string& path) override { machine_.AddKey(RegistryRoot::currentUser, path); }
    void MakeReadOnly(const std::string& path) override { machine_.readOnlyKeys.insert("HKCU\\" + path); }

    std::optional<unsigned> Attributes(const std::string& path) const override { return machine_.AttributesOf(path); }
    bool HasKey(const std::string& path) const override { return machine_.HasKey(RegistryRoot::currentUser, path); }

private:
    FakeMachine machine_{"C:\\WINDOWS", "bob"};
};

}  // namespace

std::unique_ptr<ContractMachine> MakeContractMachine() { return std::make_unique<FakeContractMachine>(); }

}  // namespace scourwell::contract
