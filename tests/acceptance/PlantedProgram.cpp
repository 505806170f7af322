// Planted as regsvr32.exe, sc.exe and cmd.exe beside Scourwell.exe and in its
// current folder, where a program downloaded with it would land. It does none
// of their work: it only records that it was started, with its own path as
// the value's name and its command line as the data.
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return 1;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\ScourwellTest\\Planted", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return 1;
    const char* commandLine = GetCommandLineA();
    RegSetValueExA(key, path, 0, REG_SZ, reinterpret_cast<const BYTE*>(commandLine),
                   static_cast<DWORD>(std::strlen(commandLine) + 1));
    RegCloseKey(key);
    return 0;
}
