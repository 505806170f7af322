// Resource identifiers shared by the resource script and the window code.
#pragma once

#define IDI_SCOURWELL 1       // window and program icon, 32 x 32, 16 colours
// Not IDC_HAND: <windows.h> defines that name as the system's own hand
// pointer, and whichever header came last would win without a word.
#define IDC_POINTING_HAND 102 // pointing-hand cursor over the donation picture
