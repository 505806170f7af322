#include "scan/ScanRun.h"

#include <cstddef>
#include <exception>
#include <string>
#include <vector>

#include "scan/Catalogue.h"
#include "scan/Module1.h"

namespace scourwell {
namespace {

// Ignore-and-continue: a step that fails is abandoned where it failed and the
// run goes on with the next one. Operations report failures as values, so this
// only catches what they did not expect themselves (an allocation failure).
template <typename StepBody>
void Step(StepBody&& body) noexcept
{
    try {
        body();
    } catch (const std::exception&) {
    }
}

Presence Probe(const DetectionProbe& probe, const std::string& target, SystemServices& services)
{
    switch (probe.kind) {
    case ProbeKind::PathExists:
        return services.PathExists(target);
    case ProbeKind::FileExists:
        return services.FileExists(target);
    case ProbeKind::KeyExists:
        return services.KeyExists(probe.root, target) ? Presence::present : Presence::absent;
    }
    return Presence::unknown;
}

void Execute(const RemovalAction& action, const ScanContext& context, SystemServices& services)
{
    const std::string argument = ComposeArgument(action, context, services);
    // Each row's outcome is ignored on purpose: every row runs on every run.
    switch (action.kind) {
    case ActionKind::RunAndWait:
        services.RunAndWait(argument, kWindowHidden);
        break;
    case ActionKind::DeleteMatching:
        (void)services.DeleteMatching(argument);
        break;
    case ActionKind::DeleteFolder:
        (void)services.DeleteFolder(argument);
        break;
    case ActionKind::ClearAttributes:
        (void)services.ClearAttributes(argument);
        break;
    case ActionKind::DeleteKeyTree:
        services.DeleteKeyTree(action.root, argument);
        break;
    }
}

// The batch file runs with this program's rights, an administrator's as a
// rule, while on Windows XP any user may create files in the root of C:. So
// it runs only when its owner holds such rights already, or when the volume
// records no owners and there is no boundary to defend. An owner that cannot
// be read is not trusted.
bool MayRunBatchFileOf(Owner owner)
{
    switch (owner) {
    case Owner::notKept:
    case Owner::runningUser:
    case Owner::administrators:
    case Owner::system:
    case Owner::trustedInstaller:
        return true;
    case Owner::someoneElse:
    case Owner::unknown:
        break;
    }
    return false;
}

struct Finding {
    const DetectionProbe* probe;
    std::string target;
    std::size_t listIndex;
};

}  // namespace

void Command1_Click(ScanView& view, SystemServices& services)
{
    if (view.Command1Caption() == kDoneCaption) {
        view.CloseWindow();
        return;
    }

    // Resolving the bases does not fail; should it throw all the same, the
    // run goes on with empty bases rather than take the window down.
    ScanContext context;
    Step([&] {
        context.systemDrive = services.GetWindowsDir().substr(0, 2);
        context.windowsDir = services.GetWindowsDir();
    });

    const ScanPlan& plan = TheScanPlan();
    const RemovalAction& batchFile = plan.removal.front();
    Step([&] {
        if (MayRunBatchFileOf(services.FileOwner(ComposeArgument(batchFile, context, services))))
            Execute(batchFile, context, services);
    });
    Step([&] { (void)services.CreateFileSystemObject(); });

    // A probe that could not search at all counts as not found: only what a
    // probe saw is listed.
    std::vector<Finding> findings;
    for (const DetectionProbe& probe : plan.detection) {
        Step([&] {
            std::string target = ComposeProbeTarget(probe, context, services);
            if (Probe(probe, target, services) != Presence::present)
                return;
            const std::string text = probe.kind == ProbeKind::KeyExists ? std::string(probe.label) : target;
            view.ReportFinding(text);
            findings.push_back({&probe, std::move(target), findings.size()});
        });
    }

    for (const RemovalAction& action : plan.removal.subspan(1))
        Step([&] { Execute(action, context, services); });

    // A removal can fail (a file held open, a key the user may not delete).
    // Ask again so the window never claims a removal that did not happen; a
    // probe that cannot answer now counts as still there.
    bool somethingRemains = false;
    for (const Finding& finding : findings) {
        Presence again = Presence::unknown;
        Step([&] { again = Probe(*finding.probe, finding.target, services); });
        if (again == Presence::absent)
            continue;
        somethingRemains = true;
        Step([&] { view.MarkNotRemoved(finding.listIndex); });
    }

    Step([&] { view.SetCommand1Caption(std::string(kDoneCaption)); });
    Step([&] { view.HideLabel3(); });
    if (!Module1::malwareFound) {
        Step([&] { view.SetOutputCaption(std::string(kNothingFoundText)); });
    } else {
        Step([&] { view.ShowLogOutput(); });
        Step([&] {
            view.SetOutputCaption(std::string(somethingRemains ? kPartlyRemovedText : kRemovedText));
        });
    }
    Step([&] { services.ReleaseFileSystemObject(); });
}

}  // namespace scourwell
