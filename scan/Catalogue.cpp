#include "scan/Catalogue.h"

#include <array>

namespace scourwell {
namespace {

using enum ProbeKind;
using enum ActionKind;
using enum Base;
constexpr RegistryRoot HKLM = RegistryRoot::localMachine;
constexpr RegistryRoot HKCU = RegistryRoot::currentUser;

constexpr std::string_view kWinToolsLabel = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\...\\WinTools";

constexpr std::array<DetectionProbe, 14> kDetection{{
    {PathExists, systemDrive, "\\Program Files\\Common Files\\WinTools", HKLM, {}},
    {PathExists, windowsDir, "\\browserxtras", HKLM, {}},
    {PathExists, windowsDir, "\\EliteToolBar", HKLM, {}},
    {FileExists, systemDrive, "\\Windows\\System32\\param32.dll", HKLM, {}},
    {FileExists, systemDrive, "\\Windows\\System\\param32.dll", HKLM, {}},
    {FileExists, windowsDir, "\\nail.exe", HKLM, {}},
    {FileExists, windowsDir, "\\tdtb.exe", HKLM, {}},
    {FileExists, windowsDir, "\\svcproc.exe", HKLM, {}},
    {FileExists, windowsDir, "\\System32\\DrPMon.dll", HKLM, {}},
    {FileExists, windowsDir, "\\system32\\qzqnfn.exe", HKLM, {}},
    {FileExists, systemDrive, "\\windows.exe", HKLM, {}},
    {KeyExists, none, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\WinTools", HKLM, kWinToolsLabel},
    {KeyExists, none, "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices\\WinTools", HKLM, kWinToolsLabel},
    {KeyExists, none, "Software\\Aurora", HKCU, "HKEY_CURRENT_USER\\Software\\Aurora"},
}};

// A blank separates "/s" from the quoted path: regsvr32 reads "/s"C:\..." as
// one token, the silent switch, and would be given no library at all.
constexpr std::string_view kUnregister = "regsvr32 /u /s \"";
constexpr std::string_view kQuote = "\"";

constexpr RemovalAction file(ActionKind kind, Base base, std::string_view suffix)
{
    return {kind, {}, base, suffix, {}, HKLM};
}
constexpr RemovalAction command(std::string_view line) { return {RunAndWait, line, none, {}, {}, HKLM}; }
constexpr RemovalAction unregister(Base base, std::string_view suffix)
{
    return {RunAndWait, kUnregister, base, suffix, kQuote, HKLM};
}
constexpr RemovalAction keyTree(RegistryRoot root, std::string_view key)
{
    return {DeleteKeyTree, key, none, {}, {}, root};
}

constexpr std::array<RemovalAction, 40> kRemoval{{
    command("c:\\delete.bat"),
    unregister(systemDrive, "\\Program Files\\Common Files\\WinTools\\wtoolsb.dll"),
    file(DeleteMatching, systemDrive, "\\Program Files\\Common Files\\WinTools\\*.*"),
    file(DeleteFolder, systemDrive, "\\Program Files\\Common Files\\WinTools"),
    keyTree(HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\WinTools"),
    keyTree(HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices\\WinTools"),
    unregister(windowsDir, "\\System32\\param32.dll"),
    unregister(windowsDir, "\\System\\param32.dll"),
    file(ClearAttributes, windowsDir, "\\System32\\param32.dll"),
    file(ClearAttributes, windowsDir, "\\System\\param32.dll"),
    file(DeleteMatching, windowsDir, "\\System32\\param32.dll"),
    file(DeleteMatching, windowsDir, "\\System\\param32.dll"),
    file(ClearAttributes, windowsDir, "\\nail.exe"),
    file(ClearAttributes, userProfile, "\\Local Settings\\Temp\\toc_0032.exe"),
    file(ClearAttributes, userProfile, "\\Local Settings\\Temp\\tp7543.exe"),
    file(ClearAttributes, windowsDir, "\\System32\\adlinstallwin32.exe"),
    file(ClearAttributes, systemDrive, "\\adlinstallwin32.exe"),
    file(ClearAttributes, windowsDir, "\\tdtb.exe"),
    file(ClearAttributes, windowsDir, "\\svcproc.exe"),
    file(ClearAttributes, windowsDir, "\\System32\\DrPMon.dll"),
    file(ClearAttributes, windowsDir, "\\system32\\qzqnfn.exe"),
    file(ClearAttributes, systemDrive, "\\windows.exe"),
    file(DeleteMatching, windowsDir, "\\nail.exe"),
    file(DeleteMatching, userProfile, "\\Local Settings\\Temp\\toc_0032.exe"),
    file(DeleteMatching, userProfile, "\\Local Settings\\Temp\\tp7543.exe"),
    file(DeleteMatching, windowsDir, "\\System32\\adlinstallwin32.exe"),
    file(DeleteMatching, systemDrive, "\\adlinstallwin32.exe"),
    file(DeleteMatching, windowsDir, "\\tdtb.exe"),
    file(DeleteMatching, windowsDir, "\\svcproc.exe"),
    file(DeleteMatching, windowsDir, "\\System32\\DrPMon.dll"),
    file(DeleteMatching, windowsDir, "\\system32\\qzqnfn.exe"),
    file(DeleteMatching, systemDrive, "\\windows.exe"),
    keyTree(HKCU, "Software\\Aurora"),
    command("sc config SvcProc start= disabled /s"),
    command("sc stop SvcProc /s"),
    command("sc delete SvcProc /s"),
    file(DeleteMatching, windowsDir, "\\browserxtras\\*.*"),
    file(DeleteFolder, windowsDir, "\\browserxtras"),
    file(DeleteMatching, windowsDir, "\\EliteToolBar\\*.*"),
    file(DeleteFolder, windowsDir, "\\EliteToolBar"),
}};

constexpr ScanPlan kPlan{kDetection, kRemoval};

}  // namespace

const ScanPlan& TheScanPlan() { return kPlan; }

std::string ComposePath(Base base, std::string_view suffix, const ScanContext& context,
                        SystemServices& services)
{
    std::string path;
    switch (base) {
    case Base::none:
        break;
    case Base::systemDrive:
        path = context.systemDrive;
        break;
    case Base::windowsDir:
        path = context.windowsDir;
        break;
    case Base::userProfile:
        path = context.systemDrive + "\\Documents and Settings\\" + services.CurrentUserName();
        break;
    }
    path += suffix;
    return path;
}

std::string ComposeArgument(const RemovalAction& action, const ScanContext& context,
                            SystemServices& services)
{
    std::string argument{action.prefix};
    argument += ComposePath(action.base, action.suffix, context, services);
    argument += action.closing;
    return argument;
}

std::string ComposeProbeTarget(const DetectionProbe& probe, const ScanContext& context,
                               SystemServices& services)
{
    return ComposePath(probe.base, probe.suffix, context, services);
}

}  // namespace scourwell
