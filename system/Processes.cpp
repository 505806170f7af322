// Process runner and environment queries.
#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system/Buffers.h"
#include "system/SystemLibraries.h"
#include "system/Win32SystemServices.h"

namespace scourwell {

std::string Win32SystemServices::GetWindowsDir()
{
    std::array<char, 255> buffer{};
    const UINT length = GetWindowsDirectoryA(buffer.data(), buffer.size());
    // A length beyond the buffer is the size the directory would need: nothing
    // was written, so there is no directory to answer.
    if (length >= buffer.size()) {
        return {};
    }
    return std::string(buffer.data(), length);
}

std::string Win32SystemServices::CurrentUserName()
{
    std::array<char, 255> buffer;
    buffer.fill(' ');
    DWORD size = buffer.size() - 1;
    if (!GetUserNameA(buffer.data(), &size)) {
        return {};
    }
    std::optional<std::string> name = TextBeforeNul(std::string_view(buffer.data(), buffer.size()));
    if (!name) {
        return {};
    }
    if (!name->empty()) {
        CharUpperBuffA(name->data(), static_cast<DWORD>(name->size()));
    }
    return *name;
}

namespace {

// Program names are ASCII here; no locale is needed to compare them.
bool SameNameIgnoringCase(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

// "regsvr32" or "sc" when the command line starts that system program by its
// bare name.
std::optional<std::string_view> BareSystemProgram(const std::string& commandLine)
{
    const std::string_view program = std::string_view(commandLine).substr(0, commandLine.find(' '));
    for (const std::string_view name : {"regsvr32", "sc"})
        if (SameNameIgnoringCase(program, name))
            return name;
    return std::nullopt;
}

}  // namespace

void Win32SystemServices::RunAndWait(const std::string& commandLine, int windowStyle)
{
    // A bare name is looked for in this program's folder and the current
    // folder before the system's, so the system's programs go by full path;
    // they are not started at all when that path cannot be had.
    std::string program;  // empty: the command line's program is found by search
    if (const std::optional<std::string_view> name = BareSystemProgram(commandLine)) {
        const std::string folder = SystemFolder();
        if (folder.empty())
            return;
        program = folder + "\\" + std::string(*name) + ".exe";
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION started{};
    // CreateProcessA may write into the command line.
    std::vector<char> command(commandLine.begin(), commandLine.end());
    command.push_back('\0');
    if (!CreateProcessA(program.empty() ? nullptr : program.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &started)) {
        return;
    }
    // Holding the start's own handle until the wait is over keeps the identifier
    // from being reused, so the process opened by it is the one just started.
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    const UniqueHandle waitable(OpenProcess(SYNCHRONIZE, FALSE, started.dwProcessId));
    WaitForSingleObject(waitable ? waitable.get() : process.get(), INFINITE);
}

}  // namespace scourwell
