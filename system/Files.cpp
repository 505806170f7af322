// File side of the system services: the directory-search probes, attributes,
// deletion by name or pattern, and the scripting file-system object.
#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "system/Links.h"
#include "system/Win32SystemServices.h"

namespace scourwell {
namespace {

// The three attributes the old directory-search filter looks at.
constexpr DWORD kFilteredAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
constexpr DWORD kNormalFilter = 0;
constexpr DWORD kDirectoryFilter = FILE_ATTRIBUTE_DIRECTORY;

// The scripting runtime's "path not found" error.
constexpr HRESULT kPathNotFound = static_cast<HRESULT>(0x800A004C);

struct Entry {
    std::string name;
    DWORD attributes;
    DWORD reparseTag;  // meaningful only for a reparse point
};

bool IsDotEntry(const std::string& name)
{
    return name == "." || name == "..";
}

bool MeansNothingFound(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_NO_MORE_FILES;
}

// Every entry the platform's search returns for `pattern`. notFound when it
// returns none, failed when the search cannot be made at all.
Status FindEntries(const std::string& pattern, std::vector<Entry>& entries)
{
    // Zeroed, because Wine leaves the reparse tag as it finds it.
    WIN32_FIND_DATAA data{};
    const UniqueFind find(FindFirstFileA(pattern.c_str(), &data));
    if (!find) {
        return MeansNothingFound(GetLastError()) ? Status::notFound : Status::failed;
    }
    do {
        entries.push_back({data.cFileName, data.dwFileAttributes, data.dwReserved0});
    } while (FindNextFileA(find.get(), &data));
    return Status::ok;
}

Presence Probe(const std::string& path, DWORD admitted)
{
    std::vector<Entry> entries;
    switch (FindEntries(path, entries)) {
    case Status::notFound:
        return Presence::absent;
    case Status::failed:
        return Presence::unknown;
    case Status::ok:
        break;
    }
    for (const Entry& entry : entries) {
        if ((entry.attributes & kFilteredAttributes & ~admitted) == 0 && !entry.name.empty()) {
            return Presence::present;
        }
    }
    return Presence::absent;
}

// Where the entries found for `pattern` live: everything up to and including
// the last separator.
std::string FolderOf(const std::string& pattern)
{
    const auto separator = pattern.find_last_of("\\/:");
    return separator == std::string::npos ? std::string() : pattern.substr(0, separator + 1);
}

// A path without trailing separators, except where that would change what it
// names (a drive root).
std::string WithoutTrailingSeparators(std::string path)
{
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/') &&
           path[path.size() - 2] != ':') {
        path.pop_back();
    }
    return path;
}

bool IsLink(const Entry& entry)
{
    return IsLinkEntry(entry.attributes, entry.reparseTag);
}

bool IsFolderLink(const std::string& folder)
{
    std::vector<Entry> entries;
    return FindEntries(WithoutTrailingSeparators(folder), entries) == Status::ok && entries.size() == 1 &&
           IsLink(entries.front());
}

bool IsDirectory(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Removes every folder link below `folder` as a link, without following any.
// False when the tree cannot be read or a link cannot be removed that way.
bool RemoveFolderLinksBelow(const std::string& folder)
{
    std::vector<Entry> entries;
    if (FindEntries(folder + "\\*", entries) == Status::failed) {
        return false;
    }
    for (const Entry& entry : entries) {
        if (IsDotEntry(entry.name) || !IsDirectory(entry.attributes)) {
            continue;
        }
        const std::string path = folder + "\\" + entry.name;
        if (IsLink(entry) ? !RemoveDirectoryA(path.c_str()) : !RemoveFolderLinksBelow(path)) {
            return false;
        }
    }
    return true;
}

UniqueBstr AnsiToBstr(const std::string& text)
{
    const int size = static_cast<int>(text.size());
    const int length =
        size == 0 ? 0 : MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (length == 0 && size != 0) {
        return {};
    }
    UniqueBstr result(SysAllocStringLen(nullptr, static_cast<UINT>(length)));
    if (result && length != 0) {
        MultiByteToWideChar(CP_ACP, 0, text.data(), size, result.get(), length);
    }
    return result;
}

Status InvokeDeleteFolder(IDispatch& object, const std::string& path)
{
    std::wstring methodName = L"DeleteFolder";
    LPOLESTR names[] = {methodName.data()};
    DISPID method = 0;
    if (FAILED(object.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &method))) {
        return Status::failed;
    }
    UniqueBstr folder = AnsiToBstr(path);
    if (!folder) {
        return Status::failed;
    }
    // Automation passes arguments last first: the method sees (folder, force).
    std::array<UniqueVariant, 2> arguments;
    static_assert(sizeof(UniqueVariant) == sizeof(VARIANTARG));
    arguments[1].get()->vt = VT_BSTR;
    arguments[1].get()->bstrVal = folder.release();
    arguments[0].get()->vt = VT_BOOL;
    arguments[0].get()->boolVal = VARIANT_TRUE;
    DISPPARAMS parameters{reinterpret_cast<VARIANTARG*>(arguments.data()), nullptr, 2, 0};

    UniqueVariant result;
    UniqueExcepInfo exception;
    UINT badArgument = 0;
    const HRESULT invoked = object.Invoke(method, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                          &parameters, result.get(), exception.get(), &badArgument);
    if (SUCCEEDED(invoked)) {
        return Status::ok;
    }
    HRESULT error = invoked;
    if (invoked == DISP_E_EXCEPTION) {
        EXCEPINFO& info = *exception.get();
        if (info.pfnDeferredFillIn != nullptr) {
            info.pfnDeferredFillIn(&info);
        }
        error = info.scode;
    }
    return error == kPathNotFound ? Status::notFound : Status::failed;
}

}  // namespace

