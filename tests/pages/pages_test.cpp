// The pages' safeguards where the spooler or the list hands over more than
// the page may take. The spooler failures Wine never produces are put in at
// the test program's import table.
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>
#include "e2e/spooler_state.h"
#include "resource.h"
#include "setupinfo/install_selection.h"
#include "shell/platform.h"
#include "support/import_patch.h"
#include "support/processes.h"
#include "support/screenshot.h"
#include "support/windows_driver.h"
#include "ui/pages.h"

namespace {

// The port enumeration hands back entries of one name pointer each, the first
// call of a pair sizing, the second filling. A failing fill (Wine's spooler
// never fails one) writes its entries and their count all the same.
std::vector<std::string> g_names;
bool g_failFill;

BOOL Enumerate(LPBYTE buffer, LPDWORD needed, LPDWORD returned)
{
    *needed = (DWORD)(g_names.size() * sizeof(char *));
    for (const std::string &name : g_names) *needed += (DWORD)name.size() + 1;
    *returned = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    if (!buffer) return FALSE;
    char **entry = (char **)buffer, *text = (char *)(entry + g_names.size());
    for (const std::string &name : g_names) text += lstrlenA(*entry++ = lstrcpyA(text, name.c_str())) + 1;
    *returned = (DWORD)g_names.size();
    SetLastError(g_failFill ? ERROR_ACCESS_DENIED : ERROR_SUCCESS);
    return !g_failFill;
}
BOOL WINAPI FakeEnumPorts(LPSTR, DWORD, LPBYTE b, DWORD, LPDWORD n, LPDWORD r) { return Enumerate(b, n, r); }

TEST(PortNames, AFailedEnumerationAnIndexBeyondItOrALongNameStaysInTheBuffer)
{
    ImportReplacement patch("winspool.drv", "EnumPortsA", (void *)FakeEnumPorts);
    ASSERT_TRUE(patch.original);
    g_names = {"COM1:", "LPT1:", "IR1:"};
    EXPECT_EQ(3, PortCount());
    char name[TEXT_BUFFER_SIZE + 16] = "before";
    memset(name + 7, '#', sizeof(name) - 7);
    g_failFill = true;
    EXPECT_EQ(0, PortCount());
    PortNameAt(0, name);
    EXPECT_STREQ("before", name);
    g_failFill = false;

    g_names = {"COM1:"};  // fewer ports than were counted
    PortNameAt(1, name);
    EXPECT_STREQ("before", name);
    PortNameAt(0, name);
    EXPECT_STREQ("COM1:", name);

    g_names = {std::string(1500, 'P')};
    PortNameAt(0, name);
    EXPECT_EQ(std::string(TEXT_BUFFER_SIZE - 1, 'P'), name);
    EXPECT_EQ('#', name[TEXT_BUFFER_SIZE]);
}

const char kModel[] = "Vantrel VP-K201";

class ModelPageTest : public testing::Test {
protected:
    void SetUp() override
    {
        CopyText(g_install.setupInfoPath, (SampleMediumFolder() + "\\VP_K20x.INF").c_str());
        g_install.environment = SpoolerEnvironment();
        g_install.modelName[0] = '\0';
    }

    // Runs the model page on this thread while `drive` works it from another.
    INT_PTR RunDriven(void (*drive)(HWND page))
    {
        std::thread driver([drive]() {
            HWND page = WaitForProcessWindow(GetCurrentProcessId(), "#32770",
                                             "Vantrel Printer Driver Install Wizard", 20000);
            if (!page) return;
            SaveWindowScreenshot(page, "model_page");
            drive(page);
        });
        INT_PTR result = RunModelPage(NULL);
        driver.join();
        return result;
    }
};

void PressNext(HWND page) { PressButton(page, IDC_NEXT); }

// Next only takes the model: a printer of its name stays with its driver
// until a port is chosen, where the port page removes both.
TEST_F(ModelPageTest, NextKeepsAnEarlierPrinterOfTheModelsName)
{
    ASSERT_TRUE(AddPrinterOnDriver(kModel, kModel, "LPT1:"));
    EXPECT_EQ(IDC_NEXT, RunDriven(PressNext));
    EXPECT_STREQ(kModel, g_install.modelName);
    EXPECT_EQ(std::string(kModel) + "|LPT1:", PrinterDriverAndPort(kModel));
    EXPECT_EQ(1, DriverCount(kModel));
}

// Rows are fetched into 1024-byte buffers; one added past that is refused
// rather than read into the model name.
TEST_F(ModelPageTest, ARowLongerThanTheBufferIsNotTaken)
{
    INT_PTR result = RunDriven([](HWND page) {
        HWND list = GetDlgItem(page, IDC_MODEL_LIST);
        LRESULT row = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)std::string(2000, 'M').c_str());
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
