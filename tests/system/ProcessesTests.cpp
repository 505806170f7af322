// Process runner and environment queries under Wine.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "system/Buffers.h"
#include "tests/system/SystemTestSupport.h"

namespace scourwell::testing {
namespace {

std::string Environment(const char* name)
{
    char value[512] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length < sizeof value ? std::string(value, length) : std::string();
}

TEST(Environment, WindowsDirIsThePrefixsWindowsFolder)
{
    Win32SystemServices services;
    const std::string windowsDir = services.GetWindowsDir();

    EXPECT_EQ(windowsDir, Environment("SystemRoot"));
    EXPECT_NE(windowsDir.back(), '\\');
    EXPECT_TRUE(Attributes(windowsDir) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(Environment, UserNameIsTheLogonNameUpperCased)
{
    const std::string logon = Environment("USERNAME");
    ASSERT_FALSE(logon.empty());
    std::string expected = logon;
    for (char& c : expected) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (expected == logon) {
        GTEST_SKIP() << "the logon name " << logon << " has nothing to upper-case";
    }
    Win32SystemServices services;
    EXPECT_EQ(services.CurrentUserName(), expected) << "logon name " << logon;
}

TEST(Buffers, TextEndsAtTheFirstNul)
{
    using namespace std::string_view_literals;
    struct Row {
        std::string_view buffer;
        std::optional<std::string> text;
    };
    const Row rows[] = {
        {"root\0   "sv, "root"},
        {"a\0b\0"sv, "a"},
        {"\0name"sv, ""},
        {"    "sv, std::nullopt},
        {""sv, std::nullopt},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(TextBeforeNul(row.buffer), row.text) << "buffer of " << row.buffer.size();
    }
}

class RunAndWaitTest : public ::testing::Test {
protected:
    // The prefix's C:\ is shared with the other tests: both files go at the end.
    void SetUp() override
    {
        ASSERT_FALSE(Exists(kBatch)) << "left over by another run";
        DeleteFileA(kMark);
    }
    void TearDown() override
    {
        DeleteFileA(kBatch);
        DeleteFileA(kMark);
    }

    static constexpr const char* kBatch = "c:\\delete.bat";
    static constexpr const char* kMark = "C:\\scourwell-mark.txt";
    Win32SystemServices services;
};

// How many processes have been in `job`, this one included.
DWORD ProcessesIn(const UniqueHandle& job)
{
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    if (!QueryInformationJobObject(job.get(), JobObjectBasicAccountingInformation, &accounting, sizeof accounting,
                                   nullptr)) {
        ADD_FAILURE() << "cannot read the job's accounting";
    }
    return accounting.TotalProcesses;
}

// Nothing stands in for a command that cannot be started: no interpreter,
// no shell, nothing at all.
TEST_F(RunAndWaitTest, ACommandThatCannotStartStartsNothing)
{
    // Every process this test program starts from now on joins the job.
    const UniqueHandle job(CreateJobObjectA(nullptr, nullptr));
    ASSERT_TRUE(job);
    ASSERT_TRUE(AssignProcessToJobObject(job.get(), GetCurrentProcess()));
    const DWORD before = ProcessesIn(job);

    services.RunAndWait(kBatch, kWindowHidden);
    services.RunAndWait("C:\\no such folder\\tool.exe /x", kWindowHidden);
    EXPECT_EQ(ProcessesIn(job), before) << "something was started for a missing command";

    services.RunAndWait("cmd /c exit", kWindowHidden);
    EXPECT_EQ(ProcessesIn(job), before + 1) << "the job does not see what is started";
}

TEST_F(RunAndWaitTest, ReturnsOnlyOnceTheCommandHasEnded)
{
    struct Row {
        const char* batch;  // written to c:\delete.bat first when not null
        std::string commandLine;
    };
    const Row rows[] = {
        // Sleeps about a second, then leaves the mark.
        {"@ping -n 2 127.0.0.1 >nul\r\n@echo done>C:\\scourwell-mark.txt\r\n", kBatch},
        // A bare program name, found by the usual search.
        {nullptr, std::string("cmd /c ping -n 2 127.0.0.1 >nul & echo done>") + kMark},
    };
    for (const Row& row : rows) {
        if (row.batch != nullptr) {
            ASSERT_TRUE(WriteFile(kBatch, row.batch));
        }
        services.RunAndWait(row.commandLine, kWindowHidden);

        EXPECT_TRUE(Exists(kMark)) << row.commandLine;
        DeleteFileA(kBatch);
        DeleteFileA(kMark);
    }
}

}  // namespace
}  // namespace scourwell::testing
