// The SystemServices contract as one table of cases, run against every
// implementation: the in-memory machine (native) and the Win32 services
// under Wine. Each case seeds a small state, performs one operation and
// states what the contract promises: its answer and what is left.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "system/SystemServices.h"

namespace scourwell::contract {

// Attribute bits as Win32 numbers them.
inline constexpr unsigned kReadOnly = 0x1;
inline constexpr unsigned kHidden = 0x2;
inline constexpr unsigned kSystem = 0x4;
inline constexpr unsigned kArchive = 0x20;

enum class Op {
    PathExists,
    FileExists,
    ClearAttributes,
    DeleteMatching,
    DeleteFolder,  // with the scripting object created first
    DeleteFolderWithoutObject,  // none ever created
    DeleteFolderAfterRelease,   // created, then released
    FileOwner,
    KeyExists,
    DeleteKeyTree,
};

// Entries are relative to the machine's scratch folder, keys to its scratch
// key under HKEY_CURRENT_USER (or to HKEY_CURRENT_USER itself, keysAtRoot).
struct Seed {
    enum Kind { file, folder, heldFile, key, readOnlyKey } kind = file;
    std::string path = {};
    unsigned attributes = 0;
};

struct Outcome {
    std::string answer = {};  // "present" / "absent" / "unknown", "ok" / "notFound" / "failed", "true" / "false", "" for none
    std::vector<std::string> kept = {};     // entries or keys still there afterwards
    std::vector<std::string> gone = {};     // entries or keys no longer there
    std::vector<std::string> cleared = {};  // entries left with none of the read-only, hidden and system attributes
    std::vector<std::string> messages = {};
};

struct ContractCase {
    std::string name = {};
    std::vector<Seed> seeds = {};
    Op op = Op::PathExists;
    std::string argument = {};
    Outcome expected = {};
    RegistryRoot root = RegistryRoot::currentUser;
    bool keysAtRoot = false;
    // Where Wine is known to answer otherwise than Windows: what it does, and why.
    std::optional<Outcome> underWine = std::nullopt;
    std::string wineDiffers = {};
};

const std::vector<ContractCase>& ContractCases();

// A machine a case runs on. Made afresh for each case; it takes away what
// the case left when it goes.
class ContractMachine {
public:
    virtual ~ContractMachine() = default;

    virtual SystemServices& services() = 0;
    virtual bool UnderWine() const = 0;
    virtual std::vector<std::string> Messages() const = 0;

    virtual std::string Root() const = 0;     // the scratch folder, no trailing separator
    virtual std::string KeyRoot() const = 0;  // the scratch key under HKEY_CURRENT_USER

    // Folders on the way are made too. A held file stays open without delete
    // sharing until the machine goes.
    virtual void AddFolder(const std::string& path, unsigned attributes) = 0;
    virtual void AddFile(const std::string& path, unsigned attributes) = 0;
    virtual void HoldOpen(const std::string& path) = 0;
    virtual void AddKey(const std::string& path) = 0;
    // Afterwards the key opens for reading but not with full access.
    virtual void MakeReadOnly(const std::string& path) = 0;

    virtual std::optional<unsigned> Attributes(const std::string& path) const = 0;  // nothing: no such entry
    virtual bool HasKey(const std::string& path) const = 0;
};

// Each test program links the machine it holds to the contract.
std::unique_ptr<ContractMachine> MakeContractMachine();

}  // namespace scourwell::contract
