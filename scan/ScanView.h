// The window operations the run needs. The main window implements them on
// its controls; tests implement them in memory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace scourwell {

// Appended to a finding that is still on the machine after the removal rows.
inline constexpr std::string_view kNotRemovedSuffix = " (not removed)";

class ScanView {
public:
    virtual ~ScanView() = default;

    virtual std::string Command1Caption() const = 0;
    virtual void SetCommand1Caption(const std::string& caption) = 0;
    virtual void HideLabel3() = 0;
    virtual void ShowLogOutput() = 0;
    virtual void SetOutputCaption(const std::string& caption) = 0;

    // Appends `text` as the last item of logOutput and sets malwareFound.
    virtual void ReportFinding(const std::string& text) = 0;

    // Rewrites item `index` of logOutput (0 = first finding) in place, with
    // kNotRemovedSuffix appended.
    virtual void MarkNotRemoved(std::size_t index) = 0;

    // Closes the window, which ends the program.
    virtual void CloseWindow() = 0;
};

}  // namespace scourwell
