// The platform message box.
#include <string>

#include "system/Win32SystemServices.h"

namespace scourwell {

void Win32SystemServices::ShowMessage(const std::string& text, MessageStyle style,
                                      std::optional<std::string> title)
{
    const std::string caption = title.value_or(std::string(kApplicationTitle));
    // Owned by the thread's active window, which the box disables while it is up;
    // without one, task-modal disables every top-level window of the thread.
    const HWND owner = GetActiveWindow();
    UINT type = static_cast<UINT>(style);
    if (owner == nullptr) {
        type |= MB_TASKMODAL;
    }
    MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}

}  // namespace scourwell
