// The donation picture: the shell gets exactly the donation address, to open
// from Scourwell's folder, and a refusal is answered with the warning box.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "Driver.h"
#include "Seeds.h"

namespace scourwell::e2e {
namespace {

const char kAddress[] =
    "https://www.paypal.com/cgi-bin/webscr?cmd=_xclick&business=scourwell%40example%2ecom"
    "&item_name=Scourwell%20Tool&no_shipping=0&no_note=1&tax=0&currency_code=USD&lc=US"
    "&bn=PP%2dDonationsBF&charset=UTF%2d8";
const char kHttpsCommand[] = "https\\shell\\open\\command";

HWND FindPicture3(HWND window)
{
    const HWND label1 = FindControl(window, "Static", "Welcome to the Scourwell Tool");
    for (HWND candidate : FindControls(label1 ? GetParent(label1) : nullptr, "Static")) {
        if ((GetWindowLongA(candidate, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            return candidate;
    }
    return nullptr;
}

std::string TempFile(const char* name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Donation, HandlerReceivesExactlyTheAddressBeforeAndAfterARun)
{
    const std::string received = TempFile("scourwell-donation-address.txt");
    DeleteFileA(received.c_str());
    std::string command = WindowsPath(URL_HANDLER_EXE);
    command.insert(command.begin(), '"');
    command += "\" \"" + received + "\" \"%1\"";
    const ValueOverride handler(HKEY_CLASSES_ROOT, kHttpsCommand, "", RegistryValue::Text(command));
    ASSERT_TRUE(handler.applied());

    // Started elsewhere, so the handler's folder shows which one the shell got.
    const std::string exe = ScourwellProcess::DefaultPath();
    ScourwellProcess app(exe, TempFile(""));
    ASSERT_TRUE(app.WaitForWindow());
    const HWND picture3 = FindPicture3(app.window());
    ASSERT_NE(picture3, nullptr);

    // The shell starts the handler in Scourwell's own folder.
    const std::string expected = std::string(kAddress) + "\n" + exe.substr(0, exe.find_last_of('\\'));
    const auto clickAndReceive = [&] {
        ClickPicture(picture3);
        EXPECT_TRUE(WaitUntil([&] { return !ReadFile(received).empty(); })) << "the handler was not started";
        EXPECT_EQ(ReadFile(received), expected);
        EXPECT_TRUE(WaitForIdle(app.window()));
        EXPECT_FALSE(FindMessageBox(app.id())) << FindMessageBox(app.id())->text;
        DeleteFileA(received.c_str());
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

TEST(Donation, WithoutHandlerTheWarningNamesTheAddress)
{
    const RemovedKey noHandler(HKEY_CLASSES_ROOT, kHttpsCommand);
    ASSERT_TRUE(noHandler.removed());

    ScourwellProcess app(ScourwellProcess::DefaultPath());
    ASSERT_TRUE(app.WaitForWindow());
    const HWND picture3 = FindPicture3(app.window());
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
