// Input while a run holds the window. What the user did meanwhile was aimed
// at a window that did not respond, so it is dropped when the run ends; a
// click that a message box of the run delivers neither starts a second run
// nor closes the window under the run.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Driver.h"
#include "tests/support/Seeds.h"

namespace scourwell::e2e {
namespace {

using namespace scourwell::support;

// The middle of the title bar's close box, found by asking the window.
std::optional<POINT> CloseBox(HWND window)
{
    RECT frame{};
    GetWindowRect(window, &frame);
    const auto isCloseBox = [&](int x, int y) {
        DWORD_PTR hit = HTNOWHERE;
        return SendMessageTimeoutA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 3000, &hit) &&
               hit == HTCLOSE;
    };
    for (int top = frame.top; top < frame.top + 40; ++top) {
        for (int right = frame.right - 1; right > frame.right - 80; --right) {
            if (!isCloseBox(right, top))
                continue;
            int left = right;
            while (isCloseBox(left - 1, top))
                --left;
            const int x = (left + right) / 2;
            int bottom = top;
            while (isCloseBox(x, bottom + 1))
                ++bottom;
            return POINT{x, (top + bottom) / 2};
        }
    }
    return std::nullopt;
}

struct Scenario {
    const char* name;
    bool parentKeyBox;  // the run shows "Error opening parent key"
    // Starts the run on Command1 and goes on at once with more input, which
    // arrives while the run holds the window.
    std::function<void(ScourwellProcess& app, HWND command1)> input;
    // More input once the message box has been answered, while the run goes on.
    std::function<void(ScourwellProcess& app)> afterBox = {};
};

// On a machine with one finding, so that a second run would list it again:
// one run, which leaves the finished window open and taking input. A failed
// assertion ends only this scenario.
void ExpectOneRunAndTheWindowLeftOpen(const Scenario& scenario)
{
    SCOPED_TRACE(scenario.name);
    const std::string nail = WindowsDirectory() + "\\nail.exe";
    SeededFile nailFile(nail);
    ASSERT_TRUE(nailFile.created());
    std::optional<RemovedKey> noRunServices;
    if (scenario.parentKeyBox) {
        noRunServices.emplace(HKEY_LOCAL_MACHINE, kRunServicesKey);
        ASSERT_TRUE(noRunServices->removed());
    }
    ScourwellProcess app(ScourwellProcess::DefaultPath());
    ASSERT_TRUE(app.WaitForWindow());
    const HWND window = app.window();

    const auto boxes = app.RunScan([&](HWND command1) { scenario.input(app, command1); },
                                   [&] {
                                       if (scenario.afterBox)
                                           scenario.afterBox(app);
                                   });
    ASSERT_TRUE(boxes) << "the run did not finish with the window open";
    ASSERT_EQ(boxes->size(), scenario.parentKeyBox ? 1u : 0u) << "a second run";
    EXPECT_FALSE(app.HasExited());
    const HWND done = app.Button("Done");
    ASSERT_NE(done, nullptr) << "no Done button";
    EXPECT_EQ(ListItems(FindControl(window, "ListBox")), std::vector<std::string>{nail});
    EXPECT_FALSE(Exists(nail));

    // Input made now is handled. The system hands input over in order, so
    // the Tab also shows that nothing queued before it closed the window.
    ASSERT_TRUE(TabTo(window, done));
    TypeKey(VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(window) != done; })) << "a Tab after the run did nothing";
    EXPECT_FALSE(app.HasExited());

    Click(done);
    EXPECT_TRUE(app.WaitForExit());
}

TEST(RunInput, InputMadeDuringTheRunIsDroppedWhenItEnds)
{
    const Scenario scenarios[] = {
        {"double click", false, [](ScourwellProcess&, HWND command1) { MouseClick(command1, 2); }},
        // The box disables the window, and the system drops the second click.
        {"double click, with the message box", true,
         [](ScourwellProcess&, HWND command1) { MouseClick(command1, 2); }},
        {"a click once the message box has gone", true, [](ScourwellProcess&, HWND command1) { MouseClick(command1); },
         [](ScourwellProcess& app) {
             ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(app.window()) != FALSE; }));
             MouseClick(app.Button("Start Scan"));
         }},
        {"Space twice", false,
         [](ScourwellProcess& app, HWND command1) {
             ASSERT_TRUE(TabTo(app.window(), command1));
             TypeKey(VK_SPACE);
             TypeKey(VK_SPACE);
         }},
        {"click, then the close box", false,
         [](ScourwellProcess& app, HWND command1) {
             const std::optional<POINT> closeBox = CloseBox(app.window());
             ASSERT_TRUE(closeBox) << "no close box on the title bar";
             MouseClick(command1);
             MouseClickAt(*closeBox);
         }},
    };
    for (const Scenario& scenario : scenarios)
        ExpectOneRunAndTheWindowLeftOpen(scenario);
}

// Posted clicks reach the window's controls while the message box of the run
// is up: its own message loop hands them over. Each is queued behind the
// click that starts the run, and so waits for the box.
TEST(RunInput, ClicksDeliveredWhileTheMessageBoxIsUpDoNothing)
{
    const Scenario scenarios[] = {
        {"Start Scan", true,
         [](ScourwellProcess&, HWND command1) {
             Click(command1);
             Click(command1);
         }},
        {"Cancel", true,
         [](ScourwellProcess& app, HWND command1) {
             Click(command1);
             Click(app.Button("Cancel"));
         }},
        {"title bar close", true,
         [](ScourwellProcess& app, HWND command1) {
             Click(command1);
             PostMessageA(app.window(), WM_CLOSE, 0, 0);
         }},
    };
    for (const Scenario& scenario : scenarios)
        ExpectOneRunAndTheWindowLeftOpen(scenario);
}

}  // namespace
}  // namespace scourwell::e2e
