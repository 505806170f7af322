// The benchmark floors: the least a Win32 program does to put a window on the
// screen. Built with the same compiler, flags and static runtime as
// Scourwell.exe, so what Scourwell takes beyond them is its own.
//
// minimal_window.exe is the bare window. minimal_com_window.exe (built with
// WITH_COM_AND_COMMON_CONTROLS) first does what Scourwell must do before its
// window, in Scourwell's order and by Scourwell's own code: the library
// search restricted, COM, single-threaded, then the common controls.
#include <windows.h>

#ifdef WITH_COM_AND_COMMON_CONTROLS
#include <objbase.h>

#include "app/CommonControls.h"
#include "system/SystemLibraries.h"
#endif

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
#ifdef WITH_COM_AND_COMMON_CONTROLS
    scourwell::RestrictLibrarySearch();
    const HRESULT com = CoInitialize(nullptr);
    scourwell::InitializeCommonControls();
#endif

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "MinimalWindow";
    if (!RegisterClassA(&windowClass)) return 1;

    HWND window = CreateWindowA("MinimalWindow", "Minimal Window", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                CW_USEDEFAULT, CW_USEDEFAULT, 469, 311, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
#ifdef WITH_COM_AND_COMMON_CONTROLS
    if (SUCCEEDED(com)) CoUninitialize();
#endif
    return 0;
}
