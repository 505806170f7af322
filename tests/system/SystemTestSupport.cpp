#include "tests/system/SystemTestSupport.h"

#include <gtest/gtest.h>
#include <objbase.h>

namespace scourwell::testing {
namespace {

// The program initialises COM once at start-up; the tests do the same.
class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

[[maybe_unused]] ::testing::Environment* const comEnvironment =
    ::testing::AddGlobalTestEnvironment(new ComEnvironment);

const std::string kScratchRoot = "C:\\scourwell-tests";

}  // namespace

ScratchFolder::ScratchFolder(const std::string& name) : support::ScratchFolder(kScratchRoot + "\\" + name) {}

ScratchFolder::~ScratchFolder()
{
    support::RemoveTree(*this / "");
    RemoveDirectoryA(kScratchRoot.c_str());  // only once the last one is gone
}

}  // namespace scourwell::testing
