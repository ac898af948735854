// Entry point of every test program: the program's resources come from the
// test program itself.
#include <gtest/gtest.h>
#include "shell/platform.h"

int main(int argc, char **argv)
{
    SetModuleInstance(GetModuleHandleA(NULL));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
