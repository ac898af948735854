// The default printer under Wine's real spooler and profile. The failures
// Wine never produces (a record without a port, a refused profile write)
// are reached at the test program's import table.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <string>

#include "install_fixture.h"
#include "spooler/default_printer.h"
#include "spooler/registration.h"

namespace {

const char kEarlier[] = "Before,winspool,Ne00:";

std::string g_broadcasts;
decltype(&SendMessageTimeoutA) g_realSend;
LRESULT WINAPI CaptureSend(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                           UINT timeout, PDWORD_PTR result)
{
    g_broadcasts += std::to_string((ULONG_PTR)window) + " " + std::to_string(message) + " " +
                  std::to_string(wParam) + " " + std::to_string(lParam) + " " +
                  std::to_string(flags) + " " + std::to_string(timeout) + ";";
    return g_realSend(window, message, wParam, lParam, flags, timeout, result);
}

decltype(&GetPrinterA) g_realGetPrinter;
BOOL WINAPI RecordWithoutPort(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size,
                              LPDWORD needed)
{
    BOOL read = g_realGetPrinter(printer, level, buffer, size, needed);
    if (read && buffer) ((PRINTER_INFO_2A *)buffer)->pPortName = NULL;
    return read;
}

BOOL WINAPI RefuseProfileWrite(LPCSTR, LPCSTR, LPCSTR) { return FALSE; }

class DefaultPrinterTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(handles.Active() && send.original);
        g_realSend = (decltype(g_realSend))send.original;
        ASSERT_TRUE(AddPrinterOnDriver("Someone Else's", "Other Driver", "LPT1:"));
        PrepareInstall("P", "COM1:");
        ASSERT_TRUE(RegisterDriverAndPrinter());
        ASSERT_TRUE(WriteProfileStringA("windows", "device", kEarlier));
        g_broadcasts.clear();
    }

    void TearDown() override
    {
        EXPECT_EQ(0, handles.StillOpen());
        EXPECT_EQ("Other Driver|LPT1:", PrinterDriverAndPort("Someone Else's"));
        for (const char *name : {"P", "Someone Else's", "Other Driver"})
            DeletePrinterAndDriverNamed(name);
    }

    PrinterHandleWatch handles;
    ImportReplacement send{"user32.dll", "SendMessageTimeoutA", (void *)CaptureSend};
};

TEST_F(DefaultPrinterTest, WritesPrinterDriverAndPortAndTellsEveryone)
{
    EXPECT_TRUE(MakeDefaultPrinter("P"));
    EXPECT_EQ("P,P,COM1:", DefaultPrinterEntry());
    char name[1024] = "";
    DWORD size = sizeof(name);
    EXPECT_TRUE(GetDefaultPrinterA(name, &size));
    EXPECT_STREQ("P", name);
    // HWND_BROADCAST, WM_WININICHANGE, no parameters, SMTO_NORMAL, 1000 ms.
    EXPECT_EQ("65535 26 0 0 0 1000;", g_broadcasts);
}

TEST_F(DefaultPrinterTest, EveryFailureWritesNothingAndReturnsZero)
{
    EXPECT_FALSE(MakeDefaultPrinter("No such printer"));
    EXPECT_FALSE(MakeDefaultPrinter(NULL));
    {
        ImportReplacement patch("winspool.drv", "GetPrinterA", (void *)RecordWithoutPort);
        g_realGetPrinter = (decltype(g_realGetPrinter))patch.original;
        EXPECT_FALSE(MakeDefaultPrinter("P"));
    }
    {
        ImportReplacement patch("kernel32.dll", "WriteProfileStringA", (void *)RefuseProfileWrite);
        EXPECT_FALSE(MakeDefaultPrinter("P"));
    }
    EXPECT_EQ(kEarlier, DefaultPrinterEntry());
    EXPECT_EQ("", g_broadcasts);
}

}  // namespace