Win32SystemServices::~Win32SystemServices() = default;

Presence Win32SystemServices::PathExists(const std::string& path)
{
    return Probe(path, kDirectoryFilter);
}

Presence Win32SystemServices::FileExists(const std::string& path)
{
    return Probe(path, kNormalFilter);
}

Status Win32SystemServices::ClearAttributes(const std::string& path)
{
    if (SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL)) {
        return Status::ok;
    }
    // No entry has an invalid name, such as a file's with a separator after it.
    const DWORD error = GetLastError();
    return MeansNothingFound(error) || error == ERROR_INVALID_NAME ? Status::notFound : Status::failed;
}

Status Win32SystemServices::DeleteMatching(const std::string& pattern)
{
    const std::string folder = FolderOf(pattern);
    const bool wildcard = pattern.find_first_of("*?", folder.size()) != std::string::npos;
    // A pattern inside a folder link would delete the files of the link's target.
    if (wildcard && !folder.empty() && IsFolderLink(folder)) {
        return Status::failed;
    }
    std::vector<Entry> entries;
    if (const Status found = FindEntries(pattern, entries); found != Status::ok) {
        return found;
    }
    bool matched = false;
    bool deletedAll = true;
    for (const Entry& entry : entries) {
        // Folders stay, folder links included; a file link goes as a link.
        if (IsDirectory(entry.attributes)) {
            continue;
        }
        matched = true;
        if (!DeleteFileA((folder + entry.name).c_str())) {
            deletedAll = false;
        }
    }
    if (!matched) {
        return Status::notFound;
    }
    return deletedAll ? Status::ok : Status::failed;
}

Status Win32SystemServices::CreateFileSystemObject()
{
    fileSystemObject_.reset();
    CLSID fileSystemClass;
    if (FAILED(CLSIDFromProgID(L"Scripting.FileSystemObject", &fileSystemClass))) {
        return Status::failed;
    }
    ComPtr<IDispatch> created;
    if (FAILED(CoCreateInstance(fileSystemClass, nullptr, CLSCTX_SERVER, IID_IDispatch,
                                created.put()))) {
        return Status::failed;
    }
    fileSystemObject_ = std::move(created);
    return Status::ok;
}

// The scripting object follows folder links and would empty their targets, so
// the tree is freed of links first, each removed as a link; a link that cannot
// be removed that way stops the deletion before the object is called.
Status Win32SystemServices::DeleteFolder(const std::string& path)
{
    if (!fileSystemObject_) {
        return Status::failed;
    }
    const std::string target = WithoutTrailingSeparators(path);
    std::vector<Entry> entries;
    if (const Status found = FindEntries(target, entries); found != Status::ok) {
        return found;
    }
    const std::string parent = FolderOf(target);
    bool folderLeft = false;
    bool linkRemoved = false;
    for (const Entry& entry : entries) {
        if (IsDotEntry(entry.name) || !IsDirectory(entry.attributes)) {
            continue;
        }
        const std::string folder = parent + entry.name;
        if (IsLink(entry)) {
            if (!RemoveDirectoryA(folder.c_str())) {
                return Status::failed;
            }
            linkRemoved = true;
        } else if (!RemoveFolderLinksBelow(folder)) {
            return Status::failed;
        } else {
            folderLeft = true;
        }
    }
    if (!folderLeft) {
        return linkRemoved ? Status::ok : Status::notFound;
    }
    return InvokeDeleteFolder(*fileSystemObject_.get(), target);
}

void Win32SystemServices::ReleaseFileSystemObject()
{
    fileSystemObject_.reset();
}

}  // namespace scourwell
