// Where libraries come from once the program has restricted the search, and
// how the restriction copes with a kernel32 that lacks the newer function.
// A restriction cannot be lifted again within a process; CTest runs each case
// in a process of its own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "system/SystemLibraries.h"
#include "tests/system/SystemTestSupport.h"

namespace scourwell::testing {
namespace {

// What the kernel32 of some Windows version offers, and what was asked of it.
struct FakeKernel {
    bool hasSetDefaultDllDirectories = true;
    BOOL setDefaultDllDirectoriesResult = TRUE;
    bool hasSetDllDirectory = true;
    std::vector<std::string> calls;
};
FakeKernel kernel;

BOOL WINAPI RecordSetDefaultDllDirectories(DWORD flags)
{
    kernel.calls.push_back("SetDefaultDllDirectories " + std::to_string(flags));
    return kernel.setDefaultDllDirectoriesResult;
}

BOOL WINAPI RecordSetDllDirectoryA(LPCSTR path)
{
    kernel.calls.push_back(path == nullptr ? "SetDllDirectoryA null" : "SetDllDirectoryA \"" + std::string(path) + "\"");
    return TRUE;
}

template <typename Function>
FARPROC AsFarProc(Function function)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

FARPROC FakeLookup(const char* name)
{
    const std::string wanted = name;
    if (wanted == "SetDefaultDllDirectories" && kernel.hasSetDefaultDllDirectories)
        return AsFarProc(&RecordSetDefaultDllDirectories);
    if (wanted == "SetDllDirectoryA" && kernel.hasSetDllDirectory)
        return AsFarProc(&RecordSetDllDirectoryA);
    return nullptr;
}

TEST(LibrarySearch, UsesWhatKernel32Offers)
{
    struct Row {
        const char* system;
        FakeKernel offers;
        LibrarySearch result;
        std::vector<std::string> calls;
    };
    const Row rows[] = {
        {"Windows 8 and later", {true, TRUE, true, {}}, LibrarySearch::systemFolderOnly,
         {"SetDefaultDllDirectories 2048"}},  // LOAD_LIBRARY_SEARCH_SYSTEM32
        {"Windows XP, 7 without its update", {false, FALSE, true, {}}, LibrarySearch::withoutCurrentFolder,
         {"SetDllDirectoryA \"\""}},
        {"a refused restriction", {true, FALSE, true, {}}, LibrarySearch::withoutCurrentFolder,
         {"SetDefaultDllDirectories 2048", "SetDllDirectoryA \"\""}},
        {"neither function", {false, FALSE, false, {}}, LibrarySearch::unchanged, {}},
    };
    for (const Row& row : rows) {
        kernel = row.offers;
        EXPECT_EQ(RestrictLibrarySearch(&FakeLookup), row.result) << row.system;
        EXPECT_EQ(kernel.calls, row.calls) << row.system;
    }
}

std::string ExecutableFolder()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string full(path, length);
    return full.substr(0, full.find_last_of('\\'));
}

std::string ModulePath(HMODULE module)
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path, length);
}

// Copies of the planted library beside the test program and in a current
// folder of its own, each under a name not loaded before.
class PlantedLibraries : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string original = ExecutableFolder() + "\\" + PLANTED_LIBRARY;
        for (const char* name : {"planted-beside-1.dll", "planted-beside-2.dll"})
            Plant(original, ExecutableFolder() + "\\" + name);
        for (const char* name : {"planted-current-1.dll", "planted-current-2.dll"})
            Plant(original, current / name);
        GetCurrentDirectoryA(MAX_PATH, previousFolder);
        ASSERT_TRUE(SetCurrentDirectoryA((current / "").c_str()));
    }
    void TearDown() override
    {
        SetCurrentDirectoryA(previousFolder);
        for (HMODULE module : loaded)
            FreeLibrary(module);
        for (const std::string& path : planted)
            DeleteFileA(path.c_str());
    }

    void Plant(const std::string& from, const std::string& to)
    {
        ASSERT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << from << " to " << to;
        planted.push_back(to);
    }

    HMODULE Load(const char* name)
    {
        const HMODULE module = LoadLibraryA(name);
        if (module != nullptr)
            loaded.push_back(module);
        return module;
    }

    ScratchFolder current{"library-search"};
    char previousFolder[MAX_PATH] = {};
    std::vector<std::string> planted;
    std::vector<HMODULE> loaded;
};

TEST_F(PlantedLibraries, AreNotLoadedByNameOnceTheSearchIsRestricted)
{
    // Before: the usual search finds both places.
    ASSERT_NE(Load("planted-beside-1.dll"), nullptr);
    ASSERT_NE(Load("planted-current-1.dll"), nullptr);

    EXPECT_EQ(RestrictLibrarySearch(), LibrarySearch::systemFolderOnly);

    EXPECT_EQ(Load("planted-beside-2.dll"), nullptr);
    EXPECT_EQ(Load("planted-current-2.dll"), nullptr);
    const HMODULE comctl32 = LoadSystemLibrary("comctl32.dll");
    ASSERT_NE(comctl32, nullptr);
    EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, ModulePath(comctl32).c_str(), -1,
                             (SystemFolder() + "\\comctl32.dll").c_str(), -1),
              CSTR_EQUAL)
        << ModulePath(comctl32);
    EXPECT_EQ(LoadSystemLibrary("planted-beside-2.dll"), nullptr);
}

}  // namespace
}  // namespace scourwell::testing
