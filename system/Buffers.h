// Reading the fixed-size character buffers that the ANSI functions fill.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace scourwell {

// The characters before the first NUL; nothing when the buffer holds none.
inline std::optional<std::string> TextBeforeNul(std::string_view buffer)
{
    const auto end = buffer.find('\0');
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(buffer.substr(0, end));
}

}  // namespace scourwell
