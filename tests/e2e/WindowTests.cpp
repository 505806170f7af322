// The window as a user meets it: layout, keyboard, a run on a clean machine
// and on one with findings, and the ways of closing it.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Driver.h"
#include "tests/support/Seeds.h"

namespace scourwell::e2e {
namespace {

using namespace scourwell::support;

const char kExplanation[] =
    "This removal tool scans for and deletes the registry entries, library files, and executables associated "
    "with the following malware:";
const char kTargetNames[] =
    "WinTools, WinToolsA.exe, WinToolsS.exe, SpecialGoods.info, Newgenlook.info, and Nail.exe (Aurora)";

std::string Screenshot(const char* name)
{
    return WindowsPath(SCREENSHOT_DIR) + "\\" + name;
}

// The controls of a running window, found as automation finds them: by
// class and text, and through their containers.
using Controls = std::map<std::string, HWND>;

Controls FindAll(HWND window)
{
    Controls c;
    c["Label1"] = FindControl(window, "Static", "Welcome to the Scourwell Tool");
    c["Label2"] = FindControl(window, "Static", "This tool will automatically scan for and delete known malware");
    c["output"] = FindControl(window, "Static", kExplanation);
    c["Label3"] = FindControl(window, "Static", kTargetNames);
    c["Frame1"] = FindControl(window, "Button", "System Scan");
    c["Command1"] = FindControl(window, "Button", "Start Scan");
    c["Command2"] = FindControl(window, "Button", "Cancel");
    c["logOutput"] = FindControl(window, "ListBox");
    c["Picture1"] = c["Command1"] ? GetParent(c["Command1"]) : nullptr;
    c["Picture2"] = c["Label1"] ? GetParent(c["Label1"]) : nullptr;
    c["Picture3"] = FindDonationPicture(window);
    return c;
}

// FindAll, with a fatal failure that names any control not found.
void FindEvery(HWND window, Controls& c)
{
    c = FindAll(window);
    for (const auto& [name, control] : c)
        ASSERT_NE(control, nullptr) << name << " not found";
}

// Whether `upper` is drawn above its sibling `lower`.
bool Above(HWND upper, HWND lower)
{
    for (HWND next = GetWindow(upper, GW_HWNDNEXT); next != nullptr; next = GetWindow(next, GW_HWNDNEXT)) {
        if (next == lower)
            return true;
    }
    return false;
}

COLORREF ScreenPixel(HWND window, int x, int y)
{
    POINT point{x, y};
    ClientToScreen(window, &point);
    const HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

HCURSOR CurrentCursor()
{
    CURSORINFO info{};
    info.cbSize = sizeof info;
    return GetCursorInfo(&info) ? info.hCursor : nullptr;
}

void PointAt(HWND control)
{
    RECT rect{};
    GetWindowRect(control, &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

struct Placement {
    const char* name;
    const char* container;  // "" for the window itself
    int left, top, width, height;  // twips
};

// The layout in twips, relative to each control's container.
const Placement kLayout[] = {
    {"Picture2", "", 0, 0, 6930, 727},
    {"Label1", "Picture2", 360, 150, 6135, 255},
    {"Label2", "Picture2", 720, 360, 6135, 255},
    {"Picture3", "Picture2", 5760, 120, 930, 465},
    {"Frame1", "", 480, 1080, 6015, 2775},
    {"output", "Frame1", 360, 480, 5415, 1455},
    {"Label3", "Frame1", 360, 1080, 5295, 495},
    {"logOutput", "Frame1", 360, 1080, 5295, 900},
    {"Picture1", "Frame1", 2640, 2160, 3255, 375},
    {"Command1", "Picture1", 240, 0, 1335, 375},
    {"Command2", "Picture1", 1680, 0, 1335, 375},
};

// Twips to pixels, rounded to the nearest: 15 twips to the pixel at 96 dpi.
int Pixels(int twips, int dpi)
{
    return (twips * dpi + 720) / 1440;
}

POINT OriginInWindow(const std::string& name, int dpi)
{
    for (const Placement& p : kLayout) {
        if (name == p.name) {
            POINT origin = p.container[0] == '\0' ? POINT{0, 0} : OriginInWindow(p.container, dpi);
            return {origin.x + Pixels(p.left, dpi), origin.y + Pixels(p.top, dpi)};
        }
    }
    ADD_FAILURE() << "no placement for " << name;
    return {};
}

// The client area and every control's container and rectangle, as the
// twips layout gives them at `dpi`.
void ExpectLayout(HWND window, Controls& c, int dpi)
{
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, Pixels(6945, dpi));
    EXPECT_EQ(client.bottom, Pixels(4230, dpi));
    for (const Placement& p : kLayout) {
        SCOPED_TRACE(p.name);
        const HWND control = c[p.name];
        EXPECT_EQ(GetParent(control), p.container[0] == '\0' ? window : c[p.container]);
        const POINT origin = OriginInWindow(p.name, dpi);
        const RECT rect = RectInClient(control, window);
        EXPECT_EQ(rect.left, origin.x);
        EXPECT_EQ(rect.top, origin.y);
        // Picture3 is sized to its 62 x 31 pixel picture, at any resolution.
        const bool picture = std::string(p.name) == "Picture3";
        EXPECT_EQ(rect.right - rect.left, picture ? 62 : Pixels(p.width, dpi));
        EXPECT_EQ(rect.bottom - rect.top, picture ? 31 : Pixels(p.height, dpi));
    }
}

TEST(Window, OpensWithItsLayoutTextsAndKeyboardOrder)
{
    {
        const HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        ASSERT_EQ(dpi, 96) << "the layout figures below are for a 96 dpi display";
    }
    ScourwellProcess app(ScourwellProcess::DefaultPath());
    ASSERT_TRUE(app.WaitForWindow());
    const HWND window = app.window();
    Controls c;
    ASSERT_NO_FATAL_FAILURE(FindEvery(window, c));

    EXPECT_EQ(TextOf(window), "Scourwell Tool - Created by Quillom");
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX)) << "the border is fixed";
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 463);
    EXPECT_EQ(client.bottom, 282);
    RECT frame{};
    GetWindowRect(window, &frame);
    EXPECT_NEAR((frame.left + frame.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    ExpectLayout(window, c, 96);
    for (const auto& [name, control] : c)
        EXPECT_EQ(IsWindowVisible(control) != FALSE, name != "logOutput") << name;
    EXPECT_EQ(ListItems(c["logOutput"]), std::vector<std::string>{});

    // Pictures and the list above the labels they overlap; Label3 above output.
    EXPECT_TRUE(Above(c["Picture3"], c["Label1"]));
    EXPECT_TRUE(Above(c["Picture3"], c["Label2"]));
    EXPECT_TRUE(Above(c["logOutput"], c["Label3"]));
    EXPECT_TRUE(Above(c["logOutput"], c["output"]));
    EXPECT_TRUE(Above(c["Label3"], c["output"]));
    // Label1's rectangle reaches 3 pixels into Label2's: its background must
    // not cut the top off Label2's text.
    EXPECT_TRUE(Above(c["Label2"], c["Label1"]));

    // Header band in the window colour, then the two-pixel grey-text line,
    // then the face colour.
    const auto headerAndLine = [&] {
        return ScreenPixel(window, 4, 47) == GetSysColor(COLOR_WINDOW) &&
               ScreenPixel(window, 4, 48) == GetSysColor(COLOR_GRAYTEXT) &&
               ScreenPixel(window, 460, 49) == GetSysColor(COLOR_GRAYTEXT) &&
               ScreenPixel(window, 4, 50) == GetSysColor(COLOR_BTNFACE);
    };
    EXPECT_TRUE(WaitUntil(headerAndLine));

    // Neither button is the default or the cancel button.
    for (const char* name : {"Command1", "Command2"})
        EXPECT_EQ(GetWindowLongA(c[name], GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON) << name;

    // Focus starts on Picture1; Tab walks the tab order, skipping the labels,
    // the frame and the hidden list, and comes round again.
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(window) == c["Picture1"]; }));
    const std::vector<std::string> tabOrder = {"Command1", "Picture2", "Command2", "Picture3", "Picture1"};
    for (const std::string& next : tabOrder) {
        PressKey(FocusOf(window), VK_TAB);
        EXPECT_TRUE(WaitUntil([&] { return FocusOf(window) == c[next]; })) << "Tab to " << next;
    }
    // Enter and Escape neither start a run nor close the window. The Tab
    // after them shows they have been handled.
    PressKey(c["Picture1"], VK_RETURN);
    PressKey(c["Picture1"], VK_ESCAPE);
    PressKey(c["Picture1"], VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(window) == c["Command1"]; }));
    EXPECT_FALSE(app.HasExited());
    EXPECT_EQ(TextOf(c["Command1"]), "Start Scan");
    EXPECT_TRUE(IsWindowVisible(c["Label3"]));

    // The pointer turns into the hand over the donation picture only.
    PointAt(c["Label1"]);
    EXPECT_TRUE(WaitUntil([&] { return CurrentCursor() != nullptr; }));
    const HCURSOR arrow = CurrentCursor();
    PointAt(c["Picture3"]);
    EXPECT_TRUE(WaitUntil([&] { return CurrentCursor() != arrow; })) << "no hand over Picture3";
    PointAt(c["Label1"]);
    EXPECT_TRUE(WaitUntil([&] { return CurrentCursor() == arrow; }));
}

