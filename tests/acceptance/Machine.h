// Seeds and inspects the Wine prefix an acceptance scenario runs in: files
// with attributes, registry keys in either registry view, child processes.
// Every helper fails the current test (GoogleTest) instead of returning codes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "system/Handles.h"
#include "tests/e2e/driver/Seeds.h"

namespace acceptance {

std::string WindowsDirectory();
std::string SystemDrive();  // first two characters of the Windows directory

// Upper-cased logon name, the way Scourwell composes profile paths.
std::string UpperCaseUserName();

bool RunningUnderWow64();

// Lower-cased with the locale's case mapping, for comparing paths.
std::string Lower(std::string text);

// The real 64-bit system folder seen from a 32-bit process under WoW64.
std::string NativeSystemFolder();

// Creates the file and every missing folder above it.
void WriteFile(const std::string& path, const std::string& content, DWORD attributes = FILE_ATTRIBUTE_NORMAL);
void CopyFileAs(const std::string& from, const std::string& to, DWORD attributes);
using scourwell::e2e::FileExists;  // a file or a folder
// Empty when the file cannot be opened.
scourwell::UniqueFileHandle OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition);
std::string ReadFile(const std::string& path);
// Removes a file or a folder tree, read-only, hidden and system entries
// included. Missing entries are fine.
void RemoveEntry(const std::string& path);

// A registry view: 0 for the process's own, KEY_WOW64_64KEY for the 64-bit one.
using View = REGSAM;

void CreateKey(HKEY root, const std::string& path, View view = 0);
void SetValue(HKEY root, const std::string& path, const std::string& name, const std::string& data, View view = 0);
bool KeyExists(HKEY root, const std::string& path, View view = 0);
bool ValueExists(HKEY root, const std::string& path, const std::string& name, View view = 0);
std::vector<std::string> ValueNames(HKEY root, const std::string& path, View view = 0);
void DeleteKeyTree(HKEY root, const std::string& path, View view = 0);

inline constexpr DWORD kNotRun = ~DWORD{0};

// Runs a command line hidden and answers its exit code. Waits at most
// `timeoutMs`; a child still running then is ended and the test fails.
DWORD Run(const std::string& commandLine, DWORD timeoutMs = 30000);

bool ServiceExists(const std::string& name);

// The full paths of the modules loaded in a running process, the program's
// own included.
std::vector<std::string> ModulesOf(DWORD processId);

}  // namespace acceptance
