#include "app/frmScourwell.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>

#include "app/CommonControls.h"
#include "app/WebLink.h"
#include "scan/Module1.h"
#include "scan/ScanRun.h"
#include "system/Win32SystemServices.h"

#include "resources/resource.h"

namespace scourwell {
namespace {

constexpr char kWindowClass[] = "frmScourwell";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr int kClientWidthTwips = 6945;
constexpr int kClientHeightTwips = 4230;
constexpr int kFirstControlId = 100;  // clear of IDOK and IDCANCEL: no default or cancel button

// Line1: the separator under the header band.
constexpr int kLine1TopTwips = 720;
constexpr int kLine1RightTwips = 7020;
constexpr int kLine1WidthPixels = 2;

// Twips are 1/1440 inch: 15 to the pixel at 96 dpi.
int TwipsToPixels(int twips, int dpi)
{
    return MulDiv(twips, dpi, 1440);
}

// none: the control shows no text (the picture boxes).
enum class Font { none, standard, arialBold, arialRegular, sansSerifBold };

struct ControlRow {
    Control id;
    const char* className;
    Control container;  // Control::count: the window itself
    int left, top, width, height;  // twips, relative to the container
    int tabIndex;
    const char* text;
    Font font;
    DWORD style;  // besides WS_CHILD | WS_CLIPSIBLINGS
    DWORD exStyle;
};

constexpr Control kWindow = Control::count;
constexpr DWORD kContainer = WS_VISIBLE | WS_CLIPCHILDREN;
constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT;

// Parents come before their children. Within one container the rows are in
// z-order, topmost first: pictures and the list above labels, Label3 above
// output, and Label2 above Label1, whose rectangle reaches into Label2's
// first line.
constexpr ControlRow kControls[] = {
    {Control::Picture2, "STATIC", kWindow, 0, 0, 6930, 727, 3, "", Font::none,
     kContainer | SS_LEFT | WS_TABSTOP, WS_EX_CONTROLPARENT},
    // Picture3's text is its name for screen readers and the name of its
    // bitmap resource, which the control loads and sizes itself to.
    {Control::Picture3, "STATIC", Control::Picture2, 5760, 120, 930, 465, 10, "Donate", Font::none,
     WS_VISIBLE | SS_BITMAP | SS_NOTIFY | WS_TABSTOP, 0},
    {Control::Label2, "STATIC", Control::Picture2, 720, 360, 6135, 255, 7,
     "This tool will automatically scan for and delete known malware", Font::arialRegular, kLabel, 0},
    {Control::Label1, "STATIC", Control::Picture2, 360, 150, 6135, 255, 4,
     "Welcome to the Scourwell Tool", Font::arialBold, kLabel, 0},
    {Control::Frame1, "BUTTON", kWindow, 480, 1080, 6015, 2775, 0, "System Scan", Font::standard,
     kContainer | BS_GROUPBOX, WS_EX_CONTROLPARENT},
    {Control::Picture1, "STATIC", Control::Frame1, 2640, 2160, 3255, 375, 1, "", Font::none,
     kContainer | SS_LEFT | WS_TABSTOP, WS_EX_CONTROLPARENT},
    {Control::Command1, "BUTTON", Control::Picture1, 240, 0, 1335, 375, 2, "Start Scan",
     Font::sansSerifBold, WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP, 0},
    {Control::Command2, "BUTTON", Control::Picture1, 1680, 0, 1335, 375, 5, "Cancel", Font::standard,
     WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP, 0},
    {Control::logOutput, "LISTBOX", Control::Frame1, 360, 1080, 5295, 900, 8, "", Font::arialRegular,
     WS_VSCROLL | LBS_NOINTEGRALHEIGHT | WS_TABSTOP, WS_EX_CLIENTEDGE},
    {Control::Label3, "STATIC", Control::Frame1, 360, 1080, 5295, 495, 9, "", Font::arialBold, kLabel, 0},
    {Control::output, "STATIC", Control::Frame1, 360, 480, 5415, 1455, 6,
     "This removal tool scans for and deletes the registry entries, library files, and executables "
     "associated with the following malware:",
     Font::arialRegular, kLabel, 0},
};
static_assert(std::size(kControls) == static_cast<std::size_t>(Control::count));

constexpr int ControlId(Control which)
{
    return kFirstControlId + static_cast<int>(which);
}

// Whether row `index` of the table has a sibling made before it.
constexpr bool HasEarlierSibling(std::size_t index)
{
    for (std::size_t earlier = 0; earlier < index; ++earlier) {
        if (kControls[earlier].container == kControls[index].container)
            return true;
    }
    return false;
}

// Keyboard and mouse messages, of the client and of the non-client area.
struct MessageRange {
    UINT first, last;
};
constexpr UINT kMouseHorizontalWheel = 0x020E;  // WM_MOUSEHWHEEL, newer than the headers we target
constexpr MessageRange kInputMessages[] = {
    {WM_KEYFIRST, WM_KEYLAST},
    {WM_MOUSEFIRST, kMouseHorizontalWheel},
    {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK},
};

// Input that arrived while a run held the thread was aimed at a window that
// did not respond, and must not act on the window the run leaves behind.
void DropQueuedInput()
{
    MSG message;
    for (const MessageRange& range : kInputMessages) {
        while (PeekMessageA(&message, nullptr, range.first, range.last, PM_REMOVE)) {
            // A quit comes whatever the range asked for; it stays for the loop.
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
        }
    }
}

// Standard controls keep WM_COMMAND and colour requests with their parent,
// and a group box never paints its inside. The containers hand both to the
// main window, which keeps every handler in one place, and fill their inside
// with the colour the main window gives them.
LRESULT CALLBACK ContainerProc(HWND container, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(container, GWLP_USERDATA));
    switch (message) {
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        return SendMessageA(GetAncestor(container, GA_ROOT), message, wParam, lParam);
    case WM_ERASEBKGND: {
        const auto dc = reinterpret_cast<HDC>(wParam);
        const auto brush = reinterpret_cast<HBRUSH>(
            SendMessageA(GetAncestor(container, GA_ROOT), WM_CTLCOLORSTATIC, wParam,
                         reinterpret_cast<LPARAM>(container)));
        RECT client;
        GetClientRect(container, &client);
        FillRect(dc, &client, brush);
        return 1;
    }
    default:
        return CallWindowProcA(original, container, message, wParam, lParam);
    }
}

void MakeContainer(HWND window)
{
    SetWindowLongPtrA(window, GWLP_USERDATA, GetWindowLongPtrA(window, GWLP_WNDPROC));
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ContainerProc));
}

