// What the acceptance scenarios add to what every Windows-side test shares
// (tests/support): the service manager and the modules of a running process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/Seeds.h"
#include "tests/support/TestMachine.h"

namespace acceptance {

using namespace scourwell::support;

bool ServiceExists(const std::string& name);

// The full paths of the modules loaded in a running process, the program's
// own included.
std::vector<std::string> ModulesOf(DWORD processId);

}  // namespace acceptance
