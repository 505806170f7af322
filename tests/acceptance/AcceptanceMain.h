// What the command line of acceptance_tests tells the scenarios.
#pragma once

#include <string>

namespace acceptance {

// The COM library the scenarios install under the catalogue's names.
std::string TestLibraryPath();

// The program planted under the names of system programs.
std::string PlantedProgramPath();

// Given --expect-wow64: the scenarios must find themselves in a 64-bit prefix.
bool ExpectWow64();

}  // namespace acceptance
