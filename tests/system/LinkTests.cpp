// Deleting never reaches through a folder link. The links are made from the
// Unix side by links.sh before these tests run.
#include <gtest/gtest.h>

#include <string>

#include "system/Links.h"
#include "tests/system/SystemTestSupport.h"

namespace scourwell::testing {
namespace {

const std::string kRoot = "C:\\scourwell-links";

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Attributes(kRoot + "\\linked") & FILE_ATTRIBUTE_REPARSE_POINT)
            << "the folder links were not made (links.sh setup)";
        ASSERT_EQ(services.CreateFileSystemObject(), Status::ok);
    }

    static void ExpectCanaryIntact()
    {
        EXPECT_TRUE(Exists(kRoot + "\\canary\\one.txt"));
        EXPECT_TRUE(Exists(kRoot + "\\canary\\deep\\two.txt"));
    }

    Win32SystemServices services;
};

// Windows removes a folder link as a link, and the folder then goes with the
// scripting object. Wine cannot remove a folder link at all (RemoveDirectory
// fails on it), so there the deletion stops before the object is called and
// nothing is removed: what these tests pin.
TEST_F(LinkTest, DeleteFolderNeverEmptiesTheTargetOfALinkInside)
{
    const std::string holder = kRoot + "\\holder";
    const Status status = services.DeleteFolder(holder);

    ExpectCanaryIntact();
    if (UnderWine()) {
        EXPECT_EQ(status, Status::failed);
        EXPECT_TRUE(Exists(holder + "\\plain.txt"));
        EXPECT_TRUE(Exists(holder + "\\nested\\three.txt"));
    } else {
        EXPECT_EQ(status, Status::ok);
        EXPECT_FALSE(Exists(holder));
    }
}

TEST_F(LinkTest, DeleteFolderOnALinkRemovesAtMostTheLink)
{
    const Status status = services.DeleteFolder(kRoot + "\\linked");

    ExpectCanaryIntact();
    EXPECT_EQ(status, UnderWine() ? Status::failed : Status::ok);
    EXPECT_EQ(Exists(kRoot + "\\linked"), UnderWine());
}

TEST_F(LinkTest, DeleteMatchingNeverActsInsideALinkedFolder)
{
    EXPECT_EQ(services.DeleteMatching(kRoot + "\\linked\\*.*"), Status::failed);
    EXPECT_EQ(services.DeleteMatching(kRoot + "\\linked\\*.txt"), Status::failed);
    ExpectCanaryIntact();
}

TEST_F(LinkTest, DeleteMatchingLeavesAFolderLinkAlone)
{
    EXPECT_EQ(services.DeleteMatching(kRoot + "\\mixed\\*.*"), Status::ok);

    EXPECT_FALSE(Exists(kRoot + "\\mixed\\four.txt"));
    EXPECT_TRUE(Exists(kRoot + "\\mixed\\link"));
    ExpectCanaryIntact();
}

// Only entries that stand for another place are links; a reparse point of
// another kind is deleted like the file or folder it is.
TEST(LinkEntries, AreTheReparsePointsThatNameAnotherPlace)
{
    struct Row {
        const char* what;
        DWORD attributes;
        DWORD tag;
        bool link;
    };
    constexpr DWORD folder = FILE_ATTRIBUTE_DIRECTORY;
    constexpr DWORD reparse = FILE_ATTRIBUTE_REPARSE_POINT;
    const Row rows[] = {
        {"plain folder", folder, 0, false},
        {"plain folder, tag left over", folder, IO_REPARSE_TAG_SYMLINK, false},
        {"symbolic link", folder | reparse, IO_REPARSE_TAG_SYMLINK, true},
        {"junction", folder | reparse, IO_REPARSE_TAG_MOUNT_POINT, true},
        {"cloud placeholder folder", folder | reparse, 0x9000101A, false},
        {"deduplicated file", reparse, IO_REPARSE_TAG_DEDUP, false},
        {"no tag given (Wine)", folder | reparse, 0, true},
        {"another maker's tag", folder | reparse, 0x00001234, true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(IsLinkEntry(row.attributes, row.tag), row.link) << row.what;
    }
}

}  // namespace
}  // namespace scourwell::testing
