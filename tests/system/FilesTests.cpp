// The file side against the real file system of the Wine prefix.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "tests/system/SystemTestSupport.h"

namespace scourwell::testing {
namespace {

constexpr DWORD kReadOnly = FILE_ATTRIBUTE_READONLY;
constexpr DWORD kHidden = FILE_ATTRIBUTE_HIDDEN;
constexpr DWORD kSystem = FILE_ATTRIBUTE_SYSTEM;

std::string Name(Presence presence)
{
    switch (presence) {
    case Presence::absent:
        return "absent";
    case Presence::present:
        return "present";
    case Presence::unknown:
        return "unknown";
    }
    return "?";
}

TEST(FileProbes, AnswerThroughTheOldSearchFilter)
{
    const ScratchFolder folder("probes");
    MakeFile(folder / "plain.txt");
    MakeFolder(folder / "folder");
    MakeFile(folder / "readonly.txt", "x", kReadOnly);
    MakeFile(folder / "hidden.txt", "x", kHidden);
    MakeFolder(folder / "hiddenfolder", kHidden);
    MakeFile(folder / "system.dll", "x", kSystem);
    MakeFile(folder / "archived.txt", "x", FILE_ATTRIBUTE_ARCHIVE);

    struct Row {
        std::string path;
        Presence path_exists;
        Presence file_exists;
    };
    const Row rows[] = {
        {"plain.txt", Presence::present, Presence::present},
        {"folder", Presence::present, Presence::absent},
        {"readonly.txt", Presence::present, Presence::present},
        {"archived.txt", Presence::present, Presence::present},
        {"hidden.txt", Presence::absent, Presence::absent},
        {"hiddenfolder", Presence::absent, Presence::absent},
        {"system.dll", Presence::absent, Presence::absent},
        {"missing.txt", Presence::absent, Presence::absent},
        {"nofolder\\plain.txt", Presence::absent, Presence::absent},
        // Searches that cannot be made at all: a wildcard in a folder name,
        // a name beyond the ANSI path limit.
        {"*\\plain.txt", Presence::unknown, Presence::unknown},
        {std::string(300, 'n'), Presence::unknown, Presence::unknown},
    };
    Win32SystemServices services;
    for (const Row& row : rows) {
        const std::string path = folder / row.path;
        EXPECT_EQ(Name(services.PathExists(path)), Name(row.path_exists)) << row.path;
        EXPECT_EQ(Name(services.FileExists(path)), Name(row.file_exists)) << row.path;
    }
}

TEST(ClearAttributes, LeavesOnlyTheNormalAttribute)
{
    const ScratchFolder folder("attributes");
    MakeFile(folder / "locked.exe", "x", kReadOnly | kHidden | kSystem);
    Win32SystemServices services;

    EXPECT_EQ(services.ClearAttributes(folder / "locked.exe"), Status::ok);
    EXPECT_EQ(Attributes(folder / "locked.exe") & (kReadOnly | kHidden | kSystem), 0u);
    EXPECT_TRUE(DeleteFileA((folder / "locked.exe").c_str())) << "read-only still set";

    EXPECT_EQ(services.ClearAttributes(folder / "locked.exe"), Status::notFound);
    EXPECT_EQ(services.ClearAttributes(folder / "nofolder\\locked.exe"), Status::notFound);
}

TEST(DeleteMatching, StarDotStarRemovesEveryFileButNoFolder)
{
    const ScratchFolder folder("matching");
    for (const char* name : {"a.txt", "noext", "two.dots.dll", "hidden.exe"}) {
        MakeFile(folder / name);
    }
    SetFileAttributesA((folder / "hidden.exe").c_str(), kHidden);
    MakeFolder(folder / "sub");
    MakeFile(folder / "sub\\inner.txt");
    Win32SystemServices services;

    EXPECT_EQ(services.DeleteMatching(folder / "*.*"), Status::ok);

    for (const char* name : {"a.txt", "noext", "two.dots.dll", "hidden.exe"}) {
        EXPECT_FALSE(Exists(folder / name)) << name;
    }
    EXPECT_TRUE(Exists(folder / "sub\\inner.txt"));
    EXPECT_EQ(services.DeleteMatching(folder / "*.*"), Status::notFound) << "only a folder left";
}

TEST(DeleteMatching, ExactNameRemovesThatFileOnly)
{
    const ScratchFolder folder("exact");
    MakeFile(folder / "nail.exe");
    MakeFile(folder / "nail.exe.bak");
    MakeFolder(folder / "tdtb.exe");
    Win32SystemServices services;

    EXPECT_EQ(services.DeleteMatching(folder / "nail.exe"), Status::ok);
    EXPECT_FALSE(Exists(folder / "nail.exe"));
    EXPECT_TRUE(Exists(folder / "nail.exe.bak"));

    EXPECT_EQ(services.DeleteMatching(folder / "tdtb.exe"), Status::notFound) << "a folder";
    EXPECT_TRUE(Exists(folder / "tdtb.exe"));
}

TEST(DeleteMatching, FailsWhenNothingMatchesOrAFileStays)
{
    const ScratchFolder folder("nomatch");
    MakeFile(folder / "keep.txt");
    Win32SystemServices services;

    EXPECT_EQ(services.DeleteMatching(folder / "*.zzz"), Status::notFound);
    EXPECT_EQ(services.DeleteMatching(folder / "nofolder\\*.*"), Status::notFound);
    EXPECT_EQ(services.DeleteMatching(folder / "missing.exe"), Status::notFound);
    EXPECT_TRUE(Exists(folder / "keep.txt"));

    // A read-only file cannot be deleted; the others still are.
    MakeFile(folder / "locked.txt", "x", kReadOnly);
    EXPECT_EQ(services.DeleteMatching(folder / "*.txt"), Status::failed);
    EXPECT_TRUE(Exists(folder / "locked.txt"));
    EXPECT_FALSE(Exists(folder / "keep.txt"));
}

class DeleteFolderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(services.CreateFileSystemObject(), Status::ok); }

