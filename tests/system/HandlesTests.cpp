// The resource owners: what they close, and when.
#include <gtest/gtest.h>

#include "system/Handles.h"

namespace scourwell {
namespace {

bool IsOpen(HANDLE handle)
{
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

TEST(UniqueHandle, ClosesWhatItNoLongerHoldsAndNothingElse)
{
    const HANDLE first = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const HANDLE second = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(first && second);
    {
        UniqueHandle owner(first);
        owner.reset(owner.get());
        EXPECT_TRUE(IsOpen(first)) << "taking back its own handle closed it";
        owner.reset(second);
        EXPECT_FALSE(IsOpen(first));
        EXPECT_TRUE(IsOpen(second));
    }
    EXPECT_FALSE(IsOpen(second)) << "not closed when the owner went";
}

TEST(UniqueFileHandle, AFailedCreateFileHoldsNothing)
{
    const UniqueFileHandle missing(CreateFileA("C:\\no such folder\\file.txt", GENERIC_READ, 0, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_FALSE(missing);
    SetLastError(ERROR_ACCESS_DENIED);
    UniqueFileHandle file(CreateFileA("NUL", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    SetLastError(ERROR_ACCESS_DENIED);
    file.reset();
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "closing lost the caller's error";
}

}  // namespace
}  // namespace scourwell
