// The spooler interface against Wine's real spooler.
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "spooler/spooler.h"
#include "support/import_patch.h"

namespace {

std::vector<std::string> PortNames()
{
    std::vector<std::string> names;
    DWORD count = 0xdeadbeef;
    PORT_INFO_1A *ports = EnumLocalPorts(&count);
    if (!ports) {
        EXPECT_EQ(0u, count);
        return names;
    }
    for (DWORD i = 0; i < count; ++i) names.push_back(ports[i].pName);
    LocalFree(ports);
    return names;
}

bool Contains(const std::vector<std::string> &names, const char *name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(SpoolerInterface, ListsWinesPortsAndPortsAddedToTheRegistry)
{
    std::vector<std::string> before = PortNames();
    EXPECT_TRUE(Contains(before, "LPT1:"));
    EXPECT_TRUE(Contains(before, "COM1:"));
    EXPECT_TRUE(Contains(before, "FILE:"));
    EXPECT_FALSE(Contains(before, "IR1:"));

    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                                           "Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports",
                                           0, KEY_SET_VALUE, &key));
    RegSetValueExA(key, "IR1:", 0, REG_SZ, (const BYTE *)"", 1);
    RegCloseKey(key);
    std::vector<std::string> after = PortNames();
    EXPECT_TRUE(Contains(after, "IR1:"));
    EXPECT_EQ(before.size() + 1, after.size());
}

BOOL WINAPI FailingEnumPorts(LPSTR, DWORD, LPBYTE buffer, DWORD, LPDWORD needed, LPDWORD returned)
{
    *needed = 64;
    *returned = 3;
    SetLastError(buffer ? ERROR_ACCESS_DENIED : ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
}

BOOL WINAPI FailingEnumDrivers(LPSTR, LPSTR, DWORD, LPBYTE buffer, DWORD, LPDWORD needed,
                               LPDWORD returned)
{
    *needed = 64;
    *returned = 3;
    SetLastError(buffer ? ERROR_ACCESS_DENIED : ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
}

// Wine's spooler does not fail a sized enumeration, so the failure is put
// in at the import: no entry of a failed enumeration may be read.
TEST(SpoolerInterface, FailedEnumerationsGiveNothing)
{
    {
        ImportReplacement replace("winspool.drv", "EnumPortsA", (void *)FailingEnumPorts);
        ASSERT_TRUE(replace.original != NULL);
        DWORD count = 0xdeadbeef;
        EXPECT_TRUE(EnumLocalPorts(&count) == NULL);
        EXPECT_EQ(0u, count);
    }
    {
        ImportReplacement replace("winspool.drv", "EnumPrinterDriversA", (void *)FailingEnumDrivers);
        ASSERT_TRUE(replace.original != NULL);
        DWORD count = 0xdeadbeef;
        EXPECT_TRUE(EnumInstalledDrivers("Windows NT x86", &count) == NULL);
        EXPECT_EQ(0u, count);
    }
    DWORD count = 0xdeadbeef;
    DRIVER_INFO_1A *drivers = EnumInstalledDrivers("Windows NT x86", &count);
    EXPECT_NE(0xdeadbeefu, count);
    if (drivers) LocalFree(drivers);
}

TEST(SpoolerInterface, DriverDirectoryIsTheSpoolersOwn)
{
    char directory[1024] = "unchanged";
    ASSERT_TRUE(GetDriverDirectory(directory));
    std::string lower = directory;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    EXPECT_EQ("c:\\windows\\system32\\spool\\drivers\\w32x86", lower);
}

TEST(SpoolerInterface, UnknownPrinterDoesNotOpen)
{
    EXPECT_TRUE(OpenPrinterNoDefaults("No Such Printer") == NULL);
    EXPECT_TRUE(OpenPrinterFullAccess("No Such Printer") == NULL);
}

}  // namespace
