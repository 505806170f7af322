// Measures one thing per call and prints it as "name value" lines; tools/bench
// repeats the calls, takes the medians and prints the table.
//
//   scourwell_bench start <program> <caption> [<program> <caption> ...]
//       For each program in turn, moments apart: start_ms, from CreateProcess
//       to the first visible top-level window of the new process with that
//       caption; peak_ws_kb, the process's peak working set once it is idle
//       with its window shown. The first program is started once beforehand
//       and not measured: the first start that a new process makes is slowed
//       by that process's own start, which goes on beside it.
//   scourwell_bench run <Scourwell.exe>
//       run_ms: a click on "Start Scan" sent to the shown window, until the
//       click has been handled, which is when the whole run has finished.
//   scourwell_bench children
//       children_ms: the catalogue's command lines ("c:\delete.bat", the
//       regsvr32 and sc rows) started and waited for one after the other,
//       alone, exactly as the run starts them.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "scan/Catalogue.h"
#include "system/Handles.h"
#include "system/Win32SystemServices.h"
#include "tests/support/TestMachine.h"

namespace {

using scourwell::UniqueHandle;

constexpr DWORD kTimeoutMs = 120000;

double NowMs()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

using Started = scourwell::support::StartedProcess;
using scourwell::support::Start;

// A window of one process (or of any, when the id is 0) with a given class
// and text.
struct WindowSearch {
    DWORD processId;
    const char* className;
    const char* text;
    HWND found;
};

BOOL CALLBACK Matches(HWND window, LPARAM parameter)
{
    auto* wanted = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (wanted->processId != 0 && (owner != wanted->processId || !IsWindowVisible(window))) return TRUE;
    char className[64] = "", text[256] = "";
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, text, sizeof text);
    if (wanted->className != nullptr && lstrcmpiA(className, wanted->className) != 0) return TRUE;
    if (std::strcmp(text, wanted->text) != 0) return TRUE;
    wanted->found = window;
    return FALSE;
}

HWND ShownWindow(DWORD processId, const char* caption)
{
    WindowSearch search{processId, nullptr, caption, nullptr};
    EnumWindows(Matches, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Polls, which costs the measuring process some time but never delays the
// measured one's start.
HWND WaitForShownWindow(const Started& started, const char* caption)
{
    const double deadline = NowMs() + kTimeoutMs;
    while (NowMs() < deadline) {
        if (HWND window = ShownWindow(started.id, caption)) return window;
        if (WaitForSingleObject(started.process.get(), 0) == WAIT_OBJECT_0) return nullptr;
        Sleep(1);
    }
    return nullptr;
}

HWND FindButton(HWND window, const char* text)
{
    WindowSearch search{0, "Button", text, nullptr};
    EnumChildWindows(window, Matches, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Close(const Started& started, HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(started.process.get(), 10000) != WAIT_OBJECT_0) {
        TerminateProcess(started.process.get(), 1);
        WaitForSingleObject(started.process.get(), 5000);
    }
}

int Fail(const char* what)
{
    std::fprintf(stderr, "scourwell_bench: %s\n", what);
    return 1;
}

struct StartFigures {
    double startMs;
    SIZE_T peakWorkingSet;
};

std::optional<StartFigures> MeasureOneStart(const std::string& program, const char* caption)
{
    const double begin = NowMs();
    Started started = Start("\"" + program + "\"", SW_SHOWNORMAL);
    if (!started.process) {
        Fail("cannot start the program");
        return std::nullopt;
    }
    HWND window = WaitForShownWindow(started, caption);
    const double shown = NowMs();
    if (window == nullptr) {
        Fail("no window was shown");
        return std::nullopt;
    }

    WaitForInputIdle(started.process.get(), 10000);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    const bool haveMemory = GetProcessMemoryInfo(started.process.get(), &memory, sizeof memory);
    Close(started, window);
    if (!haveMemory) {
        Fail("cannot read the working set");
        return std::nullopt;
    }
    return StartFigures{shown - begin, memory.PeakWorkingSetSize};
}

// `arguments` holds program and caption pairs.
int MeasureStarts(char** arguments, int count)
{
    if (!MeasureOneStart(arguments[0], arguments[1])) return 1;
    for (int i = 0; i + 1 < count; i += 2) {
        const std::optional<StartFigures> figures = MeasureOneStart(arguments[i], arguments[i + 1]);
        if (!figures) return 1;
        std::printf("start_ms %.1f\npeak_ws_kb %lu\n", figures->startMs,
                    static_cast<unsigned long>(figures->peakWorkingSet / 1024));
    }
    return 0;
}

int MeasureRun(const std::string& program)
{
    Started started = Start("\"" + program + "\"", SW_SHOWNORMAL);
    if (!started.process) return Fail("cannot start the program");
    HWND window = WaitForShownWindow(started, "Scourwell Tool - Created by Quillom");
    HWND button = window ? FindButton(window, "Start Scan") : nullptr;
    if (button == nullptr) {
        TerminateProcess(started.process.get(), 1);
        return Fail("no Start Scan button");
    }
    WaitForInputIdle(started.process.get(), 10000);

    // The run happens inside the click's handler, so the sent click returns
    // when the run is over.
    DWORD_PTR ignored = 0;
    const double begin = NowMs();
    const bool handled = SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, kTimeoutMs, &ignored) != 0;
    const double end = NowMs();
    const bool done = FindButton(window, "Done") != nullptr;
    Close(started, window);
    if (!handled || !done) return Fail("the run did not finish (a message box waiting?)");
    std::printf("run_ms %.1f\n", end - begin);
    return 0;
}

int MeasureChildren()
{
    scourwell::Win32SystemServices services;
    const std::string windowsDir = services.GetWindowsDir();
    const scourwell::ScanContext context{windowsDir.substr(0, 2), windowsDir};
    double total = 0;
    int count = 0;
    for (const auto& action : scourwell::TheScanPlan().removal) {
        if (action.kind != scourwell::ActionKind::RunAndWait) continue;
        const std::string line = scourwell::ComposeArgument(action, context, services);
        const double begin = NowMs();
        Started child = Start(line, SW_HIDE);
        if (child.process && WaitForSingleObject(child.process.get(), kTimeoutMs) != WAIT_OBJECT_0) {
            TerminateProcess(child.process.get(), 1);
            return Fail(("child did not end: " + line).c_str());
        }
        total += NowMs() - begin;
        ++count;
    }
    std::printf("children_ms %.1f\nchildren %d\n", total, count);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "start" && argc >= 4 && argc % 2 == 0) return MeasureStarts(argv + 2, argc - 2);
    if (mode == "run" && argc == 3) return MeasureRun(argv[2]);
    if (mode == "children" && argc == 2) return MeasureChildren();
    std::fprintf(stderr, "usage: scourwell_bench start <program> <caption> [<program> <caption> ...] | run <Scourwell.exe> | children\n");
    return 2;
}
