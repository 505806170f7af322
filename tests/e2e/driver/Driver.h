// Drives the real Scourwell.exe from another process, as a user would: finds
// its window and controls, clicks, types, reads texts, lists and rectangles,
// answers message boxes, takes screenshots.
//
// Every wait is bounded. Reads never block on a busy window: texts are the
// windows' stored texts, and the messages that must be sent (list items) give
// up after a short timeout, so the driver stays responsive while a run holds
// Scourwell's only thread. Clicks are posted for the same reason: the call
// returns at once and the effect is awaited with WaitUntil.
//
// A typical scenario:
//
//     ScourwellProcess app(ScourwellProcess::DefaultPath());
//     ASSERT_TRUE(app.WaitForWindow());             // started and shown
//     const auto boxes = app.RunScan();              // Start Scan .. "Done"
//     ASSERT_TRUE(boxes);
//     const auto items = ListItems(FindControl(app.window(), "ListBox"));
//     Click(FindControl(app.window(), "Button", "Done"));
//     EXPECT_TRUE(app.WaitForExit());
//
// The process is terminated when the ScourwellProcess object goes away, so a
// failed scenario never leaves it running; it runs in a job that ends with
// the driver, so not even a crashed driver leaves it behind.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system/Handles.h"

namespace scourwell::e2e {

using Duration = std::chrono::milliseconds;
inline constexpr Duration kTimeout{30000};

// Polls `condition` every 25 ms until it holds or `timeout` has passed.
// True when it held.
bool WaitUntil(const std::function<bool()>& condition, Duration timeout = kTimeout);

// A Unix path as Wine's Z: drive shows it ("/a/b" -> "Z:\a\b"); other paths
// come back with their slashes turned into backslashes.
std::string WindowsPath(std::string_view path);

// ---- Reading windows (safe on another process's busy window) ------------

std::string ClassOf(HWND window);
std::string TextOf(HWND window);

// Every descendant of `root`, depth first, siblings in z-order (topmost first).
std::vector<HWND> Descendants(HWND root);

// The first descendant of `root` of class `className` (any case) whose text
// is `text`; any text when `text` is not given. Null when there is none.
HWND FindControl(HWND root, std::string_view className, std::optional<std::string_view> text = std::nullopt);

// Every descendant of `root` of class `className`, in Descendants order.
std::vector<HWND> FindControls(HWND root, std::string_view className);

// The donation picture of Scourwell's `window`: the bitmap among the statics
// of the header, which holds Label1. Null when there is none.
HWND FindDonationPicture(HWND window);

// `control`'s window rectangle in the client coordinates of `window`.
RECT RectInClient(HWND control, HWND window);

// The items of a list box; nothing when the list does not answer in time.
std::optional<std::vector<std::string>> ListItems(HWND listBox);

// The window that has the keyboard focus in `window`'s thread, or null.
HWND FocusOf(HWND window);

// Presses Tab (posted to the focused control of `window`) until `target`
// has the focus. False when it never gets it.
bool TabTo(HWND window, HWND target);

// Returns once `window`'s thread takes messages again (back in its message
// loop or in a modal one) and has handled one sent now; false on timeout.
bool WaitForIdle(HWND window, Duration timeout = kTimeout);

// ---- Acting on windows (posted: they return at once) --------------------

void Click(HWND button);           // BM_CLICK
void ClickPicture(HWND control);   // left button down and up at its centre
void PressKey(HWND control, UINT virtualKey);  // key down and up, sent to `control`

// ---- Real input (through the system's input queue, as hands give it) ----
//
// The pointer and keys go where the system sends them: to the window under
// the pointer and to the window with the keyboard focus. Each message is
// queued for its window at once, even while that window's thread is busy, and
// handled when the thread next takes messages, as on Windows.

void MouseClick(HWND control, int clicks = 1);  // left button at the centre of `control`
void MouseClickAt(POINT screen, int clicks = 1);
void TypeKey(UINT virtualKey);                  // key down and up

// ---- Message boxes -------------------------------------------------------

struct MessageBoxInfo {
    HWND dialog = nullptr;
    std::string title;
    std::string text;
    HWND owner = nullptr;       // the window the box belongs to, if any
    bool ownerEnabled = false;  // whether that window took input while the box was up
};

// A visible message box (#32770 dialog) of process `processId`, if one is up.
std::optional<MessageBoxInfo> FindMessageBox(DWORD processId);
std::optional<MessageBoxInfo> WaitForMessageBox(DWORD processId, Duration timeout = kTimeout);

// Presses the box's OK button; true when the box has gone.
bool PressOk(const MessageBoxInfo& box, Duration timeout = kTimeout);

// ---- Screenshots ---------------------------------------------------------

// What the screen showed inside a window's rectangle: RGB rows, top row first.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    COLORREF Pixel(int x, int y) const;  // window coordinates
    // How many pixels of `rect` (window coordinates) have exactly `colour`.
    int Count(const RECT& rect, COLORREF colour) const;
};

// What the screen shows inside `window`'s rectangle once painting has
// settled; nothing when it did not settle.
std::optional<Capture> CaptureWindow(HWND window);

bool SavePng(const Capture& capture, const std::string& path);
// CaptureWindow, then SavePng.
bool SaveScreenshot(HWND window, const std::string& path);

// ---- The program under test ----------------------------------------------

class ScourwellProcess {
public:
    static constexpr char kCaption[] = "Scourwell Tool - Created by Quillom";

    // The built executable, as a Windows path (the build passes its location
    // in SCOURWELL_EXE).
    static std::string DefaultPath();

    // Starts `exePath` (a Windows path) with `workingFolder` as its current
    // folder, by default its own. started() tells whether that worked.
    explicit ScourwellProcess(const std::string& exePath, std::optional<std::string> workingFolder = std::nullopt);
    ~ScourwellProcess();  // terminates the process if it still runs
    ScourwellProcess(const ScourwellProcess&) = delete;
    ScourwellProcess& operator=(const ScourwellProcess&) = delete;

    bool started() const { return static_cast<bool>(process_); }
    DWORD id() const { return processId_; }

    // Waits until the main window is visible; window() is it afterwards.
    // False at once when the process did not start.
    bool WaitForWindow(Duration timeout = kTimeout);
    HWND window() const { return window_; }

    // A button of the main window by its caption.
    HWND Button(std::string_view caption) const { return FindControl(window_, "Button", caption); }

    // Presses "Start Scan" with `press` (by default Click) and waits until the
    // button reads "Done" and the run has returned, pressing OK on every
    // message box on the way and calling `afterBox`, if given, once each box
    // has gone. Returns the boxes in the order they came; nothing when the
    // run did not end in time or the window went.
    std::optional<std::vector<MessageBoxInfo>> RunScan(const std::function<void(HWND)>& press = Click,
                                                       const std::function<void()>& afterBox = {},
                                                       Duration timeout = Duration{120000});

    bool HasExited() const;
    // The exit code once the process has ended.
    std::optional<DWORD> ExitCode() const;
    bool WaitForExit(Duration timeout = kTimeout);
    void Terminate();

private:
    UniqueHandle job_;
    UniqueHandle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

}  // namespace scourwell::e2e
