// A library that is not the system's, planted where a search by name would
// find it: beside the program and in its current folder.
#include <windows.h>

extern "C" __declspec(dllexport) int Planted() { return 1; }
