// A copy into a driver directory without room. disk-full-test.sh runs this
// program in a prefix whose driver directory is a small tmpfs.
#include <gtest/gtest.h>

#include "copy/copier.h"
#include "copy/copy_harness.h"

TEST(CopierDiskFullTest, FullDriverDirectoryReportsInsufficientSpace)
{
    MakeMedium({{"LARGE.DLL", std::string(4 << 20, 'x')}});
    PrepareInstall({"LARGE.DLL"});
    HWND page = MakeQuietCopyPage();
    ASSERT_TRUE(page != NULL);
    {
        DialogAnswerer answerer;
        EXPECT_EQ(COPY_FAILED, CopyDriverFile(page, 0));
        EXPECT_EQ(std::vector<std::string>{"Error: Insufficient disk space."}, answerer.Seen());
    }
    DestroyWindow(page);
}
