// An in-memory Windows for the run: files and folders with attributes, a
// registry tree, and a transcript of every operation in the order it was
// asked for. It honours the SystemServices contract the way the Win32
// implementation does (case-insensitive names, hidden and system entries
// invisible to the probes, read-only files refused by a plain delete), and
// has switches to make any operation fail.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "scan/ScanView.h"
#include "system/SystemServices.h"

namespace scourwell::testing {

inline constexpr unsigned kReadOnly = 0x1;
inline constexpr unsigned kHidden = 0x2;
inline constexpr unsigned kSystem = 0x4;

// Case-insensitive ordering, as Windows compares file and key names.
struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const;
};

class FakeMachine : public SystemServices {
public:
    FakeMachine(std::string windowsDir, std::string logonName);

    // Set-up. Files and folders create their parent folders; keys create
    // their parent keys.
    void AddFile(const std::string& path, unsigned attributes = 0);
    void AddFolder(const std::string& path, unsigned attributes = 0);
    void AddKey(RegistryRoot root, const std::string& path);

    // Files and folders are the running user's unless set otherwise.
    void SetOwner(const std::string& path, Owner owner);

    bool HasEntry(const std::string& path) const;
    // The entry's attributes; nothing when there is no such entry.
    std::optional<unsigned> AttributesOf(const std::string& path) const;
    bool HasKey(RegistryRoot root, const std::string& path) const;

    // A file held open without delete sharing: deleting it fails.
    std::set<std::string, NoCase> lockedFiles;
    // Without administrative rights HKEY_LOCAL_MACHINE keys do not open with
    // full access.
    bool administrator = true;
    // Keys whose permissions allow reading only ("HKLM\path", "HKCU\path").
    std::set<std::string, NoCase> readOnlyKeys;
    // Every key DeleteKeyTree removed, in the order it removed them.
    std::vector<std::string> deletedKeys;
    // Like a FAT volume, the file system can record no owners.
    bool ownersKept = true;
    // Called for every started command line, after it is recorded.
    std::function<void(const std::string& commandLine)> onRun;

    // Operations named here fail: statuses report failure, probes cannot
    // answer, queries come back empty. With `throwing` they throw instead,
    // as an unexpected failure would.
    std::set<std::string> failing;
    bool throwing = false;

    // Everything asked of the machine, and of the view sharing it, in order.
    std::vector<std::string> transcript;
    std::vector<std::string> messages;
    void Record(const std::string& line) { transcript.push_back(line); }

    std::string GetWindowsDir() override;
    std::string CurrentUserName() override;
    void RunAndWait(const std::string& commandLine, int windowStyle) override;
    Owner FileOwner(const std::string& path) override;
    Presence PathExists(const std::string& path) override;
    Presence FileExists(const std::string& path) override;
    Status ClearAttributes(const std::string& path) override;
    Status DeleteMatching(const std::string& pattern) override;
    Status CreateFileSystemObject() override;
    Status DeleteFolder(const std::string& path) override;
    void ReleaseFileSystemObject() override;
    bool KeyExists(RegistryRoot root, const std::string& subKey) override;
    void DeleteKeyTree(RegistryRoot root, const std::string& keyPath) override;
    void ShowMessage(const std::string& text, MessageStyle style,
                     std::optional<std::string> title) override;

private:
    struct Entry {
        bool folder;
        unsigned attributes;
        Owner owner = Owner::runningUser;
    };
    using Entries = std::map<std::string, Entry, NoCase>;

    // The entry `path` names, where "X\\" names the folder X.
    Entries::iterator FindEntry(const std::string& path);

    bool Fails(const std::string& operation);  // throws when throwing
    Presence Probe(const std::string& operation, const std::string& path, bool foldersCount);
    bool Opens(RegistryRoot root, const std::string& path) const;
    void DeleteKey(RegistryRoot root, const std::string& path);
    void DeleteSubkeys(RegistryRoot root, const std::string& path);
    std::vector<std::string> Subkeys(RegistryRoot root, const std::string& path) const;
    static std::string KeyName(RegistryRoot root, const std::string& path);

    std::string windowsDir_;
    std::string logonName_;
    bool fileSystemObject_ = false;
    Entries entries_;
    std::set<std::string, NoCase> keys_;  // "HKLM\path" or "HKCU\path"
};

// Matches a name against a pattern with "*" and "?" the way a directory
// search does ("*.*" also matches names without a dot).
bool WildcardMatch(const std::string& pattern, const std::string& name);

// The window as the run sees it, recording its changes in the machine's
// transcript.
class FakeView : public ScanView {
public:
    explicit FakeView(FakeMachine& machine) : machine_(machine) {}

    std::string caption = "Start Scan";
    bool label3Visible = true;
    bool logOutputVisible = false;
    std::string outputCaption = "This removal tool scans for and deletes the registry entries, "
                                "library files, and executables associated with the following malware:";
    std::vector<std::string> items;
    bool closed = false;

    std::string Command1Caption() const override { return caption; }
    void SetCommand1Caption(const std::string& text) override;
    void HideLabel3() override;
    void ShowLogOutput() override;
    void SetOutputCaption(const std::string& text) override;
    void ReportFinding(const std::string& text) override;
    void MarkNotRemoved(std::size_t index) override;
    void CloseWindow() override;

private:
    FakeMachine& machine_;
};

}  // namespace scourwell::testing
