// What a run looks for and what it removes: two fixed, ordered tables.
//
// The detection table only decides what is reported to the user; the removal
// table is executed in full on every run, whatever the detection found.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "system/SystemServices.h"

namespace scourwell {

// The run's path bases, resolved once per run.
struct ScanContext {
    std::string systemDrive;  // drive letter and colon, e.g. "C:"
    std::string windowsDir;   // e.g. "C:\WINDOWS"
};

// Where a row's path starts. `userProfile` is systemDrive +
// "\Documents and Settings\" + the user name, asked for while the row runs.
enum class Base { none, systemDrive, windowsDir, userProfile };

enum class ProbeKind { PathExists, FileExists, KeyExists };

struct DetectionProbe {
    ProbeKind kind;
    Base base;
    std::string_view suffix;  // path suffix, or the whole subkey for KeyExists
    RegistryRoot root;        // KeyExists only
    std::string_view label;   // KeyExists only; path probes report their path
};

enum class ActionKind { RunAndWait, DeleteMatching, DeleteFolder, ClearAttributes, DeleteKeyTree };

// The argument is prefix + base + suffix + closing, concatenated as they stand.
struct RemovalAction {
    ActionKind kind;
    std::string_view prefix;
    Base base;
    std::string_view suffix;
    std::string_view closing;
    RegistryRoot root;  // DeleteKeyTree only
};

struct ScanPlan {
    std::span<const DetectionProbe> detection;
    // The first row is the preliminary batch file, run before any probe.
    std::span<const RemovalAction> removal;
};

const ScanPlan& TheScanPlan();

// Composes a row's argument. Rows on the user's profile ask `services` for
// the user name each time they are composed.
std::string ComposePath(Base base, std::string_view suffix, const ScanContext& context,
                        SystemServices& services);
std::string ComposeArgument(const RemovalAction& action, const ScanContext& context,
                            SystemServices& services);

// What the probe tests: a composed path, or the subkey of a key probe.
std::string ComposeProbeTarget(const DetectionProbe& probe, const ScanContext& context,
                               SystemServices& services);

}  // namespace scourwell
