#include "tests/core/FakeMachine.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <stdexcept>

#include "scan/Module1.h"

namespace scourwell::testing {
namespace {

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool SameName(const std::string& a, const std::string& b) { return Upper(a) == Upper(b); }

std::string ParentOf(const std::string& path)
{
    const auto slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool IsDriveRoot(const std::string& path) { return path.size() == 2 && path[1] == ':'; }

bool IsBelow(const std::string& path, const std::string& folder)
{
    return path.size() > folder.size() + 1 && SameName(path.substr(0, folder.size()), folder) &&
           path[folder.size()] == '\\';
}

bool GlobMatch(const char* pattern, const char* name)
{
    if (*pattern == '\0')
        return *name == '\0';
    if (*pattern == '*')
        return GlobMatch(pattern + 1, name) || (*name != '\0' && GlobMatch(pattern, name + 1));
    if (*name == '\0')
        return false;
    if (*pattern != '?' && std::toupper(static_cast<unsigned char>(*pattern)) !=
                               std::toupper(static_cast<unsigned char>(*name)))
        return false;
    return GlobMatch(pattern + 1, name + 1);
}

}  // namespace

bool NoCase::operator()(const std::string& a, const std::string& b) const { return Upper(a) < Upper(b); }

bool WildcardMatch(const std::string& pattern, const std::string& name)
{
    if (GlobMatch(pattern.c_str(), name.c_str()))
        return true;
    // A trailing ".*" also matches a name with no extension at all.
    if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 &&
        name.find('.') == std::string::npos)
        return GlobMatch(pattern.substr(0, pattern.size() - 2).c_str(), name.c_str());
    return false;
}

FakeMachine::FakeMachine(std::string windowsDir, std::string logonName)
    : windowsDir_(std::move(windowsDir)), logonName_(std::move(logonName))
{
}

void FakeMachine::AddFolder(const std::string& path, unsigned attributes)
{
    const std::string parent = ParentOf(path);
    if (!parent.empty() && !IsDriveRoot(parent) && !HasEntry(parent))
        AddFolder(parent);
    entries_[path] = Entry{true, attributes};
}

void FakeMachine::AddFile(const std::string& path, unsigned attributes)
{
    const std::string parent = ParentOf(path);
    if (!IsDriveRoot(parent) && !HasEntry(parent))
        AddFolder(parent);
    entries_[path] = Entry{false, attributes};
}

void FakeMachine::AddKey(RegistryRoot root, const std::string& path)
{
    const std::string parent = ParentOf(path);
    if (!parent.empty())
        AddKey(root, parent);
    keys_.insert(KeyName(root, path));
}

void FakeMachine::SetOwner(const std::string& path, Owner owner) { entries_.at(path).owner = owner; }

bool FakeMachine::HasEntry(const std::string& path) const { return entries_.count(path) != 0; }

std::optional<unsigned> FakeMachine::AttributesOf(const std::string& path) const
{
    const auto found = entries_.find(path);
    if (found == entries_.end())
        return std::nullopt;
    return found->second.attributes;
}

FakeMachine::Entries::iterator FakeMachine::FindEntry(const std::string& path)
{
    if (path.size() > 1 && path.back() == '\\') {
        const auto folder = entries_.find(path.substr(0, path.size() - 1));
        return folder != entries_.end() && folder->second.folder ? folder : entries_.end();
    }
    return entries_.find(path);
}

bool FakeMachine::HasKey(RegistryRoot root, const std::string& path) const
{
    return keys_.count(KeyName(root, path)) != 0;
}

std::string FakeMachine::KeyName(RegistryRoot root, const std::string& path)
{
    return (root == RegistryRoot::localMachine ? "HKLM\\" : "HKCU\\") + path;
}

bool FakeMachine::Fails(const std::string& operation)
{
    if (failing.count(operation) == 0)
        return false;
    if (throwing)
        throw std::runtime_error(operation + " failed");
    return true;
}

std::string FakeMachine::GetWindowsDir()
{
    Record("GetWindowsDir");
    return Fails("GetWindowsDir") ? std::string() : windowsDir_;
}

std::string FakeMachine::CurrentUserName()
{
    Record("CurrentUserName");
    return Fails("CurrentUserName") ? std::string() : Upper(logonName_);
}

void FakeMachine::RunAndWait(const std::string& commandLine, int windowStyle)
{
    Record("RunAndWait [" + std::to_string(windowStyle) + "] " + commandLine);
    if (Fails("RunAndWait"))
        return;
    if (onRun)
        onRun(commandLine);
}

Owner FakeMachine::FileOwner(const std::string& path)
{
    Record("FileOwner " + path);
    if (Fails("FileOwner"))
        return Owner::unknown;
    if (!ownersKept)
        return Owner::notKept;
    const auto found = entries_.find(path);
    return found == entries_.end() ? Owner::unknown : found->second.owner;
}

Presence FakeMachine::Probe(const std::string& operation, const std::string& path, bool foldersCount)
{
    Record(operation + " " + path);
    // A wildcard in a folder name, or a name beyond the ANSI path limit, is no
    // search the platform can make.
    constexpr std::size_t kPathLimit = 259;
    const std::string folder = ParentOf(path);
    if (Fails(operation) || folder.find_first_of("*?") != std::string::npos || path.size() > kPathLimit)
        return Presence::unknown;
    const auto found = entries_.find(path);
    if (found == entries_.end() || (found->second.folder && !foldersCount) ||
        (found->second.attributes & (kHidden | kSystem)) != 0)
        return Presence::absent;
    return Presence::present;
}

Presence FakeMachine::PathExists(const std::string& path) { return Probe("PathExists", path, true); }

Presence FakeMachine::FileExists(const std::string& path) { return Probe("FileExists", path, false); }

Status FakeMachine::ClearAttributes(const std::string& path)
{
    Record("ClearAttributes " + path);
    if (Fails("ClearAttributes"))
        return Status::failed;
    const auto found = FindEntry(path);
    if (found == entries_.end())
        return Status::notFound;
    found->second.attributes = 0;
    return Status::ok;
}

Status FakeMachine::DeleteMatching(const std::string& pattern)
{
    Record("DeleteMatching " + pattern);
    if (Fails("DeleteMatching"))
        return Status::failed;
    const std::string folder = ParentOf(pattern);
    if (folder.empty())
        return Status::notFound;
    const std::string namePattern = pattern.substr(folder.size() + 1);
    std::vector<std::string> matches;
    for (const auto& [path, entry] : entries_)
        if (!entry.folder && SameName(ParentOf(path), folder) &&
            WildcardMatch(namePattern, path.substr(folder.size() + 1)))
            matches.push_back(path);
    if (matches.empty())
        return Status::notFound;
    Status status = Status::ok;
    for (const std::string& path : matches) {
        // A plain delete refuses read-only files and files held open.
        if ((entries_[path].attributes & kReadOnly) != 0 || lockedFiles.count(path) != 0)
            status = Status::failed;
        else
            entries_.erase(path);
    }
    return status;
}

Status FakeMachine::CreateFileSystemObject()
{
    Record("CreateFileSystemObject");
    if (Fails("CreateFileSystemObject"))
        return Status::failed;
    fileSystemObject_ = true;
    return Status::ok;
}

Status FakeMachine::DeleteFolder(const std::string& path)
{
    Record("DeleteFolder " + path);
    if (Fails("DeleteFolder") || !fileSystemObject_)
        return Status::failed;
    const auto found = FindEntry(path.size() > 1 && path.back() == '\\' ? path : path + "\\");
    if (found == entries_.end())
        return Status::notFound;
    const std::string folder = found->first;
    // Forced: read-only entries go too; only a file held open stays, and
    // with it the folders that contain it.
    bool blocked = false;
    for (auto it = entries_.begin(); it != entries_.end();) {
        const bool inside = SameName(it->first, folder) || IsBelow(it->first, folder);
        const bool keep = std::any_of(lockedFiles.begin(), lockedFiles.end(), [&](const std::string& locked) {
            return SameName(locked, it->first) || IsBelow(locked, it->first);
        });
        if (inside && keep && !it->second.folder)
            blocked = true;
        it = inside && !keep ? entries_.erase(it) : std::next(it);
    }
    return blocked ? Status::failed : Status::ok;
}

void FakeMachine::ReleaseFileSystemObject()
{
    Record("ReleaseFileSystemObject");
    fileSystemObject_ = false;
}

bool FakeMachine::Opens(RegistryRoot root, const std::string& path) const
{
    return HasKey(root, path) && (root == RegistryRoot::currentUser || administrator) &&
           readOnlyKeys.count(KeyName(root, path)) == 0;
}

// A key goes only once nothing is below it, as the registry insists, and
// only when its permissions allow deleting it.
void FakeMachine::DeleteKey(RegistryRoot root, const std::string& path)
{
    if (!HasKey(root, path) || !Subkeys(root, path).empty() || readOnlyKeys.count(KeyName(root, path)) != 0)
        return;
    keys_.erase(KeyName(root, path));
    deletedKeys.push_back(KeyName(root, path));
}

bool FakeMachine::KeyExists(RegistryRoot root, const std::string& subKey)
{
    Record("KeyExists " + KeyName(root, subKey));
    return !Fails("KeyExists") && Opens(root, subKey);
}

std::vector<std::string> FakeMachine::Subkeys(RegistryRoot root, const std::string& path) const
{
    const std::string parent = KeyName(root, path);
    std::vector<std::string> names;
    for (const std::string& key : keys_)
        if (IsBelow(key, parent) && key.find('\\', parent.size() + 1) == std::string::npos)
            names.push_back(key.substr(parent.size() + 1));
    return names;
}

void FakeMachine::DeleteSubkeys(RegistryRoot root, const std::string& path)
{
    if (!Opens(root, path))
        return;
    for (const std::string& name : Subkeys(root, path)) {
        const std::string child = path + "\\" + name;
        DeleteSubkeys(root, child);
        DeleteKey(root, child);
    }
}

void FakeMachine::DeleteKeyTree(RegistryRoot root, const std::string& keyPath)
{
    Record("DeleteKeyTree " + KeyName(root, keyPath));
    if (Fails("DeleteKeyTree"))
        return;
    std::string path = keyPath;
    if (!path.empty() && path.back() == '\\')
        path.pop_back();
    DeleteSubkeys(root, path);
    const std::string parent = ParentOf(path);
    if (!parent.empty() && !Opens(root, parent)) {
        ShowMessage("Error opening parent key", MessageStyle::okOnly, std::nullopt);
        return;
    }
    DeleteKey(root, path);
}

void FakeMachine::ShowMessage(const std::string& text, MessageStyle style, std::optional<std::string> title)
{
    Record("ShowMessage [" + std::to_string(static_cast<unsigned>(style)) + "] " +
           title.value_or(std::string(kApplicationTitle)) + ": " + text);
    messages.push_back(text);
}

void FakeView::SetCommand1Caption(const std::string& text)
{
    caption = text;
    machine_.Record("View SetCommand1Caption " + text);
}

void FakeView::HideLabel3()
{
    label3Visible = false;
    machine_.Record("View HideLabel3");
}

void FakeView::ShowLogOutput()
{
    logOutputVisible = true;
    machine_.Record("View ShowLogOutput");
}

void FakeView::SetOutputCaption(const std::string& text)
{
    outputCaption = text;
    machine_.Record("View SetOutputCaption " + text);
}

void FakeView::ReportFinding(const std::string& text)
{
    items.push_back(text);
    Module1::malwareFound = true;
    machine_.Record("View ReportFinding " + text);
}

void FakeView::MarkNotRemoved(std::size_t index)
{
    items.at(index) += kNotRemovedSuffix;
    machine_.Record("View MarkNotRemoved " + std::to_string(index));
}

void FakeView::CloseWindow()
{
    closed = true;
    machine_.Record("View CloseWindow");
}

}  // namespace scourwell::testing
