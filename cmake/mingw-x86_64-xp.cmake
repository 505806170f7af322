# Scourwell.exe as a 64-bit program, built the way the 32-bit one ships (the
# win32 thread model, the same flags): what the Windows tests drive on a host
# that cannot run 32-bit x86 code.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-x86_64.cmake)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-win32)

# This configuration builds Scourwell.exe and nothing else.
set(SCOURWELL_SHIPPED_ONLY ON)
