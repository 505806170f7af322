// Shared support for the Windows-side tests of the system services, beside
// what every Windows-side test program shares (tests/support).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "system/Win32SystemServices.h"
#include "tests/support/TestMachine.h"

namespace scourwell::testing {

struct ShownMessage {
    std::string text;
    MessageStyle style;
    std::optional<std::string> title;
};

// The real services, with messages captured instead of shown in a box.
class CapturingServices : public Win32SystemServices {
public:
    void ShowMessage(const std::string& text, MessageStyle style,
                     std::optional<std::string> title) override
    {
        messages.push_back({text, style, std::move(title)});
    }

    std::vector<ShownMessage> messages;
};

using support::Attributes;
using support::Exists;
using support::MakeFolders;
using support::UnderWine;
using support::WriteFile;

// A fresh folder C:\scourwell-tests\<name>, removed with its content at the end.
class ScratchFolder : public support::ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
};

}  // namespace scourwell::testing
