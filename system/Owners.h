// Telling a file's owner apart from the accounts that hold administrative
// rights anyway. Used by Win32SystemServices::FileOwner.
#pragma once

#include <windows.h>

#include "system/SystemServices.h"

namespace scourwell {

// Which of the accounts Owner names `owner` is. `runningUser` is the account
// this program runs as (may be null when it cannot be read); an invalid or
// null `owner` is unknown.
Owner ClassifyOwner(PSID owner, PSID runningUser);

}  // namespace scourwell
