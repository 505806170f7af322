// The real Scourwell.exe, driven through its window, on a machine seeded the
// way the unwanted programs leave one. Under a 64-bit prefix the same
// scenario checks that the 32-bit program acts where redirection sends it and
// leaves the same names in the 64-bit views alone.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "AcceptanceMain.h"
#include "Machine.h"
#include "Seed.h"
#include "tests/e2e/driver/Driver.h"

namespace acceptance {
namespace {

using scourwell::e2e::FindControl;
using scourwell::e2e::ListItems;
using scourwell::e2e::MessageBoxInfo;
using scourwell::e2e::ScourwellProcess;

constexpr const char* kRemovedSentence =
    "Malware file(s) have been detected and are listed below. The files have been removed from your "
    "system.\r\n";
constexpr const char* kPartlyRemovedSentence =
    "Malware file(s) have been detected and are listed below. Some of them could not be removed from "
    "your system and are marked in the list.\r\n";
constexpr const char* kWinToolsLabel = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\...\\WinTools";

constexpr DWORD kReadOnly = FILE_ATTRIBUTE_READONLY;
constexpr DWORD kHidden = FILE_ATTRIBUTE_HIDDEN;
constexpr DWORD kSystem = FILE_ATTRIBUTE_SYSTEM;

// What one run showed when it had finished.
struct Outcome {
    std::vector<std::string> boxes;  // texts of the message boxes, in order
    std::vector<std::string> list;   // empty when the list stayed hidden
    bool listVisible = false;
    bool sentenceShown = false;      // the expected result sentence, exactly
    bool exitedAfterDone = false;
    std::vector<std::string> modules;  // loaded in the program when it had finished
};

// Start Scan, read the finished window, then Done. By default the built
// program runs in its own folder.
Outcome RunScourwell(const std::string& expectedSentence,
                     const std::string& program = ScourwellProcess::DefaultPath(),
                     std::optional<std::string> currentFolder = std::nullopt)
{
    Outcome outcome;
    ScourwellProcess app(program, std::move(currentFolder));
    EXPECT_TRUE(app.started());
    if (!app.WaitForWindow()) {
        ADD_FAILURE() << "no main window";
        return outcome;
    }
    const auto boxes = app.RunScan();
    if (!boxes) {
        ADD_FAILURE() << "the run did not reach Done";
        return outcome;
    }
    for (const MessageBoxInfo& box : *boxes) outcome.boxes.push_back(box.title + ": " + box.text);

    outcome.sentenceShown = FindControl(app.window(), "Static", expectedSentence) != nullptr;
    HWND list = FindControl(app.window(), "ListBox");
    outcome.listVisible = list != nullptr && IsWindowVisible(list);
    if (outcome.listVisible) outcome.list = ListItems(list).value_or(std::vector<std::string>{"<no answer>"});
    outcome.modules = ModulesOf(app.id());

    scourwell::e2e::Click(app.Button("Done"));
    outcome.exitedAfterDone = app.WaitForExit();
    return outcome;
}

// Every catalogued target, made the way the unwanted programs leave it, and a
// neighbour beside each that must survive. Answers the lines the run must
// list: the detection probes' texts in their order, for the targets a probe
// can see (hidden and system files it cannot; the removal rows still take
// them).
std::vector<std::string> SeedInfectedMachine(Seed& seed, const Bases& at)
{
    const std::string& windows = at.windows;

    seed.TargetFolder(at.winTools);
    seed.TargetLibrary(at.winTools + "\\wtoolsb.dll", kReadOnly);
    seed.TargetFile(at.winTools + "\\WinTools.exe", kReadOnly);
    seed.TargetFile(at.winTools + "\\data\\settings.ini", kReadOnly);
    seed.TargetFile(at.winTools + "\\data\\cache\\index.dat", kHidden);
    seed.TargetFolder(windows + "\\browserxtras");
    seed.TargetFile(windows + "\\browserxtras\\bx.dll", 0);
    seed.TargetFile(windows + "\\browserxtras\\README", 0);
    seed.TargetFile(windows + "\\browserxtras\\skins\\blue.skn", kReadOnly);
    seed.TargetFolder(windows + "\\EliteToolBar");
    seed.TargetFile(windows + "\\EliteToolBar\\etb.dll", kReadOnly | kHidden);
    seed.TargetFile(windows + "\\EliteToolBar\\lang\\en\\strings.txt", 0);
    seed.TargetLibrary(windows + "\\System32\\param32.dll", kReadOnly);
    seed.TargetLibrary(windows + "\\System\\param32.dll", kHidden);
    seed.TargetFile(windows + "\\nail.exe", kReadOnly);
    seed.TargetFile(windows + "\\tdtb.exe", kHidden);
    seed.TargetFile(windows + "\\svcproc.exe", kSystem);
    seed.TargetFile(windows + "\\System32\\DrPMon.dll", 0);
    seed.TargetFile(windows + "\\system32\\qzqnfn.exe", kReadOnly | FILE_ATTRIBUTE_ARCHIVE);
    seed.TargetFile(at.drive + "\\windows.exe", FILE_ATTRIBUTE_ARCHIVE);
    seed.TargetFile(at.profile + "\\Local Settings\\Temp\\toc_0032.exe", kReadOnly);
    seed.TargetFile(at.profile + "\\Local Settings\\Temp\\tp7543.exe", kHidden);
    seed.TargetFile(windows + "\\System32\\adlinstallwin32.exe", kHidden | kSystem);
    seed.TargetFile(at.drive + "\\adlinstallwin32.exe", kReadOnly);
    seed.TargetKey({HKEY_LOCAL_MACHINE, std::string(kRunKey) + "\\WinTools"});
    seed.TargetKey({HKEY_LOCAL_MACHINE, std::string(kRunServicesKey) + "\\WinTools"});
    seed.TargetKey({HKEY_CURRENT_USER, "Software\\Aurora"});
    seed.TargetService("SvcProc");

    for (const std::string& path : {
             at.drive + "\\Program Files\\Common Files\\WinToolsUpdate\\wtoolsb.dll",
             at.drive + "\\Program Files\\Common Files\\WinTools.txt",
             windows + "\\browserxtras2\\bx.dll",
             windows + "\\EliteToolBar.ini",
             windows + "\\System32\\param32.dll.bak",
             windows + "\\System\\param33.dll",
             windows + "\\nail.exe.bak",
             windows + "\\nails.exe",
             windows + "\\tdtb.ex",
             windows + "\\svcproc.exe.log",
             windows + "\\System32\\DrPMon.dl",
             windows + "\\system32\\qzqnfn.exe.old",
             windows + "\\System32\\adlinstallwin32.exe.bak",
             at.drive + "\\windows.exe.bak",
             at.drive + "\\adlinstallwin32.ex",
             at.profile + "\\Local Settings\\Temp\\toc_0033.exe",
             at.profile + "\\Local Settings\\Temp\\tp7543.exe.txt",
         })
        seed.NeighbourFile(path);
    seed.NeighbourValue({HKEY_LOCAL_MACHINE, kRunKey}, "WinTools");
    seed.NeighbourValue({HKEY_LOCAL_MACHINE, std::string(kRunKey) + "\\WinToolsHelper"}, "Path");
    seed.NeighbourValue({HKEY_LOCAL_MACHINE, std::string(kRunServicesKey) + "\\OtherService"}, "Path");
    seed.NeighbourValue({HKEY_LOCAL_MACHINE, "Software\\Aurora"}, "Path");
    seed.NeighbourValue({HKEY_CURRENT_USER, std::string(kRunKey) + "\\WinTools"}, "Path");
    seed.NeighbourValue({HKEY_CURRENT_USER, "Software\\AuroraSoft"}, "Path");
    seed.NeighbourValue({HKEY_CURRENT_USER, "Software\\Aurora2"}, "Path");
    seed.NeighbourService("SvcProcHelper");

    return {
        at.winTools,
        windows + "\\browserxtras",
        windows + "\\EliteToolBar",
        at.drive + "\\Windows\\System32\\param32.dll",
        windows + "\\nail.exe",
        windows + "\\System32\\DrPMon.dll",
        windows + "\\system32\\qzqnfn.exe",
        at.drive + "\\windows.exe",
        kWinToolsLabel,
        kWinToolsLabel,
        "HKEY_CURRENT_USER\\Software\\Aurora",
    };
}

// The same names in the 64-bit views, which a 32-bit program never sees.
void SeedNativeViews(Seed& seed)
{
    const std::string native = NativeSystemFolder();
    ASSERT_TRUE(Exists(native + "\\kernel32.dll")) << "no 64-bit system folder at " << native;
    for (const char* name : {"\\param32.dll", "\\DrPMon.dll", "\\qzqnfn.exe", "\\adlinstallwin32.exe"})
        seed.NeighbourFile(native + name);
    seed.NeighbourValue({HKEY_LOCAL_MACHINE, std::string(kRunKey) + "\\WinTools", KEY_WOW64_64KEY}, "Path");
    seed.NeighbourValue({HKEY_LOCAL_MACHINE, std::string(kRunServicesKey) + "\\WinTools", KEY_WOW64_64KEY}, "Path");
}

// "c:\delete.bat" looks at a target before and after a second's pause and
// writes what it saw: a run that did not wait for it would have removed the
// target by the time the batch looks again.
void SeedDeleteBatch(Seed& seed, const std::string& watchedTarget, const std::string& mark)
{
    const std::string look = "if exist \"" + watchedTarget + "\" (echo present>>\"" + mark + "\") else (echo absent>>\"" +
                             mark + "\")\r\n";
    seed.Leftover("c:\\delete.bat");
    seed.Leftover(mark);
    ASSERT_TRUE(WriteFile("c:\\delete.bat", "@echo off\r\n" + look + "ping -n 2 127.0.0.1 > nul\r\n" + look));
}

class InfectedMachine : public testing::Test {
protected:
    void SetUp() override
    {
        if (ExpectWow64()) {
            ASSERT_TRUE(RunningUnderWow64()) << "this test belongs in a 64-bit prefix";
        }
    }

