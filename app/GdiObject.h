// Owner of a GDI object (font, bitmap, brush, pen), deleted when it goes.
#pragma once

#include <windows.h>

#include "system/Handles.h"

namespace scourwell {

struct GdiObjectTraits {
    using Value = HGDIOBJ;
    static HGDIOBJ empty() noexcept { return nullptr; }
    static void close(HGDIOBJ object) noexcept { DeleteObject(object); }
};
using UniqueGdiObject = UniqueResource<GdiObjectTraits>;

}  // namespace scourwell
