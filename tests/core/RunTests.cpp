// The whole run against the in-memory machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scan/Module1.h"
#include "scan/ScanRun.h"
#include "tests/core/FakeMachine.h"

namespace scourwell::testing {
namespace {

using Lines = std::vector<std::string>;
constexpr auto HKLM = RegistryRoot::localMachine;
constexpr auto HKCU = RegistryRoot::currentUser;

const std::string kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kRunServicesKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
const std::string kWinToolsDir = "C:\\Program Files\\Common Files\\WinTools";
const std::string kWinToolsLabel = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\...\\WinTools";
const std::string kAuroraLabel = "HKEY_CURRENT_USER\\Software\\Aurora";

// What a machine has before anything is installed on it. Like a current
// Windows, it has no RunServices key.
void MakeClean(FakeMachine& machine, const std::string& windowsDir)
{
    machine.AddFolder(windowsDir + "\\System32");
    machine.AddFolder(windowsDir + "\\System");
    machine.AddFolder("C:\\Program Files\\Common Files\\Microsoft Shared");
    machine.AddFolder("C:\\Documents and Settings\\alice\\Local Settings\\Temp");
    machine.AddKey(HKLM, kRunKey);
    machine.AddKey(HKCU, "Software\\Microsoft");
}

// Every target, left the way the unwanted programs leave them.
const Lines kTargetFiles = {
    kWinToolsDir + "\\wtoolsb.dll",
    kWinToolsDir + "\\readme",
    kWinToolsDir + "\\bin\\deep\\WinToolsA.exe",
    "C:\\WINDOWS\\browserxtras\\xtras.dll",
    "C:\\WINDOWS\\EliteToolBar\\bar.ini",
    "C:\\WINDOWS\\System32\\param32.dll",
    "C:\\WINDOWS\\System\\param32.dll",
    "C:\\WINDOWS\\nail.exe",
    "C:\\WINDOWS\\tdtb.exe",
    "C:\\WINDOWS\\svcproc.exe",
    "C:\\WINDOWS\\System32\\DrPMon.dll",
    "C:\\WINDOWS\\system32\\qzqnfn.exe",
    "C:\\windows.exe",
    "C:\\Documents and Settings\\alice\\Local Settings\\Temp\\toc_0032.exe",
    "C:\\Documents and Settings\\alice\\Local Settings\\Temp\\tp7543.exe",
    "C:\\WINDOWS\\System32\\adlinstallwin32.exe",
    "C:\\adlinstallwin32.exe",
};
const Lines kTargetFolders = {kWinToolsDir, "C:\\WINDOWS\\browserxtras", "C:\\WINDOWS\\EliteToolBar"};

// Near neighbours of the targets that must survive every run.
const Lines kNeighbourFiles = {
    "C:\\WINDOWS\\nail.exe.bak",
    "C:\\WINDOWS\\nail2.exe",
    "C:\\WINDOWS\\System32\\param33.dll",
    "C:\\WINDOWS\\System32\\DrPMon.dll.txt",
    "C:\\WINDOWS\\windows.exe",
    "C:\\Program Files\\Common Files\\WinTools2\\wtoolsb.dll",
    "C:\\Program Files\\Common Files\\Microsoft Shared\\ink.dll",
    "C:\\Documents and Settings\\alice\\Local Settings\\Temp\\toc_0033.exe",
};

void Infect(FakeMachine& machine)
{
    for (const std::string& file : kTargetFiles)
        machine.AddFile(file);
    machine.AddFile(kWinToolsDir + "\\locked.cfg", kReadOnly);
    machine.AddFile("C:\\WINDOWS\\tdtb.exe", kReadOnly);
    machine.AddFile("C:\\adlinstallwin32.exe", kReadOnly);
    machine.AddKey(HKLM, kRunKey + "\\WinTools");
    machine.AddKey(HKLM, kRunServicesKey + "\\WinTools");
    machine.AddKey(HKCU, "Software\\Aurora\\Settings\\Deep");
    machine.AddKey(HKCU, "Software\\Aurora\\Cache");
    for (const std::string& file : kNeighbourFiles)
        machine.AddFile(file);
    machine.AddKey(HKLM, kRunKey + "\\WinToolsHelper");
    machine.AddKey(HKCU, "Software\\AuroraSoft");
}

// Every finding, in the order the probes run.
const Lines kAllFindings = {
    kWinToolsDir,
    "C:\\WINDOWS\\browserxtras",
    "C:\\WINDOWS\\EliteToolBar",
    "C:\\Windows\\System32\\param32.dll",
    "C:\\Windows\\System\\param32.dll",
    "C:\\WINDOWS\\nail.exe",
    "C:\\WINDOWS\\tdtb.exe",
    "C:\\WINDOWS\\svcproc.exe",
    "C:\\WINDOWS\\System32\\DrPMon.dll",
    "C:\\WINDOWS\\system32\\qzqnfn.exe",
    "C:\\windows.exe",
    kWinToolsLabel,
    kWinToolsLabel,
    kAuroraLabel,
};

// The removal operations in a transcript, in order, without their arguments.
Lines RemovalOperations(const Lines& transcript)
{
    Lines operations;
    for (const std::string& line : transcript) {
        const std::string name = line.substr(0, line.find(' '));
        if (name == "RunAndWait" || name == "ClearAttributes" || name == "DeleteMatching" ||
            name == "DeleteFolder" || name == "DeleteKeyTree")
            operations.push_back(name);
    }
    return operations;
}

class RunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Module1::malwareFound = false;  // as the window's load handler leaves it
        MakeClean(machine, "C:\\WINDOWS");
    }

