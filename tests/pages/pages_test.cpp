// The pages' safeguards where the spooler or the list hands over more than
// the page may take. The spooler failures Wine never produces are put in at
// the test program's import table.
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <thread>
#include <vector>
#include "resource.h"
#include "platform/install_selection.h"
#include "platform/platform.h"
#include "support/dialog_answerer.h"
#include "support/import_patch.h"
#include "support/processes.h"
#include "support/remote_windows.h"
#include "support/screenshot.h"
#include "support/spooler_state.h"
#include "ui/owner_draw.h"
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
    ImportReplacement patch("winspool.drv", "EnumPortsA", EnumPortsA, FakeEnumPorts);
    ASSERT_TRUE(patch.original);
    g_names = {"COM1:", "LPT1:", "IR1:"};
    EXPECT_EQ(3, TakePortSnapshot());
    char name[TEXT_BUFFER_SIZE + 16] = "before";
    memset(name + 7, '#', sizeof(name) - 7);
    g_failFill = true;
    EXPECT_EQ(0, TakePortSnapshot());
    PortNameAt(0, name);
    EXPECT_STREQ("before", name);
    g_failFill = false;

    g_names = {"COM1:"};
    TakePortSnapshot();
    g_names = {"LPT1:", "LPT2:"};  // the spooler's ports change; the snapshot stays
    PortNameAt(1, name);
    EXPECT_STREQ("before", name);
    PortNameAt(0, name);
    EXPECT_STREQ("COM1:", name);

    g_names = {std::string(1500, 'P')};
    TakePortSnapshot();
    PortNameAt(0, name);
    EXPECT_EQ(std::string(TEXT_BUFFER_SIZE - 1, 'P'), name);
    EXPECT_EQ('#', name[TEXT_BUFFER_SIZE]);
    ReleasePortSnapshot();
    name[0] = '\0';
    PortNameAt(0, name);
    EXPECT_STREQ("", name);
}

// The spooler's own enumeration, passed on and counted.
decltype(&EnumPortsA) g_realEnumPorts;
int g_enumPortsCalls;
BOOL WINAPI CountedEnumPorts(LPSTR server, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                             LPDWORD returned)
{
    ++g_enumPortsCalls;
    return g_realEnumPorts(server, level, buffer, size, needed, returned);
}

std::vector<std::string> SpoolerPortNames()
{
    DWORD needed = 0, returned = 0;
    EnumPortsA(NULL, 1, NULL, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed + 1);
    std::vector<std::string> names;
    if (!EnumPortsA(NULL, 1, buffer.data(), needed, &needed, &returned)) return names;
    for (DWORD i = 0; i < returned; ++i) names.push_back(((PORT_INFO_1A *)buffer.data())[i].pName);
    return names;
}

// A print server's worth of network ports: all listed in the spooler's
// order from one enumeration (its two calls), the preselection as usual.
TEST(PortPage, ListsHundredsOfPortsFromOneEnumeration)
{
    std::vector<std::string> extra;
    for (int i = 0; i < 256; ++i)
        extra.push_back("10.20." + std::to_string(i / 200) + "." + std::to_string(i % 200 + 1));
    const size_t usual = SpoolerPortNames().size();
    for (const std::string &port : extra) SetPortListed(port.c_str(), true);
    const struct {
        const char *added, *selected;
    } cases[] = {{NULL, "COM1:"}, {"IR7:", "IR7:"}};
    for (const auto &c : cases) {
        if (c.added) SetPortListed(c.added, true);
        std::vector<std::string> expected = SpoolerPortNames(), rows;
        ASSERT_EQ(usual + extra.size() + (c.added ? 1 : 0), expected.size());
        std::string selected;
        ImportReplacement patch("winspool.drv", "EnumPortsA", EnumPortsA, CountedEnumPorts);
        ASSERT_TRUE(patch.original);
        g_realEnumPorts = patch.original;
        g_enumPortsCalls = 0;
        std::thread driver([&]() {
            HWND page = WaitForProcessWindow(GetCurrentProcessId(), "#32770",
                                             "Vantrel Printer Driver Install Wizard", 60000);
            if (!page) return;
            HWND list = GetDlgItem(page, IDC_PORT_LIST);
            rows = ListRows(list);
            int row = ListSelection(list);
            if (row >= 0 && row < (int)rows.size()) selected = rows[row];
            PressButton(page, IDC_BACK);
        });
        EXPECT_EQ(IDC_BACK, RunPortPage(NULL));
        driver.join();
        EXPECT_EQ(expected, rows);
        EXPECT_EQ(c.selected, selected);
        EXPECT_EQ(2, g_enumPortsCalls);
    }
    for (const std::string &port : extra) SetPortListed(port.c_str(), false);
    SetPortListed("IR7:", false);
}

