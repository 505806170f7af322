// The common controls' initialisation, shared with tools/bench's second floor
// (tests/bench/MinimalWindow.cpp) so that the floor initialises them exactly
// as Scourwell does.
#pragma once

#include <windows.h>

#include "system/SystemLibraries.h"

namespace scourwell {

// comctl32 is no KnownDLL: imported, it would be looked for in the program's
// own folder before its first line runs. So it comes by its full path.
inline void InitializeCommonControls()
{
    using InitCommonControlsFunction = void(WINAPI*)();
    const auto initCommonControls =
        ExportedFunction<InitCommonControlsFunction>(LoadSystemLibrary("comctl32.dll"), "InitCommonControls");
    if (initCommonControls != nullptr)
        initCommonControls();
}

}  // namespace scourwell
