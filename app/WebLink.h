// Opening a web address in the user's default browser.
#pragma once

#include <string>
#include <string_view>

#include "system/SystemServices.h"

namespace scourwell {

// The donation page. No account was supplied, so the business pair names a
// placeholder address; "@" is written %40 and each "." %2e.
inline constexpr std::string_view kDonationAddress =
    "https://www.paypal.com/cgi-bin/webscr?"
    "cmd=_xclick"
    "&business=scourwell%40example%2ecom"
    "&item_name=Scourwell%20Tool"
    "&no_shipping=0"
    "&no_note=1"
    "&tax=0"
    "&currency_code=USD"
    "&lc=US"
    "&bn=PP%2dDonationsBF"
    "&charset=UTF%2d8";

inline constexpr std::string_view kJumpErrorPrefix = "Error jumping to:";
inline constexpr std::string_view kJumpErrorTitle = "Warning";

// Hands `url` to the shell's default handler, working in the executable's
// folder. When the shell refuses, warns with the address; an empty address
// does nothing.
void OpenWebLink(const std::string& url, SystemServices& services);

}  // namespace scourwell
