#include "AcceptanceMain.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "tests/e2e/driver/Driver.h"

namespace acceptance {
namespace {
bool expectWow64 = false;
}

std::string TestLibraryPath() { return scourwell::e2e::WindowsPath(TEST_COM_LIBRARY); }

std::string PlantedProgramPath() { return scourwell::e2e::WindowsPath(PLANTED_PROGRAM); }

bool ExpectWow64() { return expectWow64; }

}  // namespace acceptance

int main(int argc, char** argv)
{
    // Progress reaches the log as it happens, even when a scenario hangs.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--expect-wow64") == 0) acceptance::expectWow64 = true;
    }
    return RUN_ALL_TESTS();
}