TEST(Window, LayoutFollowsTheDisplayResolution)
{
    // Read by each program as it starts.
    const ValueOverride largeFonts(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels",
                                   RegistryValue::Number(120));
    ASSERT_TRUE(largeFonts.applied());
    ScourwellProcess app(ScourwellProcess::DefaultPath());
    ASSERT_TRUE(app.WaitForWindow());
    Controls c;
    ASSERT_NO_FATAL_FAILURE(FindEvery(app.window(), c));
    ExpectLayout(app.window(), c, 120);
    EXPECT_TRUE(SaveScreenshot(app.window(), Screenshot("window-open-120dpi.png")));
}

// `control`'s rectangle in the coordinates of a capture of `window`.
RECT RectInCapture(HWND control, HWND window)
{
    RECT rect{};
    GetWindowRect(control, &rect);
    RECT frame{};
    GetWindowRect(window, &frame);
    OffsetRect(&rect, -frame.left, -frame.top);
    return rect;
}

TEST(Window, TextsTakeTheSchemesButtonOrWindowColours)
{
    // As in high-contrast schemes, button text differs from window text and
    // the button face from the window colour. Each program reads the scheme
    // as it starts; the driver's own colours stay the default ones.
    const COLORREF windowColour = RGB(0, 0, 0);
    const COLORREF windowText = RGB(0, 255, 0);
    const COLORREF buttonFace = RGB(0, 0, 128);
    const COLORREF buttonText = RGB(255, 255, 0);
    std::vector<std::unique_ptr<ValueOverride>> scheme;
    for (const auto& [name, colour] : std::map<std::string, COLORREF>{
             {"Window", windowColour}, {"WindowText", windowText}, {"ButtonFace", buttonFace},
             {"ButtonText", buttonText}}) {
        const std::string rgb = std::to_string(GetRValue(colour)) + " " + std::to_string(GetGValue(colour)) + " " +
                                std::to_string(GetBValue(colour));
        scheme.push_back(std::make_unique<ValueOverride>(HKEY_CURRENT_USER, "Control Panel\\Colors", name,
                                                         RegistryValue::Text(rgb)));
        ASSERT_TRUE(scheme.back()->applied()) << name;
    }
    SeededFile nail(WindowsDirectory() + "\\nail.exe");
    ASSERT_TRUE(nail.created());
    ScourwellProcess app(ScourwellProcess::DefaultPath());
    ASSERT_TRUE(app.WaitForWindow());
    const HWND window = app.window();
    Controls c;
    ASSERT_NO_FATAL_FAILURE(FindEvery(window, c));

    struct Region {
        std::string name;
        RECT rect;  // capture coordinates
        COLORREF text, background;
    };
    const auto expectColours = [&](const Capture& capture, const std::vector<Region>& regions) {
        for (const Region& region : regions) {
            SCOPED_TRACE(region.name);
            const RECT& r = region.rect;
            const COLORREF otherText = region.text == buttonText ? windowText : buttonText;
            EXPECT_GT(capture.Count(r, region.text), 0) << "no text in its colour";
            EXPECT_EQ(capture.Count(r, otherText), 0) << "text in the other colour";
            EXPECT_GT(capture.Count(r, region.background), (r.right - r.left) * (r.bottom - r.top) / 2)
                << "background";
        }
    };
    // Each region holds one control's text only: the labels overlap, and
    // the donation picture has colours of its own.
    const RECT frame1 = RectInCapture(c["Frame1"], window);
    const RECT output = RectInCapture(c["output"], window);
    const RECT list = RectInCapture(c["logOutput"], window);
    const LONG pictureLeft = RectInCapture(c["Picture3"], window).left;
    RECT label1 = RectInCapture(c["Label1"], window);
    RECT label2 = RectInCapture(c["Label2"], window);
    label1.right = label2.right = pictureLeft;
    const Region frame1Caption{"Frame1's caption", {frame1.left, frame1.top, frame1.right, output.top}, buttonText,
                               buttonFace};
    const Region outputText{"output", {output.left, output.top, output.right, list.top}, buttonText, buttonFace};

    const std::optional<Capture> open = CaptureWindow(window);
    ASSERT_TRUE(open);
    EXPECT_TRUE(SavePng(*open, Screenshot("window-open-high-contrast.png")));
    expectColours(*open, {frame1Caption,
                          outputText,
                          {"Label3", RectInCapture(c["Label3"], window), buttonText, buttonFace},
                          {"Label1", label1, windowText, windowColour},
                          {"Label2", label2, windowText, windowColour}});

    ASSERT_TRUE(app.RunScan()) << "the run did not finish";
    const std::optional<Capture> finished = CaptureWindow(window);
    ASSERT_TRUE(finished);
    EXPECT_TRUE(SavePng(*finished, Screenshot("window-finished-high-contrast.png")));
    expectColours(*finished, {frame1Caption,
                              outputText,
                              {"logOutput", list, windowText, windowColour}});
    Click(c["Command1"]);
    EXPECT_TRUE(app.WaitForExit());
}

