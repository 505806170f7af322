// The main window: start-up object, controls, event handlers, and the
// window side of the run (ScanView).
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "scan/ScanView.h"
#include "app/GdiObject.h"

namespace scourwell {

inline constexpr char kWindowCaption[] = "Scourwell Tool - Created by Quillom";
inline constexpr char kTargetNames[] =
    "WinTools, WinToolsA.exe, WinToolsS.exe, SpecialGoods.info, Newgenlook.info, and Nail.exe (Aurora)";

// The window's controls, named as the user-facing design names them.
enum class Control : std::size_t {
    Picture2, Picture3, Label1, Label2,
    Frame1, Picture1, Command1, Command2, logOutput, Label3, output,
    count
};

class frmScourwell final : public ScanView {
public:
    explicit frmScourwell(HINSTANCE instance) noexcept : instance_(instance) {}
    ~frmScourwell() override;
    frmScourwell(const frmScourwell&) = delete;
    frmScourwell& operator=(const frmScourwell&) = delete;

    // Creates the window with its controls (Form_Initialize, then Form_Load)
    // and shows it centred on the screen. False when it could not be created.
    bool Show(int showCommand);

    // Keyboard navigation for the message loop: Tab and Shift+Tab follow the
    // window's tab order; Enter presses the focused button, Space or Enter
    // the focused donation picture; other dialog keys go to IsDialogMessage.
    // True when `message` was handled and must not be dispatched.
    bool PreTranslateMessage(MSG& message);

    // ScanView
    std::string Command1Caption() const override;
    void SetCommand1Caption(const std::string& caption) override;
    void HideLabel3() override;
    void ShowLogOutput() override;
    void SetOutputCaption(const std::string& caption) override;
    void ReportFinding(const std::string& text) override;
    void MarkNotRemoved(std::size_t index) override;
    void CloseWindow() override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void Form_Initialize();
    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Picture3_Click();

    bool CreateControls();
    void OnCommand(int controlId, int notification);
    LRESULT OnCtlColorStatic(HDC dc, HWND control);
    void OnPaint();
    void MoveFocus(bool backwards);
    bool PressFocusedControl(const MSG& message);
    HWND control(Control which) const { return controls_[static_cast<std::size_t>(which)]; }

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    std::array<HWND, static_cast<std::size_t>(Control::count)> controls_{};
    std::vector<HWND> tabOrder_;
    HWND focusBeforeDeactivation_ = nullptr;
    bool runInProgress_ = false;
    int dpiX_ = 96;
    int dpiY_ = 96;
    UniqueGdiObject arialBold_;
    UniqueGdiObject arialRegular_;
    UniqueGdiObject sansSerifBold_;
    HCURSOR hand_ = nullptr;  // a resource cursor: shared, never destroyed
};

}  // namespace scourwell
