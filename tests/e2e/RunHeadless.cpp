// tools/run's hands where there is no display to look at: starts Scourwell,
// presses Start Scan, answers every message box, prints what the finished
// window says, saves a screenshot before and after the run, presses Done.
//
// Usage: scourwell_headless <Scourwell.exe> <screenshot folder>
// (Windows paths, or Unix paths as Wine's Z: drive shows them)
// Exits 0 when the run finished and Done closed the program.
#include <cstdio>
#include <string>
#include <vector>

#include "Driver.h"

namespace {

using namespace scourwell::e2e;

int Fail(const char* what)
{
    std::printf("FAILED: %s\n", what);
    return 1;
}

void Screenshot(HWND window, const std::string& path)
{
    if (SaveScreenshot(window, path))
        std::printf("Screenshot: %s\n", path.c_str());
    else
        std::printf("No screenshot could be taken for %s\n", path.c_str());
}

// The texts the frame shows after a run: the result sentence, whatever
// label holds it.
std::vector<std::string> VisibleTextsOfFrame(HWND window)
{
    std::vector<std::string> texts;
    const HWND frame = FindControl(window, "Button", "System Scan");
    for (HWND control : FindControls(window, "Static")) {
        if (GetParent(control) == frame && IsWindowVisible(control) && !TextOf(control).empty())
            texts.push_back(TextOf(control));
    }
    return texts;
}

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <Scourwell.exe> <screenshot folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = WindowsPath(argv[2]);
    ScourwellProcess app(WindowsPath(argv[1]));
    if (!app.WaitForWindow())
        return Fail("Scourwell did not show its window");
    std::printf("Window: %s\n", TextOf(app.window()).c_str());
    Screenshot(app.window(), folder + "\\run-before.png");

    std::printf("Pressing Start Scan\n");
    const auto boxes = app.RunScan();
    if (!boxes)
        return Fail("the run did not finish");
    for (const MessageBoxInfo& box : *boxes)
        std::printf("Message box \"%s\": %s (answered OK)\n", box.title.c_str(), box.text.c_str());

    const HWND list = FindControl(app.window(), "ListBox");
    const auto items = list != nullptr && IsWindowVisible(list) ? ListItems(list) : std::vector<std::string>{};
    if (!items)
        return Fail("the list of findings did not answer");
    std::printf("Findings: %zu\n", items->size());
    for (const std::string& item : *items)
        std::printf("  %s\n", item.c_str());
    for (const std::string& text : VisibleTextsOfFrame(app.window()))
        std::printf("Result: %s\n", text.c_str());
    Screenshot(app.window(), folder + "\\run-after.png");

    const HWND done = app.Button("Done");
    if (done == nullptr)
        return Fail("there is no Done button");
    std::printf("Pressing Done\n");
    Click(done);
    if (!app.WaitForExit())
        return Fail("Scourwell did not end after Done");
    std::printf("Scourwell ended, exit code %lu\n", static_cast<unsigned long>(app.ExitCode().value_or(~0ul)));
    return 0;
}
