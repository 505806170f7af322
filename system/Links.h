// Which directory entries are links: entries that stand for another place.
#pragma once

#include <windows.h>

namespace scourwell {

// A reparse point that stands for another place: a symbolic link or a
// junction. Other reparse points (cloud placeholders, deduplicated or
// compressed files) are the entries they look like. A tag that is none of
// Microsoft's, or none at all (Wine leaves the find data's tag as it was),
// counts as a link: the safe reading.
inline bool IsLinkEntry(DWORD attributes, DWORD reparseTag)
{
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return false;
    }
    constexpr DWORD kMicrosoftTag = 0x80000000;
    return (reparseTag & kMicrosoftTag) == 0 || IsReparseTagNameSurrogate(reparseTag);
}

}  // namespace scourwell
