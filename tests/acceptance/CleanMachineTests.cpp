// A clean machine reporting itself as Windows XP, 7 and 10: the run finds
// nothing, says so, and ends on "Done", whatever the version.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Machine.h"
#include "Seed.h"
#include "tests/e2e/driver/Driver.h"

namespace acceptance {
namespace {

using scourwell::e2e::FindControl;
using scourwell::e2e::ScourwellProcess;

constexpr const char* kWineKey = "Software\\Wine";

// Wine takes the version it reports from this value when a process starts;
// the value the prefix had is put back afterwards.
class ReportedVersion {
public:
    explicit ReportedVersion(const std::string& version) : previous_(ReadValue(HKEY_CURRENT_USER, kWineKey, "Version"))
    {
        EXPECT_TRUE(SetValue(HKEY_CURRENT_USER, kWineKey, "Version", RegistryValue::Text(version)));
    }
    ~ReportedVersion()
    {
        if (previous_)
            SetValue(HKEY_CURRENT_USER, kWineKey, "Version", *previous_);
        else
            DeleteValue(HKEY_CURRENT_USER, kWineKey, "Version");
    }
    ReportedVersion(const ReportedVersion&) = delete;
    ReportedVersion& operator=(const ReportedVersion&) = delete;

private:
    std::optional<RegistryValue> previous_;
};

// What the command interpreter, started now, says the system is.
std::string VersionSeenByNewProcesses(const std::string& scratch)
{
    EXPECT_TRUE(Run("cmd /c ver > \"" + scratch + "\""));
    std::string text = ReadFile(scratch);
    RemoveTree(scratch);
    return text;
}

struct VersionCase {
    const char* wineVersion;
    const char* announces;  // what "ver" prints for it
};

class CleanMachine : public testing::TestWithParam<VersionCase> {};

TEST_P(CleanMachine, FindsNothingAndSaysSo)
{
    ASSERT_FALSE(Exists(Bases{}.winTools)) << "the machine is not clean";
    ReportedVersion reported(GetParam().wineVersion);
    ASSERT_NE(VersionSeenByNewProcesses(SystemDrive() + "\\scourwell-ver.txt").find(GetParam().announces),
              std::string::npos)
        << "the prefix does not report " << GetParam().wineVersion;

    // Windows NT has no RunServices key; Wine makes one for its own use.
    const RemovedKey noRunServices(HKEY_LOCAL_MACHINE, kRunServicesKey);
    ASSERT_TRUE(noRunServices.removed());

    ScourwellProcess app(ScourwellProcess::DefaultPath());
    ASSERT_TRUE(app.WaitForWindow());
    const HWND list = FindControl(app.window(), "ListBox");
    const HWND targetNames = FindControl(app.window(), "Static",
                                         "WinTools, WinToolsA.exe, WinToolsS.exe, SpecialGoods.info, Newgenlook.info, "
                                         "and Nail.exe (Aurora)");
    ASSERT_NE(list, nullptr) << "no list of findings";
    ASSERT_NE(targetNames, nullptr) << "no target names";
    const auto boxes = app.RunScan();
    ASSERT_TRUE(boxes) << "the run did not reach Done";
    // The WinTools row under RunServices has no parent key to open, and says so once.
    ASSERT_EQ(boxes->size(), 1u);
    EXPECT_EQ(boxes->front().text, "Error opening parent key");
    EXPECT_EQ(boxes->front().title, "Scourwell");

    EXPECT_NE(FindControl(app.window(), "Static", "Scanning Complete. No malware was found on your system."), nullptr);
    EXPECT_FALSE(IsWindowVisible(list)) << "the list shows on a clean machine";
    EXPECT_FALSE(IsWindowVisible(targetNames)) << "the target names still show";
    scourwell::e2e::Click(app.Button("Done"));
    EXPECT_TRUE(app.WaitForExit());
}

INSTANTIATE_TEST_SUITE_P(Versions, CleanMachine,
                         testing::Values(VersionCase{"winxp", "Windows 5.1."}, VersionCase{"win7", "Windows 6.1."},
                                         VersionCase{"win10", "Windows 10.0."}),
                         [](const testing::TestParamInfo<VersionCase>& version) { return version.param.wineVersion; });

}  // namespace
}  // namespace acceptance
