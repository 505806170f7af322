// Every contract case on the machine this program links: seed, perform,
// compare with what the contract promises (or, where Wine is known to differ
// from Windows, with what Wine does).
#include <gtest/gtest.h>

#include "tests/contract/Contract.h"

namespace scourwell::contract {
namespace {

std::string Text(Presence presence)
{
    switch (presence) {
    case Presence::absent:
        return "absent";
    case Presence::present:
        return "present";
    case Presence::unknown:
        return "unknown";
    }
    return "?";
}

std::string Text(Status status)
{
    switch (status) {
    case Status::ok:
        return "ok";
    case Status::notFound:
        return "notFound";
    case Status::failed:
        return "failed";
    }
    return "?";
}

std::string Text(Owner owner)
{
    switch (owner) {
    case Owner::notKept:
        return "notKept";
    case Owner::runningUser:
        return "runningUser";
    case Owner::administrators:
        return "administrators";
    case Owner::system:
        return "system";
    case Owner::trustedInstaller:
        return "trustedInstaller";
    case Owner::someoneElse:
        return "someoneElse";
    case Owner::unknown:
        return "unknown";
    }
    return "?";
}

bool IsKeyOp(Op op) { return op == Op::KeyExists || op == Op::DeleteKeyTree; }

class Paths {
public:
    Paths(const ContractCase& c, const ContractMachine& machine)
        : root_(machine.Root()), keyRoot_(c.keysAtRoot ? std::string() : machine.KeyRoot())
    {
    }

    std::string Entry(const std::string& relative) const { return root_ + "\\" + relative; }
    std::string Key(const std::string& relative) const
    {
        if (keyRoot_.empty())
            return relative;
        return relative.empty() ? keyRoot_ : keyRoot_ + "\\" + relative;
    }

private:
    std::string root_;
    std::string keyRoot_;
};

void Plant(const ContractCase& c, const Paths& at, ContractMachine& machine)
{
    // Keys are made read-only last: nothing could be made below them after.
    for (const Seed& seed : c.seeds) {
        switch (seed.kind) {
        case Seed::file:
            machine.AddFile(at.Entry(seed.path), seed.attributes);
            break;
        case Seed::heldFile:
            machine.AddFile(at.Entry(seed.path), seed.attributes);
            machine.HoldOpen(at.Entry(seed.path));
            break;
        case Seed::folder:
            machine.AddFolder(at.Entry(seed.path), seed.attributes);
            break;
        case Seed::key:
        case Seed::readOnlyKey:
            machine.AddKey(at.Key(seed.path));
            break;
        }
    }
    for (const Seed& seed : c.seeds) {
        if (seed.kind == Seed::readOnlyKey)
            machine.MakeReadOnly(at.Key(seed.path));
    }
}

std::string Perform(const ContractCase& c, const Paths& at, ContractMachine& machine)
{
    SystemServices& services = machine.services();
    const std::string path = IsKeyOp(c.op) ? at.Key(c.argument) : at.Entry(c.argument);
    switch (c.op) {
    case Op::PathExists:
        return Text(services.PathExists(path));
    case Op::FileExists:
        return Text(services.FileExists(path));
    case Op::ClearAttributes:
        return Text(services.ClearAttributes(path));
    case Op::DeleteMatching:
        return Text(services.DeleteMatching(path));
    case Op::DeleteFolder: {
        const Status created = services.CreateFileSystemObject();
        EXPECT_EQ(Text(created), "ok") << "cannot create the scripting object";
        const Status deleted = services.DeleteFolder(path);
        services.ReleaseFileSystemObject();
        return Text(deleted);
    }
    case Op::DeleteFolderWithoutObject:
        return Text(services.DeleteFolder(path));
    case Op::DeleteFolderAfterRelease:
        EXPECT_EQ(Text(services.CreateFileSystemObject()), "ok") << "cannot create the scripting object";
        services.ReleaseFileSystemObject();
        return Text(services.DeleteFolder(path));
    case Op::FileOwner:
        return Text(services.FileOwner(path));
    case Op::KeyExists:
        return services.KeyExists(c.root, path) ? "true" : "false";
    case Op::DeleteKeyTree:
        services.DeleteKeyTree(c.root, path);
        return "";
    }
    return "?";
}

}  // namespace

// Names a case in test output by its name, not its bytes.
void PrintTo(const ContractCase& c, std::ostream* out) { *out << c.name; }

namespace {

class SystemServicesContract : public ::testing::TestWithParam<ContractCase> {};

TEST_P(SystemServicesContract, Holds)
{
    const ContractCase& c = GetParam();
    const std::unique_ptr<ContractMachine> machine = MakeContractMachine();
    const Paths at(c, *machine);
    Plant(c, at, *machine);
    if (HasFatalFailure())
        return;

    const std::string answer = Perform(c, at, *machine);

    const bool pinnedToWine = machine->UnderWine() && c.underWine.has_value();
    const ::testing::ScopedTrace trace(__FILE__, __LINE__,
                                       pinnedToWine ? "Wine's outcome, not Windows': " + c.wineDiffers
                                                    : std::string("the contract's outcome"));
    const Outcome& expected = pinnedToWine ? *c.underWine : c.expected;
    EXPECT_EQ(answer, expected.answer);
    const bool keys = IsKeyOp(c.op);
    const auto there = [&](const std::string& relative) {
        return keys ? machine->HasKey(at.Key(relative)) : machine->Attributes(at.Entry(relative)).has_value();
    };
    for (const std::string& kept : expected.kept)
        EXPECT_TRUE(there(kept)) << "should still be there: " << kept;
    for (const std::string& gone : expected.gone)
        EXPECT_FALSE(there(gone)) << "should be gone: " << gone;
    for (const std::string& cleared : expected.cleared) {
        const std::optional<unsigned> attributes = machine->Attributes(at.Entry(cleared));
        ASSERT_TRUE(attributes.has_value()) << cleared;
        EXPECT_EQ(*attributes & (kReadOnly | kHidden | kSystem), 0u) << "attributes left on " << cleared;
    }
    EXPECT_EQ(machine->Messages(), expected.messages);
}

INSTANTIATE_TEST_SUITE_P(Case, SystemServicesContract, ::testing::ValuesIn(ContractCases()),
                         [](const ::testing::TestParamInfo<ContractCase>& param) { return param.param.name; });

}  // namespace
}  // namespace scourwell::contract