TEST(Window, CleanMachineRunShowsNoMalwareAndDoneCloses)
{
    const RemovedKey noRunServices(HKEY_LOCAL_MACHINE, kRunServicesKey);
    ASSERT_TRUE(noRunServices.removed());
    ScourwellProcess app(ScourwellProcess::DefaultPath());
    ASSERT_TRUE(app.WaitForWindow());
    Controls c = FindAll(app.window());
    ASSERT_NE(c["output"], nullptr);
    EXPECT_TRUE(SaveScreenshot(app.window(), Screenshot("window-open.png")));

    const auto boxes = app.RunScan();
    ASSERT_TRUE(boxes) << "the run did not finish";
    ASSERT_EQ(boxes->size(), 1u);
    EXPECT_EQ((*boxes)[0].text, "Error opening parent key");
    EXPECT_EQ((*boxes)[0].title, "Scourwell");
    // Application-modal: the window takes no clicks (no second run) meanwhile.
    EXPECT_EQ((*boxes)[0].owner, app.window());
    EXPECT_FALSE((*boxes)[0].ownerEnabled);

    EXPECT_EQ(TextOf(c["Command1"]), "Done");
    EXPECT_EQ(TextOf(c["output"]), "Scanning Complete. No malware was found on your system.");
    EXPECT_FALSE(IsWindowVisible(c["Label3"]));
    EXPECT_FALSE(IsWindowVisible(c["logOutput"]));
    EXPECT_EQ(ListItems(c["logOutput"]), std::vector<std::string>{});
    EXPECT_TRUE(SaveScreenshot(app.window(), Screenshot("window-finished-clean.png")));

    Click(c["Command1"]);
    EXPECT_TRUE(app.WaitForExit());
    EXPECT_EQ(app.ExitCode(), 0u);
}