    Bases at;
    Seed seed{TestLibraryPath()};
};

TEST_F(InfectedMachine, EveryTargetGoesEveryNeighbourStays)
{
    const std::vector<std::string> expected = SeedInfectedMachine(seed, at);
    if (RunningUnderWow64()) SeedNativeViews(seed);
    const std::string batchMark = at.drive + "\\delete-bat-saw.txt";
    SeedDeleteBatch(seed, at.winTools + "\\wtoolsb.dll", batchMark);
    if (HasFailure()) return;

    const Outcome outcome = RunScourwell(kRemovedSentence);

    EXPECT_EQ(outcome.boxes, std::vector<std::string>{}) << "every parent key exists";
    EXPECT_TRUE(outcome.listVisible);
    EXPECT_EQ(outcome.list, expected);
    EXPECT_TRUE(outcome.sentenceShown);
    EXPECT_TRUE(outcome.exitedAfterDone);
    EXPECT_EQ(ReadFile(batchMark), "present\r\npresent\r\n") << "the batch ran before the removal and was waited for";
    EXPECT_EQ(seed.LibrariesNotUnregistered(), std::vector<std::string>{});
    seed.ExpectTargetsGone();
    seed.ExpectNeighboursIntact();
}

// A file held open without delete sharing stays, is marked, and changes the
// sentence; once released, the next run takes it.
TEST_F(InfectedMachine, FileHeldOpenIsMarkedAndGoesOnceReleased)
{
    const std::string nail = at.windows + "\\nail.exe";
    seed.TargetFile(nail, kReadOnly);
    seed.TargetFile(at.drive + "\\windows.exe", 0);
    auto held = OpenFile(nail, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    ASSERT_TRUE(held);

    // A fresh prefix has no RunServices key: its WinTools row says so once.
    const bool runServicesMissing = !KeyExists(HKEY_LOCAL_MACHINE, kRunServicesKey);
    const std::vector<std::string> parentKeyBox =
        runServicesMissing ? std::vector<std::string>{"Scourwell: Error opening parent key"} : std::vector<std::string>{};

    Outcome first = RunScourwell(kPartlyRemovedSentence);
    EXPECT_EQ(first.boxes, parentKeyBox);
    EXPECT_EQ(first.list, (std::vector<std::string>{nail + " (not removed)", at.drive + "\\windows.exe"}));
    EXPECT_TRUE(first.sentenceShown);
    EXPECT_TRUE(first.exitedAfterDone);
    EXPECT_TRUE(Exists(nail));
    EXPECT_FALSE(Exists(at.drive + "\\windows.exe"));

    held.reset();
    Outcome second = RunScourwell(kRemovedSentence);
    EXPECT_EQ(second.list, std::vector<std::string>{nail});
    EXPECT_TRUE(second.sentenceShown);
    EXPECT_TRUE(second.exitedAfterDone);
    seed.ExpectTargetsGone();
}

// Started, as a rule, from a download folder where anything else downloaded
// lands too: programs there and in the current folder named like the system's
// (and a library named like comctl32) are never used, and the system's own
// programs still do the work.
TEST_F(InfectedMachine, NothingPlantedBesideItRuns)
{
    const std::string downloads = at.drive + "\\scourwell-downloads";
    const std::string current = at.drive + "\\scourwell-current";
    seed.OwnFolder(downloads);
    seed.OwnFolder(current);
    const std::string program = downloads + "\\Scourwell.exe";
    ASSERT_TRUE(CopyFileAs(ScourwellProcess::DefaultPath(), program, FILE_ATTRIBUTE_NORMAL));
    for (const std::string& folder : {downloads, current})
        for (const char* name : {"\\regsvr32.exe", "\\sc.exe", "\\cmd.exe"})
            ASSERT_TRUE(CopyFileAs(PlantedProgramPath(), folder + name, FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(CopyFileAs(TestLibraryPath(), downloads + "\\comctl32.dll", FILE_ATTRIBUTE_NORMAL));
    seed.TargetFolder(at.winTools);
    seed.TargetLibrary(at.winTools + "\\wtoolsb.dll", 0);
    seed.TargetService("SvcProc");
    const std::string batchMark = at.drive + "\\delete-bat-saw.txt";
    SeedDeleteBatch(seed, at.winTools + "\\wtoolsb.dll", batchMark);
    if (HasFailure()) return;

    const Outcome outcome = RunScourwell(kRemovedSentence, program, current);

    EXPECT_EQ(ValueNames(HKEY_CURRENT_USER, kPlantedStarts), std::vector<std::string>{}) << "planted programs ran";
    EXPECT_EQ(seed.LibrariesNotUnregistered(), std::vector<std::string>{});
    seed.ExpectTargetsGone();
    EXPECT_EQ(ReadFile(batchMark), "present\r\npresent\r\n") << "the batch file ran and was waited for";
    EXPECT_EQ(outcome.list, std::vector<std::string>{at.winTools});
    bool commonControlsLoaded = false;
    for (const std::string& module : outcome.modules) {
        const std::string lower = Lower(module);
        commonControlsLoaded = commonControlsLoaded || lower.ends_with("\\comctl32.dll");
        const bool fromPlantedFolder =
            lower.starts_with(Lower(downloads) + "\\") || lower.starts_with(Lower(current) + "\\");
        EXPECT_FALSE(fromPlantedFolder && lower != Lower(program)) << "loaded from a planted folder: " << module;
    }
    EXPECT_TRUE(commonControlsLoaded) << "the common controls were not initialised";
}

}  // namespace
}  // namespace acceptance
