// The common controls' initialisation, shared with tools/bench's second floor
// (tests/bench/MinimalWindow.cpp) so that the floor initialises them exactly
// as Scourwell does.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace scourwell {

inline void InitializeCommonControls()
{
    InitCommonControls();
}

}  // namespace scourwell
