#include "Machine.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include "system/Handles.h"

namespace acceptance {

using scourwell::UniqueHandle;

namespace {

struct ServiceTraits {
    using Value = SC_HANDLE;
    static SC_HANDLE empty() noexcept { return nullptr; }
    static void close(SC_HANDLE handle) noexcept { CloseServiceHandle(handle); }
};
using UniqueService = scourwell::UniqueResource<ServiceTraits>;

}  // namespace

bool ServiceExists(const std::string& name)
{
    UniqueService manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        ADD_FAILURE() << "cannot open the service manager";
        return false;
    }
    return static_cast<bool>(UniqueService(OpenServiceA(manager.get(), name.c_str(), SERVICE_QUERY_STATUS)));
}

std::vector<std::string> ModulesOf(DWORD processId)
{
    std::vector<std::string> modules;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot list the modules of process " << processId;
        return modules;
    }
    const UniqueHandle owned(snapshot);
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry))
        modules.emplace_back(entry.szExePath);
    return modules;
}

}  // namespace acceptance