    void Run() { Command1_Click(view, machine); }

    void ExpectFinished() const
    {
        EXPECT_EQ(view.caption, "Done");
        EXPECT_FALSE(view.label3Visible);
        EXPECT_FALSE(view.closed);
        EXPECT_EQ(machine.transcript.back(), "ReleaseFileSystemObject");
    }

    FakeMachine machine{"C:\\WINDOWS", "alice"};
    FakeView view{machine};
};

TEST_F(RunTest, CleanMachineRunsEveryRowWithExactArgumentsInOrder)
{
    // A Windows directory not named "Windows", and a lower-case logon name.
    FakeMachine winnt{"C:\\WINNT", "alice"};
    MakeClean(winnt, "C:\\WINNT");
    FakeView winntView{winnt};

    Command1_Click(winntView, winnt);

    const Lines expected = {
        "GetWindowsDir",
        "GetWindowsDir",
        "FileOwner c:\\delete.bat",
        "CreateFileSystemObject",
        "PathExists C:\\Program Files\\Common Files\\WinTools",
        "PathExists C:\\WINNT\\browserxtras",
        "PathExists C:\\WINNT\\EliteToolBar",
        "FileExists C:\\Windows\\System32\\param32.dll",
        "FileExists C:\\Windows\\System\\param32.dll",
        "FileExists C:\\WINNT\\nail.exe",
        "FileExists C:\\WINNT\\tdtb.exe",
        "FileExists C:\\WINNT\\svcproc.exe",
        "FileExists C:\\WINNT\\System32\\DrPMon.dll",
        "FileExists C:\\WINNT\\system32\\qzqnfn.exe",
        "FileExists C:\\windows.exe",
        "KeyExists HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\WinTools",
        "KeyExists HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices\\WinTools",
        "KeyExists HKCU\\Software\\Aurora",
        "RunAndWait [0] regsvr32 /u /s \"C:\\Program Files\\Common Files\\WinTools\\wtoolsb.dll\"",
        "DeleteMatching C:\\Program Files\\Common Files\\WinTools\\*.*",
        "DeleteFolder C:\\Program Files\\Common Files\\WinTools",
        "DeleteKeyTree HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\WinTools",
        "DeleteKeyTree HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices\\WinTools",
        "ShowMessage [0] Scourwell: Error opening parent key",
        "RunAndWait [0] regsvr32 /u /s \"C:\\WINNT\\System32\\param32.dll\"",
        "RunAndWait [0] regsvr32 /u /s \"C:\\WINNT\\System\\param32.dll\"",
        "ClearAttributes C:\\WINNT\\System32\\param32.dll",
        "ClearAttributes C:\\WINNT\\System\\param32.dll",
        "DeleteMatching C:\\WINNT\\System32\\param32.dll",
        "DeleteMatching C:\\WINNT\\System\\param32.dll",
        "ClearAttributes C:\\WINNT\\nail.exe",
        "CurrentUserName",
        "ClearAttributes C:\\Documents and Settings\\ALICE\\Local Settings\\Temp\\toc_0032.exe",
        "CurrentUserName",
        "ClearAttributes C:\\Documents and Settings\\ALICE\\Local Settings\\Temp\\tp7543.exe",
        "ClearAttributes C:\\WINNT\\System32\\adlinstallwin32.exe",
        "ClearAttributes C:\\adlinstallwin32.exe",
        "ClearAttributes C:\\WINNT\\tdtb.exe",
        "ClearAttributes C:\\WINNT\\svcproc.exe",
        "ClearAttributes C:\\WINNT\\System32\\DrPMon.dll",
        "ClearAttributes C:\\WINNT\\system32\\qzqnfn.exe",
        "ClearAttributes C:\\windows.exe",
        "DeleteMatching C:\\WINNT\\nail.exe",
        "CurrentUserName",
        "DeleteMatching C:\\Documents and Settings\\ALICE\\Local Settings\\Temp\\toc_0032.exe",
        "CurrentUserName",
        "DeleteMatching C:\\Documents and Settings\\ALICE\\Local Settings\\Temp\\tp7543.exe",
        "DeleteMatching C:\\WINNT\\System32\\adlinstallwin32.exe",
        "DeleteMatching C:\\adlinstallwin32.exe",
        "DeleteMatching C:\\WINNT\\tdtb.exe",
        "DeleteMatching C:\\WINNT\\svcproc.exe",
        "DeleteMatching C:\\WINNT\\System32\\DrPMon.dll",
        "DeleteMatching C:\\WINNT\\system32\\qzqnfn.exe",
        "DeleteMatching C:\\windows.exe",
        "DeleteKeyTree HKCU\\Software\\Aurora",
        "RunAndWait [0] sc config SvcProc start= disabled /s",
        "RunAndWait [0] sc stop SvcProc /s",
        "RunAndWait [0] sc delete SvcProc /s",
        "DeleteMatching C:\\WINNT\\browserxtras\\*.*",
        "DeleteFolder C:\\WINNT\\browserxtras",
        "DeleteMatching C:\\WINNT\\EliteToolBar\\*.*",
        "DeleteFolder C:\\WINNT\\EliteToolBar",
        "View SetCommand1Caption Done",
        "View HideLabel3",
        "View SetOutputCaption Scanning Complete. No malware was found on your system.",
        "ReleaseFileSystemObject",
    };
    EXPECT_EQ(winnt.transcript, expected);
    EXPECT_FALSE(winntView.logOutputVisible);
    EXPECT_TRUE(winntView.items.empty());
    EXPECT_FALSE(Module1::malwareFound);
}

