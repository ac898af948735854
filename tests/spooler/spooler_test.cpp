// The spooler interface's enumerations when the spooler fails them. Wine's
// spooler does not fail a sized enumeration, so the failure is put in at the
// import: no entry of a failed enumeration may be read.
#include <gtest/gtest.h>
#include "spooler/spooler.h"
#include "support/import_patch.h"

namespace {

BOOL WINAPI FailingEnumPorts(LPSTR, DWORD, LPBYTE buffer, DWORD, LPDWORD needed, LPDWORD returned)
{
    *needed = 64;
    *returned = 3;
    SetLastError(buffer ? ERROR_ACCESS_DENIED : ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
}

BOOL WINAPI FailingEnumDrivers(LPSTR, LPSTR, DWORD, LPBYTE buffer, DWORD size, LPDWORD needed,
                               LPDWORD returned)
{
    return FailingEnumPorts(NULL, 0, buffer, size, needed, returned);
}

TEST(SpoolerInterface, FailedEnumerationsGiveNothing)
{
    {
        ImportReplacement replace("winspool.drv", "EnumPortsA", (void *)FailingEnumPorts);
        ASSERT_TRUE(replace.original != NULL);
        DWORD count = 0xdeadbeef;
        EXPECT_TRUE(EnumLocalPorts(&count) == NULL);
        EXPECT_EQ(0u, count);
    }
    ImportReplacement replace("winspool.drv", "EnumPrinterDriversA", (void *)FailingEnumDrivers);
    ASSERT_TRUE(replace.original != NULL);
    DWORD count = 0xdeadbeef;
    EXPECT_TRUE(EnumInstalledDrivers("Windows NT x86", &count) == NULL);
    EXPECT_EQ(0u, count);
}

}  // namespace
