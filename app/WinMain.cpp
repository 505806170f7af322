// Start-up: the library search restricted, COM on this one thread, then the
// main window and its event loop.
#include <windows.h>
#include <objbase.h>

#include "app/frmScourwell.h"
#include "system/SystemLibraries.h"

namespace {

// Single-threaded COM for the program's life; uninitialised only when the
// initialisation succeeded.
class ComInitialization {
public:
    ComInitialization() noexcept : result_(CoInitialize(nullptr)) {}
    ~ComInitialization()
    {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;

private:
    HRESULT result_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    // First, before COM or the window load anything: a library asked for by
    // name must not come from the download folder Scourwell was started from.
    scourwell::RestrictLibrarySearch();
    const ComInitialization com;
    scourwell::frmScourwell form(instance);
    if (!form.Show(showCommand))
        return 1;

    // Ends when the window is destroyed (WM_QUIT), or when the queue fails.
    MSG message{};
    BOOL got = FALSE;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
        if (!form.PreTranslateMessage(message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    // Only WM_QUIT carries an exit code; a failed GetMessage left nothing in `message`.
    return got == 0 ? static_cast<int>(message.wParam) : 1;
}
