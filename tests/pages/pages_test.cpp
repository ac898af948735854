// The port names and the model page's checks where the spooler or the list
// would hand over more than the page may take: a failed port or driver
// enumeration, ports that changed between two enumerations, a port name
// longer than the buffer, a row longer than the buffer.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <thread>
#include <vector>

#include "e2e/spooler_state.h"
#include "resource.h"
#include "setupinfo/install_selection.h"
#include "support/import_patch.h"
#include "support/processes.h"
#include "support/windows_driver.h"
#include "ui/pages.h"

namespace {

// Ports the replacement enumeration reports: the first call of a pair sizes,
// the second fills. A failing fill (Wine's spooler never fails one) writes
// its entries and their count all the same.
std::vector<std::string> g_ports;
bool g_failFill;

BOOL WINAPI FakeEnumPorts(LPSTR, DWORD, LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned)
{
    DWORD bytes = (DWORD)(g_ports.size() * sizeof(PORT_INFO_1A));
    for (const std::string &port : g_ports) bytes += (DWORD)port.size() + 1;
    *needed = bytes;
    *returned = 0;
    if (!buffer || size < bytes) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    PORT_INFO_1A *info = (PORT_INFO_1A *)buffer;
    char *text = (char *)(info + g_ports.size());
    for (const std::string &port : g_ports) {
        lstrcpyA(text, port.c_str());
        (info++)->pName = text;
        text += port.size() + 1;
    }
    *returned = (DWORD)g_ports.size();
    SetLastError(g_failFill ? ERROR_ACCESS_DENIED : ERROR_SUCCESS);
    return !g_failFill;
}

TEST(PortNames, AFailedEnumerationAnIndexBeyondItOrALongNameStaysInTheBuffer)
{
    ImportReplacement patch("winspool.drv", "EnumPortsA", (void *)FakeEnumPorts);
    ASSERT_TRUE(patch.original);
    g_ports = {"COM1:", "LPT1:", "IR1:"};
    EXPECT_EQ(3, PortCount());
    g_failFill = true;
    EXPECT_EQ(0, PortCount());
    char name[TEXT_BUFFER_SIZE] = "before";
    PortNameAt(0, name);
    EXPECT_STREQ("before", name);
    g_failFill = false;

    // The ports changed since they were counted.
    g_ports = {"COM1:"};
    PortNameAt(2, name);
    EXPECT_STREQ("before", name);
    PortNameAt(1, name);
    EXPECT_STREQ("before", name);
    PortNameAt(0, name);
    EXPECT_STREQ("COM1:", name);

    g_ports = {std::string(1500, 'P')};
    char guarded[TEXT_BUFFER_SIZE + 16];
    memset(guarded, '#', sizeof(guarded));
    PortNameAt(0, guarded);
    EXPECT_EQ((size_t)TEXT_BUFFER_SIZE - 1, strlen(guarded));
    EXPECT_EQ('#', guarded[TEXT_BUFFER_SIZE]);
}

const char kModel[] = "Vantrel VP-K201";

// Wine's spooler never fails the filling call; this one does, after writing
// an entry that names the model and a count.
BOOL WINAPI FailingEnumDrivers(LPSTR, LPSTR, DWORD, LPBYTE buffer, DWORD size, LPDWORD needed,
                               LPDWORD returned)
{
    *needed = sizeof(DRIVER_INFO_1A) + sizeof(kModel);
    *returned = 0;
    if (buffer && size >= *needed) {
        DRIVER_INFO_1A *info = (DRIVER_INFO_1A *)buffer;
        info->pName = lstrcpyA((char *)(info + 1), kModel);
        *returned = 1;
    }
    SetLastError(buffer ? ERROR_INVALID_PARAMETER : ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
}

class ModelPageTest : public testing::Test {
protected:
    void SetUp() override
    {
        CopyText(g_install.setupInfoPath, (SampleMediumFolder() + "\\VP_K20x.INF").c_str());
        g_install.environment = "Windows NT x86";
        g_install.modelName[0] = '\0';
    }

    bool PrinterThere()
    {
        for (const InstalledPrinter &printer : InstalledPrinters())
            if (printer.name == kModel) return true;
        return false;
    }

    // Runs the model page on this thread while `drive` works it from another.
    INT_PTR RunDriven(void (*drive)(HWND page))
    {
        std::thread driver([drive]() {
            HWND page = WaitForProcessWindow(GetCurrentProcessId(), "#32770",
                                             "Vantrel Printer Driver Install Wizard", 20000);
            if (page) drive(page);
        });
        INT_PTR result = RunModelPage(NULL);
        driver.join();
        return result;
    }
};

void PressNext(HWND page)
{
    PressButton(page, IDC_NEXT);
}

// Without the failure the same set-up drops the printer, so the check is
// what keeps it.
TEST_F(ModelPageTest, AFailedDriverEnumerationIsNotRead)
{
    ASSERT_TRUE(AddPrinterOnDriver(kModel, kModel, "LPT1:"));
    {
        ImportReplacement patch("winspool.drv", "EnumPrinterDriversA", (void *)FailingEnumDrivers);
        ASSERT_TRUE(patch.original);
        EXPECT_EQ(IDC_NEXT, RunDriven(PressNext));
    }
    EXPECT_STREQ(kModel, g_install.modelName);
    EXPECT_TRUE(PrinterThere());

    EXPECT_EQ(IDC_NEXT, RunDriven(PressNext));
    EXPECT_FALSE(PrinterThere());
}

// Rows come from a filler that fetches into 1024-byte buffers; one added
// past it is refused rather than read into the model name.
TEST_F(ModelPageTest, ARowLongerThanTheBufferIsNotTaken)
{
    INT_PTR result = RunDriven([](HWND page) {
        std::string longRow(2000, 'M');
        HWND list = GetDlgItem(page, IDC_MODEL_LIST);
        LRESULT row = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)longRow.c_str());
        SendMessageA(list, LB_SETCURSEL, row, 0);
        PressButton(page, IDC_NEXT);
        HWND warning = WaitForProcessWindow(GetCurrentProcessId(), "#32770", "Warinig", 20000);
        if (warning) PressButton(warning, IDOK);
        WaitForWindowGone(warning, 20000);
        PressButton(page, IDC_BACK);
    });
    EXPECT_EQ(IDC_BACK, result);
    EXPECT_STREQ("", g_install.modelName);
}

}  // namespace