TEST_F(RunTest, InfectedMachineListsEveryFindingAndRemovesOnlyTheTargets)
{
    Infect(machine);

    Run();

    EXPECT_EQ(view.items, kAllFindings);
    ExpectFinished();
    EXPECT_TRUE(view.logOutputVisible);
    EXPECT_EQ(view.outputCaption,
              "Malware file(s) have been detected and are listed below. The files have been removed from "
              "your system.\r\n");
    for (const std::string& path : kTargetFiles)
        EXPECT_FALSE(machine.HasEntry(path)) << path;
    for (const std::string& path : kTargetFolders)
        EXPECT_FALSE(machine.HasEntry(path)) << path;
    EXPECT_FALSE(machine.HasKey(HKLM, kRunKey + "\\WinTools"));
    EXPECT_FALSE(machine.HasKey(HKLM, kRunServicesKey + "\\WinTools"));
    EXPECT_FALSE(machine.HasKey(HKCU, "Software\\Aurora"));

    for (const std::string& path : kNeighbourFiles)
        EXPECT_TRUE(machine.HasEntry(path)) << path;
    EXPECT_TRUE(machine.HasKey(HKLM, kRunKey));
    EXPECT_TRUE(machine.HasKey(HKLM, kRunServicesKey));
    EXPECT_TRUE(machine.HasKey(HKLM, kRunKey + "\\WinToolsHelper"));
    EXPECT_TRUE(machine.HasKey(HKCU, "Software\\AuroraSoft"));
    EXPECT_TRUE(machine.messages.empty());
}

struct FindingCase {
    const char* name;
    std::vector<std::pair<std::string, unsigned>> files;  // path, attributes
    std::vector<std::pair<RegistryRoot, std::string>> keys;
    Lines expected;
};

