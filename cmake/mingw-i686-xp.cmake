# The executable as it ships. The win32 thread model's runtime needs nothing
# that Windows XP lacks; the posix model's (which GoogleTest needs, so the
# tests use it) calls GetTickCount64, and XP would refuse to start the program.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)

# This configuration builds Scourwell.exe and nothing else.
set(SCOURWELL_SHIPPED_ONLY ON)
