// The operations through which Scourwell touches the machine, and the
// contract every implementation keeps: the Win32 one (Win32SystemServices)
// and the in-memory machine the run is tested on. One table of cases,
// tests/contract/, holds both to it.
//
// The run reaches the registry, the file system, child processes and the
// environment only through this interface. This header is platform-neutral:
// only the Win32 implementation includes <windows.h>.
//
// Failures travel as returned values, never as exceptions: the caller decides
// to ignore each one on its own. Nothing here throws, except what the
// language itself may (running out of memory).
//
// Rules shared by the file operations:
// - Paths are absolute, with backslash separators, in the ANSI code page, as
//   the run composes them; names compare without regard to case.
// - Attributes: hidden and system entries are invisible to the probes;
//   read-only, archive and the other attributes never hide an entry.
// - A trailing separator: "X\" is the folder X for ClearAttributes and
//   DeleteFolder; the probes answer absent and DeleteMatching finds nothing
//   for it (a directory search does not take one). The run never composes one.
// - Links (symbolic links and junctions to folders): a wildcard never
//   reaches through one, and DeleteFolder never empties one's target. An
//   exact path is followed wherever the links on the way lead (the profile
//   paths pass through junctions on Windows Vista and later). The probes see
//   a link itself, which looks like a folder; a file link is deleted as a
//   link, never its target. Where a folder link cannot be removed as a link
//   (Wine cannot remove one at all), DeleteFolder fails before it has
//   deleted anything.
// - A file held open by another program without delete sharing: the probes
//   see it and its attributes can be cleared, but it cannot be deleted.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace scourwell {

// Outcome of an operation that acts on the machine.
enum class [[nodiscard]] Status {
    ok,
    notFound,  // nothing to act on: missing file, folder, pattern match
    failed,    // the target is there but could not be changed, or the call failed
};

// Answer of an existence probe. `unknown` means the question could not be
// asked at all (an invalid name, a drive that is not ready); it is not "absent".
enum class [[nodiscard]] Presence { absent, present, unknown };

enum class RegistryRoot { localMachine, currentUser };

// Who owns a file, as the file system records it.
enum class [[nodiscard]] Owner {
    notKept,           // the volume records no owners (FAT)
    runningUser,       // the account this program runs as
    administrators,    // the local Administrators group
    system,            // the operating system's own account, SYSTEM
    trustedInstaller,  // the account that owns the system's files from Vista on
    someoneElse,       // any other account or group
    unknown,           // no such file, or its owner cannot be read
};

// Values of the Win32 ShowWindow and MessageBox constants, kept here so the
// core stays free of <windows.h>.
inline constexpr int kWindowHidden = 0;  // SW_HIDE

enum class MessageStyle : unsigned {
    okOnly = 0,             // MB_OK
    okExclamation = 0x30,   // MB_OK | MB_ICONEXCLAMATION
};

inline constexpr std::string_view kApplicationTitle = "Scourwell";

class SystemServices {
public:
    virtual ~SystemServices() = default;

    // The Windows directory as the system reports it, without a trailing
    // backslash on a normal installation. Empty when the call fails or the
    // directory does not fit in 254 characters.
    virtual std::string GetWindowsDir() = 0;

    // The logon name, upper-cased with the locale's case mapping. Empty when
    // the name cannot be read.
    virtual std::string CurrentUserName() = 0;

    // Starts `commandLine` with the given ShowWindow style, in this process's
    // current folder, and waits without a time limit until it has ended. A
    // command line that names "regsvr32" or "sc" bare (any case) starts that
    // program from the system folder by its full path, never one found by the
    // search, which looks in this program's folder and the current folder
    // first; the command line itself is passed on unchanged. Any other
    // program is found by the usual search rules, and a batch file is
    // accepted as the program. A command that cannot be started is skipped
    // silently: nothing is reported either way, and the exit code is not read.
    virtual void RunAndWait(const std::string& commandLine, int windowStyle) = 0;

    // Who owns the file or folder at `path`. notKept, without looking for
    // the file, when its volume records no owners; unknown when there is no
    // such file or its owner cannot be read.
    virtual Owner FileOwner(const std::string& path) = 0;

    // Directory search with the folder filter: present for a folder or a plain
    // file that carries neither the hidden nor the system attribute; absent
    // when the entry or a folder on its path does not exist; unknown when the
    // search cannot be made at all (a wildcard in a folder name, a name too
    // long, a drive that is not ready).
    virtual Presence PathExists(const std::string& path) = 0;

    // Directory search with the normal filter: as PathExists, but a folder is
    // absent.
    virtual Presence FileExists(const std::string& path) = 0;

    // Sets the attributes of the file or folder to normal. notFound when there
    // is no such entry (or a folder on its path is missing); failed when the
    // attributes cannot be set.
    virtual Status ClearAttributes(const std::string& path) = 0;

    // Deletes every file matching `pattern`, whose last component may hold
    // "*" and "?" with the directory search's rules ("*.*" matches names with
    // and without a dot). Hidden and system files are deleted; folders never
    // are, nor anything inside one. notFound when no file matches (also when
    // the folder is missing); failed when a matching file could not be
    // deleted (read-only, held open): every other match is deleted all the
    // same. A wildcard pattern whose folder is a folder link fails and deletes
    // nothing.
    virtual Status DeleteMatching(const std::string& pattern) = 0;

    // Creates and holds the scripting file-system object, replacing any held
    // one. failed when it cannot be created (the scripting runtime missing,
    // COM not initialised on this thread); nothing is held afterwards then.
    virtual Status CreateFileSystemObject() = 0;

    // Removes the folder with everything in it, read-only, hidden and system
    // entries included, through the held scripting object. notFound when
    // there is no folder of that name (also when a file has it); failed when
    // no object is held (nothing changes), or when something in it cannot be
    // removed: then that entry and the folders above it stay, and which of
    // the other entries are gone is the platform's to decide (the scripting
    // runtime stops at its first error, in an order of its own). The run may
    // rely on the failure being reported, on nothing outside the folder
    // changing, and on nothing else.
    virtual Status DeleteFolder(const std::string& path) = 0;

    // Releases the held scripting object, if any. May be called again.
    virtual void ReleaseFileSystemObject() = 0;

    // True when the key opens with full access; a key that exists but cannot
    // be opened that way (a user without administrative rights under
    // HKEY_LOCAL_MACHINE, a key whose permissions allow reading only) answers
    // false, as does a missing key.
    virtual bool KeyExists(RegistryRoot root, const std::string& subKey) = 0;

    // Deletes the key and every key below it, children first; a trailing
    // backslash is ignored. A key that cannot be opened with full access
    // keeps what is below it, and it and the keys above it stay; every other
    // key of the tree goes. When the key's parent cannot be opened with full
    // access (or is missing), shows "Error opening parent key" once, after
    // the keys below the key have gone. A missing key under an openable
    // parent changes nothing and shows nothing; an empty path (the root
    // itself) deletes nothing. Reports nothing to the caller.
    virtual void DeleteKeyTree(RegistryRoot root, const std::string& keyPath) = 0;

    // An application-modal message box; returns when the user dismisses it.
    // Without a title (nullopt) the box carries the application's title.
    virtual void ShowMessage(const std::string& text, MessageStyle style,
                             std::optional<std::string> title) = 0;
};

}  // namespace scourwell