UniqueGdiObject MakeFont(const char* face, int weight, int dpi)
{
    // 8.25 point, charset 0, upright, no underline or strikeout.
    return UniqueGdiObject(CreateFontA(-MulDiv(825, dpi, 7200), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                                       ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}

std::string WindowText(HWND window)
{
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool RegisterWindowClass(HINSTANCE instance, WNDPROC windowProc)
{
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SCOURWELL));
    // Shared, like the large icon: the system frees it with the module, and
    // nothing is left behind when the class already exists.
    windowClass.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_SCOURWELL), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR | LR_SHARED));
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

frmScourwell::~frmScourwell()
{
    // The controls go before the fonts they use.
    if (hwnd_ != nullptr)
        DestroyWindow(hwnd_);
}

bool frmScourwell::Show(int showCommand)
{
    Form_Initialize();
    if (!RegisterWindowClass(instance_, &WindowProc))
        return false;

    if (const HDC screen = GetDC(nullptr)) {
        dpiX_ = GetDeviceCaps(screen, LOGPIXELSX);
        dpiY_ = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    RECT frame{0, 0, TwipsToPixels(kClientWidthTwips, dpiX_), TwipsToPixels(kClientHeightTwips, dpiY_)};
    AdjustWindowRect(&frame, kWindowStyle, FALSE);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

    if (CreateWindowExA(0, kWindowClass, kWindowCaption, kWindowStyle, x, y, width, height, nullptr, nullptr,
                        instance_, this) == nullptr)
        return false;
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    SetFocus(control(Control::Picture1));
    return true;
}

LRESULT CALLBACK frmScourwell::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    frmScourwell* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<frmScourwell*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->hwnd_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<frmScourwell*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    if (self == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT frmScourwell::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        if (!CreateControls())
            return -1;
        Form_Load();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == control(Control::Picture3)) {
            // Loaded when first wanted: most starts never point at the picture.
            if (hand_ == nullptr)
                hand_ = LoadCursorA(instance_, MAKEINTRESOURCEA(IDC_POINTING_HAND));
            if (hand_ != nullptr) {
                SetCursor(hand_);
                return TRUE;
            }
        }
        break;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ACTIVATE:
        // Focus returns to the control that had it, not to the window itself.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus != nullptr && IsChild(hwnd_, focus))
                focusBeforeDeactivation_ = focus;
        } else if (focusBeforeDeactivation_ != nullptr && IsWindowVisible(focusBeforeDeactivation_)) {
            SetFocus(focusBeforeDeactivation_);
        } else {
            SetFocus(control(Control::Picture1));
        }
        return 0;
    case WM_CLOSE:
        if (!runInProgress_)
            Command2_Click();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY: {
        // The last message: the window is gone once it returns.
        const HWND window = std::exchange(hwnd_, nullptr);
        controls_.fill(nullptr);
        tabOrder_.clear();
        focusBeforeDeactivation_ = nullptr;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    default:
        break;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

bool frmScourwell::CreateControls()
{
    arialBold_ = MakeFont("Arial", FW_BOLD, dpiY_);
    arialRegular_ = MakeFont("Arial", FW_NORMAL, dpiY_);
    sansSerifBold_ = MakeFont("MS Sans Serif", FW_BOLD, dpiY_);
    const auto fontFor = [&](Font font) -> HGDIOBJ {
        switch (font) {
        case Font::arialBold:
            return arialBold_.get();
        case Font::arialRegular:
            return arialRegular_.get();
        case Font::sansSerifBold:
            return sansSerifBold_.get();
        case Font::standard:
        case Font::none:
            break;
        }
        return GetStockObject(DEFAULT_GUI_FONT);
    };

    // New children land below their siblings on some systems and above them
    // on others; each must go below the ones made before it. Asked once, as
    // every question and every move is a round trip to the window system.
    std::optional<bool> newChildrenLandBelow;
    for (std::size_t index = 0; index < std::size(kControls); ++index) {
        const ControlRow& row = kControls[index];
        const HWND parent = row.container == kWindow ? hwnd_ : control(row.container);
        const HWND window = CreateWindowExA(
            row.exStyle, row.className, row.text, WS_CHILD | WS_CLIPSIBLINGS | row.style,
            TwipsToPixels(row.left, dpiX_), TwipsToPixels(row.top, dpiY_), TwipsToPixels(row.width, dpiX_),
            TwipsToPixels(row.height, dpiY_), parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(row.id))), instance_, nullptr);
        if (window == nullptr)
            return false;
        if (HasEarlierSibling(index)) {
            if (!newChildrenLandBelow)
                newChildrenLandBelow = GetWindow(window, GW_HWNDNEXT) == nullptr;
            if (!*newChildrenLandBelow)
                SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        if (row.font != Font::none)
            SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(row.font)), FALSE);
        if (row.style & WS_CLIPCHILDREN)
            MakeContainer(window);
        controls_[static_cast<std::size_t>(row.id)] = window;
    }

    std::vector<const ControlRow*> tabRows;
    for (const ControlRow& row : kControls) {
        if (row.style & WS_TABSTOP)
            tabRows.push_back(&row);
    }
    std::sort(tabRows.begin(), tabRows.end(),
              [](const ControlRow* a, const ControlRow* b) { return a->tabIndex < b->tabIndex; });
    for (const ControlRow* row : tabRows)
        tabOrder_.push_back(control(row->id));

    focusBeforeDeactivation_ = control(Control::Picture1);
    return true;
}