INT_PTR RunSuccessfulFinishPage(HWND owner) { return RunFinishPage(owner, 1); }

// Each page at the screen's DPI (pages_120dpi_test runs this at 120): the
// picture covers the client area, every visible control lies on its
// near-white panel, and a list's rows hold the system's icon and a pixel
// above and below it.
TEST(PageLook, EachPageLiesOnItsPictureWithRowsAsTallAsTheirIcon)
{
    CopyText(g_install.setupInfoPath, (SampleMediumFolder() + "\\VP_K20x.INF").c_str());
    HDC screen = GetDC(NULL);
    const std::string dpi = std::to_string(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(NULL, screen);
    const struct {
        INT_PTR (*run)(HWND owner);
        const char *shot;
        int list, leave;
    } pages[] = {{RunWelcomePage, "look_welcome", 0, IDC_NEXT},
                 {RunModelPage, "look_model", IDC_MODEL_LIST, IDC_BACK},
                 {RunPortPage, "look_port", IDC_PORT_LIST, IDC_BACK},
                 {RunSuccessfulFinishPage, "look_finish", 0, IDCANCEL}};
    for (const auto &p : pages) {
        const std::string shot = p.shot + ("_" + dpi);
        SCOPED_TRACE(shot);
        std::thread driver([&p, &shot]() {
            HWND page = WaitForProcessWindow(GetCurrentProcessId(), "#32770", NULL, 20000);
            if (!page) return;
            SaveWindowScreenshot(page, shot.c_str());
            RECT client, picture;
            GetClientRect(page, &client);
            HWND background = GetWindow(page, GW_CHILD);
            GetWindowRect(background, &picture);
            MapWindowPoints(NULL, page, (POINT *)&picture, 2);
            EXPECT_TRUE(picture.left <= 0 && picture.top <= 0 && picture.right >= client.right &&
                        picture.bottom >= client.bottom);
            // The pixels diagonally beside each control's corners, where no
            // other control is: at 96 DPI the panel ends one pixel right of Cancel.
            std::vector<RECT> controls;
            for (HWND c = GetWindow(background, GW_HWNDNEXT); c; c = GetWindow(c, GW_HWNDNEXT)) {
                RECT r;
                if (IsWindowVisible(c) && GetWindowRect(c, &r)) controls.push_back(r);
            }
            for (const RECT &r : controls) {
                for (POINT at : {POINT{r.left - 1, r.top - 1}, POINT{r.right, r.top - 1},
                                 POINT{r.left - 1, r.bottom}, POINT{r.right, r.bottom}}) {
                    bool covered = false;
                    for (const RECT &other : controls) covered = covered || PtInRect(&other, at);
                    if (!covered) {
                        EXPECT_EQ(RGB(252, 254, 251), ScreenPixel(at.x, at.y)) << at.x << "," << at.y;
                    }
                }
            }
            if (p.list) {
                EXPECT_EQ(std::max<int>(ROW_HEIGHT, GetSystemMetrics(SM_CYICON) + 2),
                          SendDlgItemMessageA(page, p.list, LB_GETITEMHEIGHT, 0, 0));
            }
            PressButton(page, p.leave);
        });
        p.run(NULL);
        driver.join();
    }
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
        AnswerNextDialog(GetCurrentProcessId(), "Warinig", IDOK, 20000);
        PressButton(page, IDC_BACK);
    });
    EXPECT_EQ(IDC_BACK, result);
    EXPECT_STREQ("", g_install.modelName);
}

}  // namespace
