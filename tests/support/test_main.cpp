// Entry point of every test program: the program's resources come from the
// test program itself. A run that skipped a test and failed none exits with
// SETUP_TEST_SKIPPED, so that ctest lists it as skipped, never as passed.
#include <gtest/gtest.h>
#include "platform/platform.h"

enum { SETUP_TEST_SKIPPED = 77 };

int main(int argc, char **argv)
{
    SetModuleInstance(GetModuleHandleA(NULL));
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    if (result == 0 && testing::UnitTest::GetInstance()->skipped_test_count() > 0)
        return SETUP_TEST_SKIPPED;
    return result;
}
