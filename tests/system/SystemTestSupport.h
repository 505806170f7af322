// Shared support for the Windows-side tests of the system services.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "system/Win32SystemServices.h"

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

// Whether this runs under Wine rather than Windows.
bool UnderWine();

bool Exists(const std::string& path);
DWORD Attributes(const std::string& path);
void MakeFile(const std::string& path, const std::string& content = "x",
               DWORD attributes = FILE_ATTRIBUTE_NORMAL);
void MakeFolder(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL);

// Removes a tree without following folder links; a link is only unlinked.
void RemoveTree(const std::string& path);

// A fresh folder under C:\scourwell-tests, removed with its content at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder's path joined with `relative` ("" for the folder itself).
    std::string operator/(const std::string& relative) const;

private:
    std::string path_;
};

}  // namespace scourwell::testing
