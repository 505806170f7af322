#include "Driver.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <thread>

#include "app/GdiObject.h"

namespace scourwell::e2e {
namespace {

constexpr UINT kSendTimeoutMs = 3000;

bool SameClass(std::string_view a, std::string_view b)
{
    return lstrcmpiA(std::string(a).c_str(), std::string(b).c_str()) == 0;
}

void CollectDescendants(HWND parent, std::vector<HWND>& out)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        out.push_back(child);
        CollectDescendants(child, out);
    }
}

// ---- PNG: 8-bit RGB, stored (uncompressed) deflate blocks ----

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0)
{
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char (&type)[5], const std::vector<std::uint8_t>& data)
{
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, Crc32(out.data() + start, out.size() - start));
}

std::vector<std::uint8_t> ZlibStored(const std::vector<std::uint8_t>& raw)
{
    std::vector<std::uint8_t> out{0x78, 0x01};
    std::size_t offset = 0;
    do {
        const std::size_t length = std::min<std::size_t>(raw.size() - offset, 65535);
        const bool last = offset + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<std::uint8_t>(length));
        out.push_back(static_cast<std::uint8_t>(length >> 8));
        out.push_back(static_cast<std::uint8_t>(~length));
        out.push_back(static_cast<std::uint8_t>(~length >> 8));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
                   raw.begin() + static_cast<std::ptrdiff_t>(offset + length));
        offset += length;
    } while (offset < raw.size());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(out, (b << 16) | a);
    return out;
}

// `rows` holds height rows of width RGB triples, top row first.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb)
{
    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<std::size_t>(height) * (static_cast<std::size_t>(width) * 3 + 1));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // filter: none
        const auto row = rgb.begin() + static_cast<std::ptrdiff_t>(y) * width * 3;
        raw.insert(raw.end(), row, row + width * 3);
    }
    std::vector<std::uint8_t> header;
    PutBigEndian(header, static_cast<std::uint32_t>(width));
    PutBigEndian(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter choice, no interlace

    std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", ZlibStored(raw));
    PutChunk(png, "IEND", {});
    return png;
}

std::string Narrow(const wchar_t* wide, int length)
{
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length) * 2, '\0');
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, length, text.data(), static_cast<int>(text.size()),
                                          nullptr, nullptr);
    text.resize(static_cast<std::size_t>(std::max(bytes, 0)));
    return text;
}

struct BoxSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindBoxOfProcess(HWND window, LPARAM context)
{
    auto& search = *reinterpret_cast<BoxSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search.processId && IsWindowVisible(window) && ClassOf(window) == "#32770") {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

struct DcTraits {
    using Value = HDC;
    static HDC empty() noexcept { return nullptr; }
    static void close(HDC dc) noexcept { DeleteDC(dc); }
};

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, Duration timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(Duration{25});
    }
}

std::string WindowsPath(std::string_view path)
{
    std::string result = path.substr(0, 1) == "/" ? "Z:" + std::string(path) : std::string(path);
    std::replace(result.begin(), result.end(), '/', '\\');
    return result;
}

std::string ClassOf(HWND window)
{
    char name[256] = {};
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, static_cast<std::size_t>(std::max(length, 0)));
}

std::string TextOf(HWND window)
{
    // The stored text, read without sending the window a message.
    std::array<wchar_t, 4096> wide{};
    const int length = InternalGetWindowText(window, wide.data(), static_cast<int>(wide.size()));
    return Narrow(wide.data(), length);
}

std::vector<HWND> Descendants(HWND root)
{
    std::vector<HWND> all;
    CollectDescendants(root, all);
    return all;
}

HWND FindControl(HWND root, std::string_view className, std::optional<std::string_view> text)
{
    for (HWND window : Descendants(root)) {
        if (SameClass(ClassOf(window), className) && (!text || TextOf(window) == *text))
            return window;
    }
    return nullptr;
}

std::vector<HWND> FindControls(HWND root, std::string_view className)
{
    std::vector<HWND> found;
    for (HWND window : Descendants(root)) {
        if (SameClass(ClassOf(window), className))
            found.push_back(window);
    }
    return found;
}

