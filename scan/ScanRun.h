// The scan-and-remove run: the body of the Start Scan button's click handler.
#pragma once

#include <string_view>

#include "scan/ScanView.h"
#include "system/SystemServices.h"

namespace scourwell {

inline constexpr std::string_view kDoneCaption = "Done";
inline constexpr std::string_view kNothingFoundText =
    "Scanning Complete. No malware was found on your system.";
inline constexpr std::string_view kRemovedText =
    "Malware file(s) have been detected and are listed below. The files have been removed "
    "from your system.\r\n";
inline constexpr std::string_view kPartlyRemovedText =
    "Malware file(s) have been detected and are listed below. Some of them could not be "
    "removed from your system and are marked in the list.\r\n";

// One click on Command1. In the finished state it closes the window;
// otherwise it performs the whole run and leaves the window finished.
void Command1_Click(ScanView& view, SystemServices& services);

}  // namespace scourwell
