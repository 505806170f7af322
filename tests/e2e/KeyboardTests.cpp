// The keyboard: Enter presses the focused button, as Space does, in both
// states of the window, and neither button becomes the default one.
#include <gtest/gtest.h>

#include <string>

#include "Driver.h"
#include "tests/support/Seeds.h"

namespace scourwell::e2e {
namespace {

using namespace scourwell::support;

// A default button would take Enter wherever the focus is.
void ExpectNoDefaultButton(HWND window)
{
    for (HWND button : FindControls(window, "Button")) {
        const LONG type = GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK;
        if (type != BS_GROUPBOX) {
            EXPECT_EQ(type, BS_PUSHBUTTON) << TextOf(button);
        }
    }
}

enum class Before { nothing, runStartedWithEnter, runStartedWithClick };

struct Case {
    const char* name;
    Before before;
    const char* closingButton;  // takes the last Enter
};

// Enter on a button, after Tab has brought the focus there.
void PressEnterOn(HWND window, HWND button)
{
    ASSERT_TRUE(TabTo(window, button)) << TextOf(button);
    ExpectNoDefaultButton(window);
    PressKey(button, VK_RETURN);
}

// A failed assertion ends only this case.
void ExpectEnterPressesTheButtons(const Case& test)
{
    SCOPED_TRACE(test.name);
    const std::string nail = WindowsDirectory() + "\\nail.exe";
    SeededFile nailFile(nail);
    ASSERT_TRUE(nailFile.created());
    ScourwellProcess app(ScourwellProcess::DefaultPath());
    ASSERT_TRUE(app.WaitForWindow());
    const HWND window = app.window();

    if (test.before == Before::runStartedWithEnter) {
        ASSERT_TRUE(app.RunScan([&](HWND command1) { PressEnterOn(window, command1); }))
            << "the run did not finish with the window open";
    } else if (test.before == Before::runStartedWithClick) {
        ASSERT_TRUE(app.RunScan()) << "the run did not finish with the window open";
    }

    const HWND closing = app.Button(test.closingButton);
    ASSERT_NE(closing, nullptr) << test.closingButton;
    PressEnterOn(window, closing);
    EXPECT_TRUE(app.WaitForExit()) << "Enter on " << test.closingButton << " did not close the window";
    EXPECT_EQ(Exists(nail), test.before == Before::nothing) << "a run, and only when one was started";
}

TEST(Keyboard, EnterPressesTheFocusedButton)
{
    const Case cases[] = {
        {"Start Scan, then Done", Before::runStartedWithEnter, "Done"},
        {"Cancel before a run", Before::nothing, "Cancel"},
        {"Cancel after a run", Before::runStartedWithClick, "Cancel"},
    };
    for (const Case& test : cases)
        ExpectEnterPressesTheButtons(test);
}

}  // namespace
}  // namespace scourwell::e2e
