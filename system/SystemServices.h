// The operations through which Scourwell touches the machine.
//
// The run reaches the registry, the file system, child processes and the
// environment only through this interface, so it can be exercised against an
// in-memory machine. This header is platform-neutral: only the Win32
// implementation (Win32SystemServices) includes <windows.h>.
//
// Failures travel as returned values, never as exceptions: the caller decides
// to ignore each one on its own.
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
    // backslash on a normal installation. Empty when the call fails.
    virtual std::string GetWindowsDir() = 0;

    // The logon name, upper-cased with the locale's case mapping. Empty when
    // the name cannot be read.
    virtual std::string CurrentUserName() = 0;

    // Starts `commandLine` with the given ShowWindow style and waits, without
    // a time limit, until it has ended. A command line that names "regsvr32"
    // or "sc" bare (any case) starts that program from the system folder by
    // its full path, never one found by the search, which looks in this
    // program's folder and the current folder first; the command line itself
    // is passed on unchanged. Any other program is found by the usual search
    // rules, and a batch file is accepted as the program. A command that
    // cannot be started is skipped silently: nothing is reported either way.
    virtual void RunAndWait(const std::string& commandLine, int windowStyle) = 0;

    // Who owns the file or folder at `path`. notKept, without looking for
    // the file, when its volume records no owners; unknown when there is no
    // such file or its owner cannot be read.
    virtual Owner FileOwner(const std::string& path) = 0;

    // Directory search with the folder filter: a folder or a plain file that
    // carries neither the hidden nor the system attribute.
    virtual Presence PathExists(const std::string& path) = 0;

    // Directory search with the normal filter: a file (never a folder) that
    // carries neither the hidden nor the system attribute.
    virtual Presence FileExists(const std::string& path) = 0;

    // Sets the file's attributes to normal. notFound when there is no such file.
    virtual Status ClearAttributes(const std::string& path) = 0;

    // Deletes every file matching `pattern`, whose last component may hold
    // "*" and "?". Never removes folders. notFound when nothing matches;
    // failed when a matching file could not be deleted.
    virtual Status DeleteMatching(const std::string& pattern) = 0;

    // Creates and holds the scripting file-system object. Nothing is held
    // after a failure.
    virtual Status CreateFileSystemObject() = 0;

    // Removes the folder with everything in it, read-only entries included,
    // through the held scripting object. failed when no object is held.
    virtual Status DeleteFolder(const std::string& path) = 0;

    // Releases the held scripting object, if any.
    virtual void ReleaseFileSystemObject() = 0;

    // True when the key opens with full access; a key that exists but cannot
    // be opened that way answers false.
    virtual bool KeyExists(RegistryRoot root, const std::string& subKey) = 0;

    // Deletes the key and every key below it, children first. Shows
    // "Error opening parent key" when the parent cannot be opened; reports
    // nothing to the caller.
    virtual void DeleteKeyTree(RegistryRoot root, const std::string& keyPath) = 0;

    // An application-modal message box; returns when the user dismisses it.
    // Without a title the box carries the application's title.
    virtual void ShowMessage(const std::string& text, MessageStyle style,
                             std::optional<std::string> title = std::nullopt) = 0;
};

}  // namespace scourwell
