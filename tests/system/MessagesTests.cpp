// The real message box, found and dismissed by a watcher thread.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>

#include "tests/system/SystemTestSupport.h"

namespace scourwell::testing {
namespace {

struct SeenBox {
    bool found = false;
    bool ownerEnabled = true;
    std::string title;
    std::string text;
};

BOOL CALLBACK KeepDialog(HWND window, LPARAM found)
{
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32770") {
        return TRUE;
    }
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND FindDialogOf(DWORD threadId)
{
    HWND dialog = nullptr;
    EnumThreadWindows(threadId, KeepDialog, reinterpret_cast<LPARAM>(&dialog));
    return dialog;
}

// Waits, for a bounded time, for a dialog of the thread `threadId`, notes what
// it shows and presses OK.
SeenBox WatchFor(DWORD threadId, HWND owner)
{
    SeenBox seen;
    for (int attempt = 0; attempt < 400 && !seen.found; ++attempt) {
        if (const HWND box = FindDialogOf(threadId)) {
            seen.found = true;
            seen.ownerEnabled = IsWindowEnabled(owner) != FALSE;
            char text[256] = {};
            GetWindowTextA(box, text, sizeof text);
            seen.title = text;
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            seen.text = text;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        } else {
            Sleep(50);
        }
    }
    return seen;
}

TEST(ShowMessage, BlocksTheActiveWindowUntilDismissed)
{
    struct Row {
        MessageStyle style;
        std::optional<std::string> title;
        std::string shownTitle;
    };
    const Row rows[] = {
        {MessageStyle::okOnly, std::nullopt, "Scourwell"},
        {MessageStyle::okExclamation, "Warning", "Warning"},
    };
    const HWND owner = CreateWindowExA(0, "STATIC", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                       0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr) << "no display";
    SetActiveWindow(owner);

    for (const Row& row : rows) {
        SeenBox seen;
        std::thread watcher([&, thread = GetCurrentThreadId()] { seen = WatchFor(thread, owner); });
        Win32SystemServices().ShowMessage("Error opening parent key", row.style, row.title);
        watcher.join();

        ASSERT_TRUE(seen.found) << row.shownTitle;
        EXPECT_EQ(seen.title, row.shownTitle);
        EXPECT_EQ(seen.text, "Error opening parent key");
        EXPECT_FALSE(seen.ownerEnabled) << "the main window took input";
        EXPECT_TRUE(IsWindowEnabled(owner)) << "enabled again afterwards";
    }
    DestroyWindow(owner);
}

}  // namespace
}  // namespace scourwell::testing
