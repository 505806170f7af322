#include "tests/system/SystemTestSupport.h"

#include <gtest/gtest.h>
#include <objbase.h>

namespace scourwell::testing {
namespace {

// The program initialises COM once at start-up; the tests do the same.
class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

[[maybe_unused]] ::testing::Environment* const comEnvironment =
    ::testing::AddGlobalTestEnvironment(new ComEnvironment);

const std::string kScratchRoot = "C:\\scourwell-tests";

}  // namespace

bool UnderWine()
{
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool Exists(const std::string& path)
{
    return Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

DWORD Attributes(const std::string& path)
{
    return GetFileAttributesA(path.c_str());
}

void MakeFile(const std::string& path, const std::string& content, DWORD attributes)
{
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
}

void MakeFolder(const std::string& path, DWORD attributes)
{
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
    if (attributes != FILE_ATTRIBUTE_NORMAL) {
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
    }
}

void RemoveTree(const std::string& path)
{
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        DeleteFileA(path.c_str());
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        WIN32_FIND_DATAA entry;
        const HANDLE find = FindFirstFileA((path + "\\*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            std::vector<std::string> names;
            do {
                const std::string name = entry.cFileName;
                if (name != "." && name != "..") {
                    names.push_back(name);
                }
            } while (FindNextFileA(find, &entry));
            FindClose(find);
            for (const std::string& name : names) {
                RemoveTree(path + "\\" + name);
            }
        }
    }
    RemoveDirectoryA(path.c_str());
}

ScratchFolder::ScratchFolder(const std::string& name) : path_(kScratchRoot + "\\" + name)
{
    CreateDirectoryA(kScratchRoot.c_str(), nullptr);
    RemoveTree(path_);
    MakeFolder(path_);
}

ScratchFolder::~ScratchFolder()
{
    RemoveTree(path_);
    RemoveDirectoryA(kScratchRoot.c_str());  // only once the last one is gone
}

std::string ScratchFolder::operator/(const std::string& relative) const
{
    return relative.empty() ? path_ : path_ + "\\" + relative;
}

}  // namespace scourwell::testing
