// The real message box, found and dismissed by a watcher thread.
#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>

#include "tests/system/SystemTestSupport.h"

namespace scourwell::testing {
namespace {

struct SeenBox {
    bool found = false;
    bool ownerEnabled = true;
    std::string text;
};

// Waits (boundedly) for a dialog titled `title`, notes what it shows and
// presses OK.
SeenBox WatchFor(const std::string& title, HWND owner)
{
    SeenBox seen;
    for (int attempt = 0; attempt < 400 && !seen.found; ++attempt) {
        if (const HWND box = FindWindowA("#32770", title.c_str())) {
            seen.found = true;
            seen.ownerEnabled = IsWindowEnabled(owner) != FALSE;
            char text[256] = {};
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
        std::thread watcher([&] { seen = WatchFor(row.shownTitle, owner); });
        Win32SystemServices().ShowMessage("Error opening parent key", row.style, row.title);
        watcher.join();

        EXPECT_TRUE(seen.found) << row.shownTitle;
        EXPECT_EQ(seen.text, "Error opening parent key");
        EXPECT_FALSE(seen.ownerEnabled) << "the main window took input";
        EXPECT_TRUE(IsWindowEnabled(owner)) << "enabled again afterwards";
    }
    DestroyWindow(owner);
}

}  // namespace
}  // namespace scourwell::testing
