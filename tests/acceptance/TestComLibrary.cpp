// A stand-in for the COM libraries the unwanted programs leave behind.
// Registering writes a harmless value; unregistering moves it to a second key,
// so a test can tell that "regsvr32 /u" reached this very file.
#include <windows.h>

namespace {

HMODULE self = nullptr;

constexpr const char* kRegistered = "Software\\ScourwellTest\\Registered";
constexpr const char* kUnregistered = "Software\\ScourwellTest\\Unregistered";

// The value's name is the library's full path, as the loader saw it.
HRESULT RecordUnder(const char* keyPath, const char* droppedFrom)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return E_FAIL;

    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return E_FAIL;
    const char data[] = "1";
    LONG written = RegSetValueExA(key, path, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data);
    RegCloseKey(key);
    if (written != ERROR_SUCCESS) return E_FAIL;

    if (droppedFrom != nullptr && RegOpenKeyExA(HKEY_CURRENT_USER, droppedFrom, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, path);
        RegCloseKey(key);
    }
    return S_OK;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return RecordUnder(kRegistered, nullptr); }

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return RecordUnder(kUnregistered, kRegistered); }