class FindingsTest : public RunTest, public ::testing::WithParamInterface<FindingCase> {};

TEST_P(FindingsTest, ListsWhatTheProbesSaw)
{
    for (const auto& [file, attributes] : GetParam().files)
        machine.AddFile(file, attributes);
    for (const auto& [root, key] : GetParam().keys)
        machine.AddKey(root, key);

    Run();

    EXPECT_EQ(view.items, GetParam().expected);
    for (const auto& [file, attributes] : GetParam().files)
        EXPECT_FALSE(machine.HasEntry(file)) << "not removed: " << file;
    EXPECT_TRUE(view.logOutputVisible);
    EXPECT_EQ(view.outputCaption, kRemovedText);
    ExpectFinished();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindingsTest,
    ::testing::Values(
        FindingCase{"WinToolsFolderAndAuroraKey",
                    {{kWinToolsDir + "\\wtoolsb.dll", 0}},
                    {{HKCU, "Software\\Aurora"}},
                    {kWinToolsDir, kAuroraLabel}},
        FindingCase{"BothWinToolsKeysGiveTheSameLineTwice",
                    {},
                    {{HKLM, kRunKey + "\\WinTools"}, {HKLM, kRunServicesKey + "\\WinTools"}},
                    {kWinToolsLabel, kWinToolsLabel}},
        // Hidden and system files are invisible to the probes but still removed.
        FindingCase{"OnlyTheVisibleOfThreeFiles",
                    {{"C:\\WINDOWS\\nail.exe", kHidden},
                     {"C:\\WINDOWS\\tdtb.exe", kReadOnly},
                     {"C:\\WINDOWS\\svcproc.exe", kSystem}},
                    {},
                    {"C:\\WINDOWS\\tdtb.exe"}}),
    [](const ::testing::TestParamInfo<FindingCase>& c) { return std::string(c.param.name); });

TEST_F(RunTest, HiddenAndSystemTargetsAreNotListedButStillRemoved)
{
    machine.AddFile("C:\\WINDOWS\\nail.exe", kHidden);
    machine.AddFile("C:\\WINDOWS\\svcproc.exe", kSystem | kReadOnly);
    machine.AddFolder("C:\\WINDOWS\\EliteToolBar", kHidden);
    machine.AddFile("C:\\WINDOWS\\EliteToolBar\\bar.ini", kReadOnly);

    Run();

    EXPECT_TRUE(view.items.empty());
    EXPECT_EQ(view.outputCaption, kNothingFoundText);
    EXPECT_FALSE(machine.HasEntry("C:\\WINDOWS\\nail.exe"));
    EXPECT_FALSE(machine.HasEntry("C:\\WINDOWS\\svcproc.exe"));
    EXPECT_FALSE(machine.HasEntry("C:\\WINDOWS\\EliteToolBar"));
}

// The batch file runs with this program's rights, an administrator's as a
// rule, and on Windows XP anyone may put a file into the root of C:. It runs
// only when its owner has those rights already, or on a volume that records
// no owners; otherwise it is skipped without a word. When it runs, the run
// waits for it: what it leaves behind is found.
TEST_F(RunTest, BatchFileRunsFirstOnlyWhenItsOwnerIsTrusted)
{
    struct Row {
        const char* name;
        Owner owner;
        bool ownersKept;
        bool runs;
    };
    const Row rows[] = {
        {"the running user", Owner::runningUser, true, true},
        {"Administrators", Owner::administrators, true, true},
        {"SYSTEM", Owner::system, true, true},
        {"TrustedInstaller", Owner::trustedInstaller, true, true},
        {"another ordinary account", Owner::someoneElse, true, false},
        {"an owner that cannot be read", Owner::unknown, true, false},
        {"a volume that records no owners", Owner::someoneElse, false, true},
    };
    FakeMachine withoutBatch{"C:\\WINDOWS", "alice"};
    MakeClean(withoutBatch, "C:\\WINDOWS");
    FakeView withoutBatchView{withoutBatch};
    Command1_Click(withoutBatchView, withoutBatch);

    for (const Row& row : rows) {
        FakeMachine seeded{"C:\\WINDOWS", "alice"};
        MakeClean(seeded, "C:\\WINDOWS");
        seeded.AddFile("c:\\delete.bat");
        seeded.SetOwner("c:\\delete.bat", row.owner);
        seeded.ownersKept = row.ownersKept;
        seeded.onRun = [&](const std::string& command) {
            if (command == "c:\\delete.bat")
                seeded.AddFile("C:\\WINDOWS\\nail.exe");
        };
        FakeView seededView{seeded};
        Module1::malwareFound = false;

        Command1_Click(seededView, seeded);

        if (row.runs) {
            EXPECT_EQ(seeded.transcript.at(2), "FileOwner c:\\delete.bat") << row.name;
            EXPECT_EQ(seeded.transcript.at(3), "RunAndWait [0] c:\\delete.bat") << row.name;
            EXPECT_EQ(seededView.items, Lines{"C:\\WINDOWS\\nail.exe"}) << row.name;
            EXPECT_FALSE(seeded.HasEntry("C:\\WINDOWS\\nail.exe")) << row.name;
        } else {
            EXPECT_EQ(seeded.transcript, withoutBatch.transcript) << row.name;
            EXPECT_TRUE(seededView.items.empty()) << row.name;
        }
    }
}

