// The donation picture: the shell gets exactly the donation address, to open
// from Scourwell's folder, and a refusal is answered with the warning box.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

#include "Driver.h"
#include "tests/support/Seeds.h"

namespace scourwell::e2e {
namespace {

using namespace scourwell::support;

const char kAddress[] =
    "https://www.paypal.com/cgi-bin/webscr?cmd=_xclick&business=scourwell%40example%2ecom"
    "&item_name=Scourwell%20Tool&no_shipping=0&no_note=1&tax=0&currency_code=USD&lc=US"
    "&bn=PP%2dDonationsBF&charset=UTF%2d8";
const char kHttpsCommand[] = "https\\shell\\open\\command";

std::string TempFile(const char* name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

// The test handler, registered for "https" while the object lives.
class RegisteredHandler {
public:
    RegisteredHandler()
        : received_(TempFile("scourwell-donation-address.txt")),
          registration_(HKEY_CLASSES_ROOT, kHttpsCommand, "", RegistryValue::Text(Command(received_)))
    {
        DeleteFileA(received_.c_str());
    }
    ~RegisteredHandler() { DeleteFileA(received_.c_str()); }
    RegisteredHandler(const RegisteredHandler&) = delete;
    RegisteredHandler& operator=(const RegisteredHandler&) = delete;

    bool registered() const { return registration_.applied(); }

    // The address the handler got and the folder it was started in, once
    // the window is idle again with no warning up; the file goes for the
    // next time.
    void ExpectReceived(ScourwellProcess& app, const std::string& folder)
    {
        EXPECT_TRUE(WaitUntil([&] { return !ReadFile(received_).empty(); })) << "the handler was not started";
        EXPECT_EQ(ReadFile(received_), std::string(kAddress) + "\n" + folder);
        EXPECT_TRUE(WaitForIdle(app.window()));
        const auto box = FindMessageBox(app.id());
        EXPECT_FALSE(box) << (box ? box->text : "");
        DeleteFileA(received_.c_str());
    }

private:
    static std::string Command(const std::string& received)
    {
        std::string command = "\"";
        command += WindowsPath(URL_HANDLER_EXE);
        command += "\" \"" + received + "\" \"%1\"";
        return command;
    }

    std::string received_;
    ValueOverride registration_;
};

std::string FolderOf(const std::string& path)
{
    return path.substr(0, path.find_last_of('\\'));
}

TEST(Donation, HandlerReceivesExactlyTheAddressBeforeAndAfterARun)
{
    RegisteredHandler handler;
    ASSERT_TRUE(handler.registered());

    // Started elsewhere, so the handler's folder shows which one the shell got.
    const std::string exe = ScourwellProcess::DefaultPath();
    ScourwellProcess app(exe, TempFile(""));
    ASSERT_TRUE(app.WaitForWindow());
    const HWND picture3 = FindDonationPicture(app.window());
    ASSERT_NE(picture3, nullptr);

    // The shell starts the handler in Scourwell's own folder.
    const auto clickAndReceive = [&] {
        ClickPicture(picture3);
        handler.ExpectReceived(app, FolderOf(exe));
    };
    {
        SCOPED_TRACE("ready");
        clickAndReceive();
    }
    ASSERT_TRUE(app.RunScan());
    {
        SCOPED_TRACE("finished");
        clickAndReceive();
    }
    // Cancel closes the finished window too.
    Click(app.Button("Cancel"));
    EXPECT_TRUE(app.WaitForExit());
}

TEST(Donation, ThePictureIsNamedDonateAndSpaceOrEnterOpensThePage)
{
    RegisteredHandler handler;
    ASSERT_TRUE(handler.registered());
    ScourwellProcess app(ScourwellProcess::DefaultPath());
    ASSERT_TRUE(app.WaitForWindow());
    const HWND window = app.window();
    const HWND picture3 = FindDonationPicture(window);
    ASSERT_NE(picture3, nullptr);

    // A screen reader names a standard control by its text, which it asks
    // the control for; what is drawn stays the picture.
    EXPECT_EQ(TextOf(picture3), "Donate");
    wchar_t asked[64] = {};
    DWORD_PTR length = 0;
    EXPECT_TRUE(SendMessageTimeoutW(picture3, WM_GETTEXT, std::size(asked), reinterpret_cast<LPARAM>(asked),
                                    SMTO_ABORTIFHUNG, 3000, &length));
    EXPECT_EQ(std::wstring(asked, length), L"Donate");
    const std::optional<Capture> capture = CaptureWindow(window);
    ASSERT_TRUE(capture);
    RECT picture{};
    GetWindowRect(picture3, &picture);
    RECT frame{};
    GetWindowRect(window, &frame);
    OffsetRect(&picture, -frame.left, -frame.top);
    // Without its picture the control is one plain colour.
    std::set<COLORREF> colours;
    for (int y = picture.top; y < picture.bottom; ++y) {
        for (int x = picture.left; x < picture.right; ++x)
            colours.insert(capture->Pixel(x, y));
    }
    EXPECT_GT(colours.size(), 3u) << "the picture is not drawn";

    for (const UINT key : {VK_SPACE, VK_RETURN}) {
        SCOPED_TRACE(key == VK_SPACE ? "Space" : "Enter");
        ASSERT_TRUE(TabTo(window, picture3));
        PressKey(picture3, key);
        handler.ExpectReceived(app, FolderOf(ScourwellProcess::DefaultPath()));
    }
    EXPECT_FALSE(app.HasExited());
}

TEST(Donation, WithoutHandlerTheWarningNamesTheAddress)
{
    const RemovedKey noHandler(HKEY_CLASSES_ROOT, kHttpsCommand);
    ASSERT_TRUE(noHandler.removed());

    ScourwellProcess app(ScourwellProcess::DefaultPath());
    ASSERT_TRUE(app.WaitForWindow());
    const HWND picture3 = FindDonationPicture(app.window());
    ASSERT_NE(picture3, nullptr);

    ClickPicture(picture3);
    const auto box = WaitForMessageBox(app.id());
    ASSERT_TRUE(box) << "no warning";
    EXPECT_EQ(box->title, "Warning");
    EXPECT_EQ(box->text, std::string("Error jumping to:") + kAddress);
    EXPECT_EQ(box->owner, app.window());
    EXPECT_FALSE(box->ownerEnabled);
    EXPECT_TRUE(PressOk(*box));

    // The window carries on in its ready state.
    EXPECT_FALSE(app.HasExited());
    EXPECT_TRUE(app.Button("Start Scan"));
}

}  // namespace
}  // namespace scourwell::e2e
