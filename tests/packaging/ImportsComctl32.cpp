// Imports comctl32 statically, as Scourwell.exe once did: the import check
// must refuse it, whatever the allow-list says about its functions.
#include <windows.h>
#include <commctrl.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    InitCommonControls();
    return 0;
}