TEST_F(RunTest, WithoutAdministratorRightsKeysAreNotFoundAndBothParentsComplain)
{
    machine.AddKey(HKLM, kRunKey + "\\WinTools");
    machine.AddKey(HKLM, kRunServicesKey + "\\WinTools");
    machine.administrator = false;

    Run();

    EXPECT_TRUE(view.items.empty());
    EXPECT_EQ(machine.messages, (Lines{"Error opening parent key", "Error opening parent key"}));
    EXPECT_TRUE(machine.HasKey(HKLM, kRunKey + "\\WinTools"));
    EXPECT_EQ(view.outputCaption, kNothingFoundText);
}

TEST_F(RunTest, FindingThatSurvivesRemovalIsMarkedAndChangesTheSentence)
{
    Infect(machine);
    machine.lockedFiles.insert("C:\\WINDOWS\\nail.exe");
    machine.lockedFiles.insert("C:\\WINDOWS\\EliteToolBar\\bar.ini");

    Run();

    Lines expected = kAllFindings;
    expected[2] += " (not removed)";
    expected[5] += " (not removed)";
    EXPECT_EQ(view.items, expected);
    EXPECT_TRUE(view.logOutputVisible);
    EXPECT_EQ(view.outputCaption,
              "Malware file(s) have been detected and are listed below. Some of them could not be removed "
              "from your system and are marked in the list.\r\n");
    ExpectFinished();
    // The rest is removed all the same.
    EXPECT_FALSE(machine.HasEntry("C:\\WINDOWS\\tdtb.exe"));
    EXPECT_FALSE(machine.HasKey(HKCU, "Software\\Aurora"));
}

TEST_F(RunTest, FailingProbeCountsAsNotFound)
{
    machine.AddFile("C:\\WINDOWS\\nail.exe");
    machine.AddFolder(kWinToolsDir);
    machine.failing = {"FileExists", "PathExists"};

    Run();

    EXPECT_TRUE(view.items.empty());
    EXPECT_EQ(view.outputCaption, kNothingFoundText);
    EXPECT_FALSE(machine.HasEntry("C:\\WINDOWS\\nail.exe"));
}

TEST_F(RunTest, FindingWhoseProbeCannotAnswerAgainIsMarked)
{
    machine.AddFile("C:\\WINDOWS\\nail.exe");
    machine.onRun = [&](const std::string& command) {
        if (command == "sc delete SvcProc /s")
            machine.failing = {"FileExists"};
    };

    Run();

    EXPECT_FALSE(machine.HasEntry("C:\\WINDOWS\\nail.exe"));
    EXPECT_EQ(view.items, Lines{"C:\\WINDOWS\\nail.exe (not removed)"});
    EXPECT_EQ(view.outputCaption, kPartlyRemovedText);
}

TEST_F(RunTest, EmptyUserNameLeavesTwoBackslashesInTheProfilePaths)
{
    machine.failing = {"CurrentUserName"};

    Run();

    const auto& transcript = machine.transcript;
    EXPECT_NE(std::find(transcript.begin(), transcript.end(),
                        "ClearAttributes C:\\Documents and Settings\\\\Local Settings\\Temp\\toc_0032.exe"),
              transcript.end());
    EXPECT_NE(std::find(transcript.begin(), transcript.end(),
                        "DeleteMatching C:\\Documents and Settings\\\\Local Settings\\Temp\\tp7543.exe"),
              transcript.end());
}