void frmScourwell::OnCommand(int controlId, int notification)
{
    // BN_CLICKED and STN_CLICKED are both 0: one click on a button or the picture.
    // During a run only its message box's loop hands clicks over, and they
    // must not start a second run or close the window under the first.
    if (notification != BN_CLICKED || runInProgress_)
        return;
    if (controlId == ControlId(Control::Command1))
        Command1_Click();
    else if (controlId == ControlId(Control::Command2))
        Command2_Click();
    else if (controlId == ControlId(Control::Picture3))
        Picture3_Click();
}

LRESULT frmScourwell::OnCtlColorStatic(HDC dc, HWND window)
{
    // The header band and everything in it use the window colours; the rest
    // uses the button colours (the platform's default would take the
    // window-text colour, which high-contrast schemes make different).
    const HWND header = control(Control::Picture2);
    const bool inHeader = window == header || GetParent(window) == header;
    const int text = inHeader ? COLOR_WINDOWTEXT : COLOR_BTNTEXT;
    const int background = inHeader ? COLOR_WINDOW : COLOR_BTNFACE;
    SetTextColor(dc, GetSysColor(text));
    SetBkColor(dc, GetSysColor(background));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(background));
}

void frmScourwell::OnPaint()
{
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd_, &paint);
    // Line1: the window clips what lies beyond its client area.
    const int top = TwipsToPixels(kLine1TopTwips, dpiY_);
    const RECT line{0, top, TwipsToPixels(kLine1RightTwips, dpiX_), top + kLine1WidthPixels};
    FillRect(dc, &line, GetSysColorBrush(COLOR_GRAYTEXT));
    EndPaint(hwnd_, &paint);
}