    ScratchFolder folder{"folders"};
    Win32SystemServices services;
};

TEST_F(DeleteFolderTest, RemovesReadOnlyFilesAndNestedFolders)
{
    MakeFolder(folder / "EliteToolBar");
    MakeFile(folder / "EliteToolBar\\bar.dll", "x", kReadOnly);
    MakeFolder(folder / "EliteToolBar\\skins");
    MakeFile(folder / "EliteToolBar\\skins\\blue.bmp", "x", kReadOnly | kHidden);
    MakeFolder(folder / "EliteToolBar\\skins\\empty");
    MakeFolder(folder / "EliteToolBarNeighbour");

    EXPECT_EQ(services.DeleteFolder(folder / "EliteToolBar"), Status::ok);
    EXPECT_FALSE(Exists(folder / "EliteToolBar"));
    EXPECT_TRUE(Exists(folder / "EliteToolBarNeighbour"));
}

TEST_F(DeleteFolderTest, FailsOnAMissingFolder)
{
    EXPECT_EQ(services.DeleteFolder(folder / "browserxtras"), Status::notFound);
    EXPECT_EQ(services.DeleteFolder(folder / "nofolder\\browserxtras"), Status::notFound);
}

TEST_F(DeleteFolderTest, FailsWithoutTheScriptingObject)
{
    MakeFolder(folder / "WinTools");
    MakeFile(folder / "WinTools\\tool.exe");

    services.ReleaseFileSystemObject();
    EXPECT_EQ(services.DeleteFolder(folder / "WinTools"), Status::failed);
    EXPECT_TRUE(Exists(folder / "WinTools\\tool.exe"));

    Win32SystemServices neverCreated;
    EXPECT_EQ(neverCreated.DeleteFolder(folder / "WinTools"), Status::failed);
    EXPECT_TRUE(Exists(folder / "WinTools\\tool.exe"));

    ASSERT_EQ(services.CreateFileSystemObject(), Status::ok);
    EXPECT_EQ(services.DeleteFolder(folder / "WinTools"), Status::ok);
    EXPECT_FALSE(Exists(folder / "WinTools"));
}

TEST_F(DeleteFolderTest, TakesTheFolderNameInTheAnsiCodePage)
{
    ASSERT_EQ(GetACP(), 1252u) << "the name below is written for Windows-1252";
    const std::string name = folder / "Caf\xE9 \x80uro";  // U+00E9, then U+20AC (not U+0080)
    MakeFolder(name);
    MakeFile(name + "\\inside.txt");

    EXPECT_EQ(services.DeleteFolder(name), Status::ok);
    EXPECT_FALSE(Exists(name));
}

// On a thread without COM the creation fails, as it does where the scripting
// runtime is missing; the object created before must not stay held.
TEST_F(DeleteFolderTest, NothingIsHeldAfterAFailedCreation)
{
    MakeFolder(folder / "WinTools");
    Status created = Status::ok;
    std::thread([&] { created = services.CreateFileSystemObject(); }).join();

    EXPECT_EQ(created, Status::failed);
    EXPECT_EQ(services.DeleteFolder(folder / "WinTools"), Status::failed);
    EXPECT_TRUE(Exists(folder / "WinTools"));
}

}  // namespace
}  // namespace scourwell::testing