std::optional<LRESULT> TopIndex(HWND list)
{
    DWORD_PTR index = 0;
    if (!SendMessageTimeoutA(list, LB_GETTOPINDEX, 0, 0, SMTO_ABORTIFHUNG, 5000, &index))
        return std::nullopt;
    return static_cast<LRESULT>(index);
}

TEST(Window, SeededFindingsAreListedInOrderAndRemoved)
{
    const std::string windows = WindowsDirectory();
    const std::string drive = windows.substr(0, 2);
    const std::string nail = windows + "\\nail.exe";
    const char kRemoved[] =
        "Malware file(s) have been detected and are listed below. The files have been removed from your system.\r\n";
    const char kPartlyRemoved[] =
        "Malware file(s) have been detected and are listed below. Some of them could not be removed from your "
        "system and are marked in the list.\r\n";
    struct Case {
        const char* name;
        std::vector<std::string> files;  // in the order the probes ask for them
        bool holdFirstFileOpen;
        std::vector<std::string> expectedList;
        const char* expectedOutput;
        bool scrollBar;
    };
    const Case cases[] = {
        {"a file and a key", {nail}, false, {nail, "HKEY_CURRENT_USER\\Software\\Aurora"}, kRemoved, false},
        {"more than the list shows",
         {nail, windows + "\\tdtb.exe", windows + "\\svcproc.exe", windows + "\\System32\\DrPMon.dll",
          windows + "\\system32\\qzqnfn.exe", drive + "\\windows.exe"},
         false,
         {nail, windows + "\\tdtb.exe", windows + "\\svcproc.exe", windows + "\\System32\\DrPMon.dll",
          windows + "\\system32\\qzqnfn.exe", drive + "\\windows.exe", "HKEY_CURRENT_USER\\Software\\Aurora"},
         kRemoved, true},
        {"a file held open by another program",
         {nail}, true, {nail + " (not removed)", "HKEY_CURRENT_USER\\Software\\Aurora"}, kPartlyRemoved, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        std::vector<std::unique_ptr<SeededFile>> files;
        for (const std::string& path : test.files) {
            files.push_back(std::make_unique<SeededFile>(path));
            ASSERT_TRUE(files.back()->created()) << path;
        }
        SeededKey aurora(HKEY_CURRENT_USER, "Software\\Aurora");
        SeededKey auroraChild(HKEY_CURRENT_USER, "Software\\Aurora\\Settings");
        ASSERT_TRUE(aurora.created() && auroraChild.created());
        UniqueFileHandle held;
        if (test.holdFirstFileOpen) {
            // Open without delete sharing, as a running program holds its file.
            held.reset(CreateFileA(test.files.front().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_TRUE(held);
        }

        ScourwellProcess app(ScourwellProcess::DefaultPath());
        ASSERT_TRUE(app.WaitForWindow());
        Controls c = FindAll(app.window());
        ASSERT_NE(c["output"], nullptr);

        ASSERT_TRUE(app.RunScan()) << "the run did not finish";
        EXPECT_TRUE(IsWindowVisible(c["logOutput"]));
        EXPECT_FALSE(IsWindowVisible(c["Label3"]));
        EXPECT_EQ(ListItems(c["logOutput"]), test.expectedList);
        EXPECT_EQ(TextOf(c["output"]), test.expectedOutput);
        EXPECT_EQ((GetWindowLongA(c["logOutput"], GWL_STYLE) & WS_VSCROLL) != 0, test.scrollBar);
        EXPECT_EQ(TopIndex(c["logOutput"]), 0) << "the first items stay in view";
        for (std::size_t i = 0; i < test.files.size(); ++i)
            EXPECT_EQ(Exists(test.files[i]), i == 0 && test.holdFirstFileOpen) << test.files[i];
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Aurora"));
        if (test.scrollBar) {
            EXPECT_TRUE(SaveScreenshot(app.window(), Screenshot("window-finished-findings.png")));
        }

        Click(c["Command1"]);
        EXPECT_TRUE(app.WaitForExit());
    }
}

TEST(Window, CancelAndTitleBarCloseEndTheProgramWithoutTouchingTheMachine)
{
    struct Way {
        const char* name;
        void (*close)(ScourwellProcess&);
    };
    const Way ways[] = {
        {"Cancel", [](ScourwellProcess& app) { Click(app.Button("Cancel")); }},
        {"title bar", [](ScourwellProcess& app) { PostMessageA(app.window(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    const std::string nail = WindowsDirectory() + "\\nail.exe";
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        SeededFile nailFile(nail);
        ASSERT_TRUE(nailFile.created());
        ScourwellProcess app(ScourwellProcess::DefaultPath());
            ASSERT_TRUE(app.WaitForWindow());
        way.close(app);
        EXPECT_TRUE(app.WaitForExit());
        EXPECT_EQ(app.ExitCode(), 0u);
        EXPECT_TRUE(Exists(nail));
    }
}

}  // namespace
}  // namespace scourwell::e2e