HWND FindDonationPicture(HWND window)
{
    const HWND label1 = FindControl(window, "Static", "Welcome to the Scourwell Tool");
    for (HWND candidate : FindControls(label1 ? GetParent(label1) : nullptr, "Static")) {
        if ((GetWindowLongA(candidate, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            return candidate;
    }
    return nullptr;
}

RECT RectInClient(HWND control, HWND window)
{
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::optional<std::vector<std::string>> ListItems(HWND listBox)
{
    const auto send = [&](UINT message, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(listBox, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
            return std::nullopt;
        return static_cast<LRESULT>(result);
    };
    const auto count = send(LB_GETCOUNT, 0, 0);
    if (!count || *count < 0)
        return std::nullopt;
    std::vector<std::string> items;
    for (LRESULT i = 0; i < *count; ++i) {
        const auto length = send(LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (!length || *length < 0)
            return std::nullopt;
        // Wine copies a cross-process item back by its own reckoning of the
        // size; leave it ample room.
        std::vector<wchar_t> item(static_cast<std::size_t>(*length) * 2 + 1024, L'\0');
        const auto copied = send(LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
        if (!copied || *copied < 0)
            return std::nullopt;
        items.push_back(Narrow(item.data(), static_cast<int>(std::min<LRESULT>(*copied, *length))));
    }
    return items;
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

bool TabTo(HWND window, HWND target)
{
    for (int presses = 0; presses < 16; ++presses) {
        const HWND focus = FocusOf(window);
        if (focus == target)
            return true;
        PressKey(focus, VK_TAB);
        if (!WaitUntil([&] { return FocusOf(window) != focus; }, Duration{5000}))
            return false;
    }
    return FocusOf(window) == target;
}

bool WaitForIdle(HWND window, Duration timeout)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(timeout.count()), &ignored) != 0;
}

void Click(HWND button)
{
    PostMessageA(button, BM_CLICK, 0, 0);
}

void ClickPicture(HWND control)
{
    RECT client{};
    GetClientRect(control, &client);
    const LPARAM centre = MAKELPARAM((client.right - client.left) / 2, (client.bottom - client.top) / 2);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    PostMessageA(control, WM_LBUTTONUP, 0, centre);
}

void PressKey(HWND control, UINT virtualKey)
{
    PostMessageA(control, WM_KEYDOWN, virtualKey, 1);
    PostMessageA(control, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

void MouseClick(HWND control, int clicks)
{
    RECT rect{};
    GetWindowRect(control, &rect);
    MouseClickAt({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}, clicks);
}

void MouseClickAt(POINT screen, int clicks)
{
    // Every event carries its position: the pointer's own position can still
    // be catching up with an earlier move (under Wine, a program's X events
    // report it late), and a click would then land there.
    const auto normalised = [](LONG value, int extent) {
        return static_cast<LONG>((static_cast<long long>(value) * 65536 + extent - 1) / extent);
    };
    const LONG x = normalised(screen.x, GetSystemMetrics(SM_CXSCREEN));
    const LONG y = normalised(screen.y, GetSystemMetrics(SM_CYSCREEN));
    // One call, so the clicks follow each other as quickly as a double click.
    std::vector<INPUT> inputs(static_cast<std::size_t>(clicks) * 2 + 1);
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dx = x;
        inputs[i].mi.dy = y;
        const DWORD button = i == 0 ? 0 : i % 2 == 1 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
        inputs[i].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void TypeKey(UINT virtualKey)
{
    INPUT inputs[2] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = static_cast<WORD>(virtualKey);
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

std::optional<MessageBoxInfo> FindMessageBox(DWORD processId)
{
    BoxSearch search{processId, nullptr};
    EnumWindows(&FindBoxOfProcess, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr)
        return std::nullopt;

    MessageBoxInfo box;
    box.dialog = search.found;
    box.title = TextOf(search.found);
    box.owner = GetWindow(search.found, GW_OWNER);
    box.ownerEnabled = box.owner != nullptr && IsWindowEnabled(box.owner);
    // The message is the box's one static control with text (the icon has none).
    for (HWND control : FindControls(search.found, "Static")) {
        if (std::string text = TextOf(control); !text.empty()) {
            box.text = std::move(text);
            break;
        }
    }
    return box;
}

std::optional<MessageBoxInfo> WaitForMessageBox(DWORD processId, Duration timeout)
{
    std::optional<MessageBoxInfo> box;
    WaitUntil([&] { return (box = FindMessageBox(processId)).has_value(); }, timeout);
    return box;
}

bool PressOk(const MessageBoxInfo& box, Duration timeout)
{
    const HWND ok = GetDlgItem(box.dialog, IDOK);
    if (ok == nullptr)
        return false;
    Click(ok);
    return WaitUntil([&] { return !IsWindow(box.dialog) || !IsWindowVisible(box.dialog); }, timeout);
}

namespace {

// What the screen shows inside `rect`.
std::optional<Capture> CaptureScreen(const RECT& rect)
{
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const HDC screen = GetDC(nullptr);
    if (screen == nullptr)
        return std::nullopt;
    const UniqueResource<DcTraits> memory(CreateCompatibleDC(screen));
    const UniqueGdiObject bitmap(CreateCompatibleBitmap(screen, width, height));
    bool copied = false;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<std::uint8_t> bgr(static_cast<std::size_t>(stride) * height);
    if (memory && bitmap) {
        const HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
        copied = BitBlt(memory.get(), 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
        SelectObject(memory.get(), previous);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        copied = copied && GetDIBits(memory.get(), static_cast<HBITMAP>(bitmap.get()), 0, height, bgr.data(), &info,
                                     DIB_RGB_COLORS) == height;
    }
    ReleaseDC(nullptr, screen);
    if (!copied)
        return std::nullopt;

    Capture capture{width, height, {}};
    capture.rgb.reserve(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = bgr.data() + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < width; ++x)
            capture.rgb.insert(capture.rgb.end(), {row[x * 3 + 2], row[x * 3 + 1], row[x * 3]});
    }
    return capture;
}

}  // namespace

COLORREF Capture::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return CLR_INVALID;
    const std::uint8_t* pixel = rgb.data() + (static_cast<std::ptrdiff_t>(y) * width + x) * 3;
    return RGB(pixel[0], pixel[1], pixel[2]);
}

int Capture::Count(const RECT& rect, COLORREF colour) const
{
    int count = 0;
    for (int y = std::max<int>(rect.top, 0); y < std::min<int>(rect.bottom, height); ++y) {
        for (int x = std::max<int>(rect.left, 0); x < std::min<int>(rect.right, width); ++x)
            count += Pixel(x, y) == colour ? 1 : 0;
    }
    return count;
}

std::optional<Capture> CaptureWindow(HWND window)
{
    RECT rect{};
    if (!GetWindowRect(window, &rect) || rect.right <= rect.left || rect.bottom <= rect.top)
        return std::nullopt;
    // Painting comes last in the window's queue: wait until two captures a
    // moment apart agree.
    std::optional<Capture> previous;
    std::optional<Capture> current;
    const bool settled = WaitUntil(
        [&] {
            previous = std::move(current);
            Sleep(100);
            current = CaptureScreen(rect);
            return current && previous && current->rgb == previous->rgb;
        },
        Duration{5000});
    if (!settled)
        return std::nullopt;
    return current;
}

bool SavePng(const Capture& capture, const std::string& path)
{
    const std::vector<std::uint8_t> png = EncodePng(capture.width, capture.height, capture.rgb);
    const UniqueFileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return WriteFile(file.get(), png.data(), static_cast<DWORD>(png.size()), &written, nullptr) &&
           written == png.size();
}

bool SaveScreenshot(HWND window, const std::string& path)
{
    const std::optional<Capture> capture = CaptureWindow(window);
    return capture && SavePng(*capture, path);
}

std::string ScourwellProcess::DefaultPath()
{
    return WindowsPath(SCOURWELL_EXE);
}

ScourwellProcess::ScourwellProcess(const std::string& exePath, std::optional<std::string> workingFolder)
{
    // In a job that ends with its last handle, so the program and whatever it
    // started go even when the driver itself dies.
    job_.reset(CreateJobObjectA(nullptr, nullptr));
    if (job_) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    const std::string folder = workingFolder.value_or(exePath.substr(0, exePath.find_last_of('\\')));
    std::string commandLine = "\"" + exePath + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        folder.c_str(), &startup, &info))
        return;
    process_.reset(info.hProcess);
    const UniqueHandle thread(info.hThread);
    processId_ = info.dwProcessId;
    if (job_)
        AssignProcessToJobObject(job_.get(), process_.get());
    ResumeThread(thread.get());
}

ScourwellProcess::~ScourwellProcess()
{
    Terminate();
}

bool ScourwellProcess::WaitForWindow(Duration timeout)
{
    return started() && WaitUntil(
        [&] {
            HWND window = nullptr;
            while ((window = FindWindowExA(nullptr, window, nullptr, kCaption)) != nullptr) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == processId_ && IsWindowVisible(window)) {
                    window_ = window;
                    return true;
                }
            }
            return false;
        },
        timeout);
}

std::optional<std::vector<MessageBoxInfo>> ScourwellProcess::RunScan(const std::function<void(HWND)>& press,
                                                                   const std::function<void()>& afterBox,
                                                                   Duration timeout)
{
    const HWND command1 = Button("Start Scan");
    if (command1 == nullptr)
        return std::nullopt;
    press(command1);
    std::vector<MessageBoxInfo> boxes;
    const bool done = WaitUntil(
        [&] {
            if (auto box = FindMessageBox(processId_)) {
                if (PressOk(*box)) {
                    boxes.push_back(std::move(*box));
                    if (afterBox)
                        afterBox();
                }
                return false;
            }
            return !IsWindow(command1) || TextOf(command1) == "Done";
        },
        timeout);
    // "Done" comes before the last steps of the run; they are over when the
    // window takes messages again.
    if (!done || !IsWindow(command1) || !WaitForIdle(window_))
        return std::nullopt;
    return boxes;
}

bool ScourwellProcess::HasExited() const
{
    return !process_ || WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0;
}

std::optional<DWORD> ScourwellProcess::ExitCode() const
{
    DWORD code = 0;
    if (!HasExited() || !process_ || !GetExitCodeProcess(process_.get(), &code))
        return std::nullopt;
    return code;
}

bool ScourwellProcess::WaitForExit(Duration timeout)
{
    return !process_ ||
           WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

void ScourwellProcess::Terminate()
{
    if (process_ && !HasExited()) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 10000);
    }
    window_ = nullptr;
}

}  // namespace scourwell::e2e