bool frmScourwell::PreTranslateMessage(MSG& message)
{
    if (hwnd_ == nullptr || (message.hwnd != hwnd_ && !IsChild(hwnd_, message.hwnd)))
        return false;
    // The dialog manager walks containers one by one; the tab order here
    // moves in and out of them, so Tab is handled against the table.
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0 &&
        GetKeyState(VK_MENU) >= 0) {
        MoveFocus(GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    if (PressFocusedControl(message))
        return true;
    return IsDialogMessageA(hwnd_, &message) != FALSE;
}

bool frmScourwell::PressFocusedControl(const MSG& message)
{
    // A key held down presses once.
    constexpr LPARAM kRepeat = 1 << 30;
    if (message.message != WM_KEYDOWN || (message.lParam & kRepeat) != 0)
        return false;
    const HWND target = message.hwnd;
    // Enter presses a button as Space does, without making it the default
    // button, which would take Enter wherever the focus is.
    if (message.wParam == VK_RETURN &&
        (target == control(Control::Command1) || target == control(Control::Command2))) {
        SendMessageA(target, BM_CLICK, 0, 0);
        return true;
    }
    if ((message.wParam == VK_RETURN || message.wParam == VK_SPACE) && target == control(Control::Picture3)) {
        OnCommand(ControlId(Control::Picture3), STN_CLICKED);
        return true;
    }
    return false;
}

void frmScourwell::MoveFocus(bool backwards)
{
    const std::size_t count = tabOrder_.size();
    if (count == 0)
        return;
    const auto current = std::find(tabOrder_.begin(), tabOrder_.end(), GetFocus());
    std::size_t position = current != tabOrder_.end() ? static_cast<std::size_t>(current - tabOrder_.begin())
                                                      : (backwards ? 0 : count - 1);
    for (std::size_t step = 0; step < count; ++step) {
        position = backwards ? (position + count - 1) % count : (position + 1) % count;
        const HWND candidate = tabOrder_[position];
        if (IsWindowVisible(candidate) && IsWindowEnabled(candidate)) {
            SetFocus(candidate);
            return;
        }
    }
}

void frmScourwell::Form_Initialize()
{
    InitializeCommonControls();
}

void frmScourwell::Form_Load()
{
    SetWindowTextA(control(Control::Label3), kTargetNames);
    Module1::malwareFound = false;
}

void frmScourwell::Command1_Click()
{
    // The run blocks this thread until it is finished, but for the loop of
    // its message box.
    runInProgress_ = true;
    Win32SystemServices services;
    scourwell::Command1_Click(*this, services);
    runInProgress_ = false;
    if (hwnd_ != nullptr)
        DropQueuedInput();
}

void frmScourwell::Command2_Click()
{
    if (hwnd_ != nullptr)
        DestroyWindow(hwnd_);
}

void frmScourwell::Picture3_Click()
{
    Win32SystemServices services;
    OpenWebLink(std::string(kDonationAddress), services);
}

std::string frmScourwell::Command1Caption() const
{
    return WindowText(control(Control::Command1));
}

void frmScourwell::SetCommand1Caption(const std::string& caption)
{
    SetWindowTextA(control(Control::Command1), caption.c_str());
}

void frmScourwell::HideLabel3()
{
    ShowWindow(control(Control::Label3), SW_HIDE);
}

void frmScourwell::ShowLogOutput()
{
    ShowWindow(control(Control::logOutput), SW_SHOW);
}

void frmScourwell::SetOutputCaption(const std::string& caption)
{
    SetWindowTextA(control(Control::output), caption.c_str());
}

void frmScourwell::ReportFinding(const std::string& text)
{
    SendMessageA(control(Control::logOutput), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Module1::malwareFound = true;
}

void frmScourwell::MarkNotRemoved(std::size_t index)
{
    const HWND list = control(Control::logOutput);
    const auto item = static_cast<WPARAM>(index);
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, item, 0);
    if (length == LB_ERR)
        return;
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(SendMessageA(list, LB_GETTEXT, item, reinterpret_cast<LPARAM>(text.data()))));
    text += kNotRemovedSuffix;
    SendMessageA(list, LB_DELETESTRING, item, 0);
    SendMessageA(list, LB_INSERTSTRING, item, reinterpret_cast<LPARAM>(text.c_str()));
}

void frmScourwell::CloseWindow()
{
    Command2_Click();
}

}  // namespace scourwell