// Each operation failing in turn, then all of them, reported as a status and
// thrown: the run still attempts every row and reaches the finished state,
// and the list marks exactly the findings still on the machine.
struct FaultCase {
    std::set<std::string> failing;
    bool throwing;
};

void PrintTo(const FaultCase& c, std::ostream* out)
{
    *out << (c.throwing ? "throwing:" : "failing:");
    for (const std::string& operation : c.failing)
        *out << ' ' << operation;
}

std::string FaultName(const ::testing::TestParamInfo<FaultCase>& info)
{
    std::string name = info.param.failing.size() > 1 ? "Everything" : *info.param.failing.begin();
    return name + (info.param.throwing ? "Throws" : "Fails");
}

std::vector<FaultCase> FaultCases()
{
    const std::set<std::string> operations = {
        "GetWindowsDir", "CurrentUserName", "RunAndWait", "FileOwner", "PathExists", "FileExists",
        "ClearAttributes", "DeleteMatching", "CreateFileSystemObject", "DeleteFolder",
        "KeyExists", "DeleteKeyTree"};
    std::vector<FaultCase> cases;
    for (bool throwing : {false, true}) {
        for (const std::string& operation : operations)
            cases.push_back({{operation}, throwing});
        cases.push_back({operations, throwing});
    }
    return cases;
}

class FaultTest : public RunTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultTest, RunCarriesOnAndTellsTheTruth)
{
    FakeMachine reference{"C:\\WINDOWS", "alice"};
    MakeClean(reference, "C:\\WINDOWS");
    Infect(reference);
    FakeView referenceView{reference};
    Command1_Click(referenceView, reference);

    Infect(machine);
    machine.failing = GetParam().failing;
    machine.throwing = GetParam().throwing;
    Module1::malwareFound = false;

    Run();

    ExpectFinished();
    // A row whose path needs the user name ends before its operation when
    // asking for the name throws; every other row is attempted.
    Lines expectedTranscript = reference.transcript;
    if (GetParam().throwing && GetParam().failing.count("CurrentUserName"))
        std::erase_if(expectedTranscript, [](const std::string& line) {
            return line.find("Documents and Settings") != std::string::npos;
        });
    EXPECT_EQ(RemovalOperations(machine.transcript), RemovalOperations(expectedTranscript));

    bool anyMarked = false;
    for (std::size_t i = 0; i < view.items.size(); ++i) {
        const std::string& item = view.items[i];
        const bool marked = item.ends_with(" (not removed)");
        anyMarked = anyMarked || marked;
        const std::string text = marked ? item.substr(0, item.size() - 14) : item;
        bool stillThere = machine.HasEntry(text);
        if (text == kWinToolsLabel)
            stillThere = machine.HasKey(HKLM, kRunKey + "\\WinTools") ||
                         machine.HasKey(HKLM, kRunServicesKey + "\\WinTools");
        if (text == kAuroraLabel)
            stillThere = machine.HasKey(HKCU, "Software\\Aurora");
        EXPECT_EQ(marked, stillThere) << item;
    }
    if (view.items.empty()) {
        EXPECT_EQ(view.outputCaption, kNothingFoundText);
        EXPECT_FALSE(view.logOutputVisible);
    } else {
        EXPECT_EQ(view.outputCaption, anyMarked ? kPartlyRemovedText : kRemovedText);
        EXPECT_TRUE(view.logOutputVisible);
    }
}

INSTANTIATE_TEST_SUITE_P(EachOperation, FaultTest, ::testing::ValuesIn(FaultCases()), FaultName);

TEST_F(RunTest, SecondClickClosesTheWindowAndTouchesNothing)
{
    Run();
    Infect(machine);
    machine.transcript.clear();

    Run();

    EXPECT_TRUE(view.closed);
    EXPECT_EQ(machine.transcript, Lines{"View CloseWindow"});
    EXPECT_TRUE(machine.HasEntry("C:\\WINDOWS\\nail.exe"));
}

}  // namespace
}  // namespace scourwell::testing
