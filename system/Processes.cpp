// Process runner and environment queries.
#include <array>
#include <string>
#include <vector>

#include "system/Buffers.h"
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

void Win32SystemServices::RunAndWait(const std::string& commandLine, int windowStyle)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION started{};
    // CreateProcessA may write into the command line.
    std::vector<char> command(commandLine.begin(), commandLine.end());
    command.push_back('\0');
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
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
