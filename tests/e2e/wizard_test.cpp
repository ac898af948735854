// Whole runs of setup.exe, driven from outside as a person would work the
// wizard, with the outcome read afterwards from the spooler and the profile.
// Every scenario is a ctest entry of its own (GTEST_FILTER), so each starts
// from a fresh prefix: no driver, no printer, no default printer.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/spooler_state.h"
#include "e2e/wizard_driver.h"
#include "resource.h"
#include "shell/platform.h"
#include "support/processes.h"
#include "support/test_files.h"
#include "support/windows_driver.h"

namespace {

const DWORD kWaitMs = 20000;

const std::vector<std::string> kModels = {
    "Vantrel VP-K201", "Vantrel VP-K202", "Vantrel VP-K205 Duplex", "Vantrel VP-K208 Network",
    "Vantrel VP-K209 Label",
};

const char kWelcomeBody[] =
    "Supported operating System:\r\n\tWindows XP Home (x86)\r\n\tWindows XP Professional "
    "(x86)\r\n\tWindows .NET Server (x86)\r\n\r\nTerminate all running applications before "
    "installing driver.";

int RowOf(HWND list, const std::string &text)
{
    std::vector<std::string> rows = ListRows(list);
    auto row = std::find(rows.begin(), rows.end(), text);
    return row == rows.end() ? -1 : (int)(row - rows.begin());
}

// The selected row's text; "" for none.
std::string SelectedRow(HWND list)
{
    std::vector<std::string> rows = ListRows(list);
    int selection = ListSelection(list);
    return selection >= 0 && selection < (int)rows.size() ? rows[selection] : "";
}

class WizardTest : public testing::Test {
protected:
    Wizard wizard_ = {};

    void TearDown() override
    {
        if (wizard_.process.hProcess) WaitForWizardExit(&wizard_, 0);
    }

    void Start(const std::string &folder = SampleMediumFolder())
    {
        ASSERT_TRUE(StartWizard(&wizard_, folder));
    }

    HWND Await(WizardWindow which, DWORD timeoutMs = kWaitMs)
    {
        return WaitForWizardWindow(wizard_, which, timeoutMs);
    }

    HWND Press(HWND page, int buttonId, WizardWindow next)
    {
        return PressAndAwait(wizard_, page, buttonId, next, kWaitMs);
    }

    HWND AwaitMessage(const char *caption)
    {
        return WaitForMessageDialog(wizard_, caption, kWaitMs);
    }

    // The reading status, then the welcome page.
    HWND ToWelcome(const std::string &folder = SampleMediumFolder())
    {
        Start(folder);
        if (!Await(WINDOW_READING)) return NULL;
        return Await(WINDOW_WELCOME);
    }

    HWND ToModelPage(const std::string &folder = SampleMediumFolder())
    {
        HWND welcome = ToWelcome(folder);
        return welcome ? Press(welcome, IDC_NEXT, WINDOW_MODEL) : NULL;
    }

    // Picks the row of that text with a click, as a person would, and waits
    // until the list shows it selected.
    bool Pick(HWND page, int listId, const std::string &text)
    {
        HWND list = GetDlgItem(page, listId);
        int row = RowOf(list, text);
        if (row < 0) return false;
        SendMessageA(list, LB_SETTOPINDEX, row, 0);
        ClickListRow(list, row, false);
        for (int i = 0; i < 100 && ListSelection(list) != row; ++i) Sleep(20);
        return ListSelection(list) == row;
    }

    HWND ToPortPage(const std::string &model = kModels[0])
    {
        HWND page = ToModelPage();
        if (!page || !Pick(page, IDC_MODEL_LIST, model)) return NULL;
        return Press(page, IDC_NEXT, WINDOW_PORT);
    }

    // From the port page through the copy and the writing status.
    HWND ToFinishPage(HWND port)
    {
        if (!Press(port, IDC_NEXT, WINDOW_COPY)) return NULL;
        if (!Await(WINDOW_WRITING)) return NULL;
        return Await(WINDOW_FINISH);
    }

    // Cancel (the button, or else Esc), confirmed with Yes in the question.
    HWND CancelConfirmed(HWND page, bool byKey = false)
    {
        if (byKey)
            PressKey(wizard_, VK_ESCAPE);
        else
            PressButton(page, IDCANCEL);
        HWND question = AwaitMessage("Question");
        if (!question) return NULL;
        PressButton(question, IDYES);
        return Await(WINDOW_FINISH);
    }

    void ExpectFinishPage(HWND finish, bool success)
    {
        EXPECT_EQ(kFinishCaption, WindowText(finish));
        EXPECT_EQ(success ? "The Installation has done successfully." : "The Installation has failed.",
                  ControlText(finish, IDC_EXIT_MESSAGE));
        EXPECT_TRUE(ShowsIcon(GetDlgItem(finish, IDC_MSG_ICON), 0, 0,
                              LoadIconA(NULL, success ? IDI_ASTERISK : IDI_HAND)));
        EXPECT_EQ(success, IsControlVisible(finish, IDC_SET_DEFAULT));
        if (success) {
            EXPECT_TRUE(IsControlChecked(finish, IDC_SET_DEFAULT));
        }
        std::string notice = ControlText(finish, IDC_NOTICE);
        EXPECT_EQ(NoticeLine(), notice);
        EXPECT_EQ(std::string::npos, notice.find('\n'));
        EXPECT_EQ(IDOK, FocusedControlId(wizard_));
        EXPECT_FALSE(IsControlVisible(finish, IDC_LOGO));
    }

    void ExpectCleanExit()
    {
        EXPECT_EQ(0u, WaitForWizardExit(&wizard_, 30000));
        EXPECT_FALSE(ProcessRunning("setup.exe"));
    }

    void ExpectNothingInstalled()
    {
        EXPECT_TRUE(InstalledDriverNames().empty());
        EXPECT_TRUE(InstalledPrinters().empty());
        EXPECT_EQ("", DefaultPrinterEntry());
    }

    // One driver and one printer, both named after the model, on the port,
    // with the files expanded into the driver directory and its "3" folder.
    void ExpectInstalled(const std::string &model, const std::string &port,
                         const std::vector<std::string> &files = {})
    {
        EXPECT_EQ(std::vector<std::string>{model}, InstalledDriverNames());
        EXPECT_EQ(1u, InstalledPrinters().size());
        EXPECT_EQ(model + "|" + port, PrinterDriverAndPort(model.c_str()));
        std::string directory = DriverDirectory();
        for (const std::string &file : files) {
            for (const std::string &folder : {directory, directory + "\\3"}) {
                std::string content = ReadFileBytes(folder + "\\" + file);
                EXPECT_EQ(0u, content.find("Placeholder for " + file)) << folder << "\\" << file;
            }
        }
    }
};

const std::vector<std::string> kK205Files = {"UNIDRV.DLL",  "UNIDRVUI.DLL", "UNIDRV.HLP",
                                             "VP_K20x.GPD", "VP_K20x.DLL",  "VP_K205.INI",
                                             "VP_K20xRS.DLL"};

// A visible window's lifetime, from now until it is gone.
void ExpectShownFor(HWND window, DWORD atLeastMs, DWORD lessThanMs)
{
    DWORD start = GetTickCount();
    WaitForWindowGone(window, 30000);
    DWORD shownMs = GetTickCount() - start;
    EXPECT_GE(shownMs, atLeastMs);
    EXPECT_LT(shownMs, lessThanMs);
}

TEST_F(WizardTest, InstallsTheChosenModelAndMakesItTheDefault)
{
    Start();
    HWND reading = Await(WINDOW_READING);
    ASSERT_TRUE(reading);
    ExpectShownFor(reading, 850, 5000);

    HWND welcome = Await(WINDOW_WELCOME);
    ASSERT_TRUE(welcome);
    EXPECT_EQ(kWelcomeBody, ControlText(welcome, IDC_WELCOME_TEXT));
    EXPECT_EQ(IDC_NEXT, FocusedControlId(wizard_));
    EXPECT_FALSE(GetDlgItem(welcome, IDC_BACK));
    EXPECT_FALSE(IsControlVisible(welcome, IDC_LOGO));

    HWND model = Press(welcome, IDC_NEXT, WINDOW_MODEL);
    ASSERT_TRUE(model);
    HWND models = GetDlgItem(model, IDC_MODEL_LIST);
    EXPECT_EQ(kModels, ListRows(models));
    EXPECT_EQ(0, ListSelection(models));
    EXPECT_EQ(IDC_MODEL_LIST, FocusedControlId(wizard_));
    ASSERT_TRUE(Pick(model, IDC_MODEL_LIST, kModels[2]));

    HWND port = Press(model, IDC_NEXT, WINDOW_PORT);
    ASSERT_TRUE(port);
    EXPECT_EQ(LocalPortNames(), ListRows(GetDlgItem(port, IDC_PORT_LIST)));
    EXPECT_EQ("COM1:", SelectedRow(GetDlgItem(port, IDC_PORT_LIST)));
    EXPECT_EQ(IDC_PORT_LIST, FocusedControlId(wizard_));

    ASSERT_TRUE(Press(port, IDC_NEXT, WINDOW_COPY));
    HWND writing = Await(WINDOW_WRITING);
    ASSERT_TRUE(writing);
    ExpectShownFor(writing, 3800, 15000);

    HWND finish = Await(WINDOW_FINISH);
    ASSERT_TRUE(finish);
    EXPECT_FALSE(FindWizardWindow(wizard_, WINDOW_WRITING));
    ExpectFinishPage(finish, true);
    PressKey(wizard_, VK_RETURN);
    ExpectCleanExit();

    ExpectInstalled(kModels[2], "COM1:", kK205Files);
    EXPECT_EQ(kModels[2] + "," + kModels[2] + ",COM1:", DefaultPrinterEntry());
}

// The second installation of a model replaces the first; neither touches the
// default printer, once with the box unticked, once with the page escaped.
TEST_F(WizardTest, ReinstallReplacesTheFirstAndLeavesTheDefaultAlone)
{
    HWND port = ToPortPage();
    ASSERT_TRUE(port);
    HWND finish = ToFinishPage(port);
    ASSERT_TRUE(finish);
    ClickButtonControl(finish, IDC_SET_DEFAULT);
    for (int i = 0; i < 100 && IsControlChecked(finish, IDC_SET_DEFAULT); ++i) Sleep(20);
    EXPECT_FALSE(IsControlChecked(finish, IDC_SET_DEFAULT));
    PressButton(finish, IDOK);
    ExpectCleanExit();
    ExpectInstalled(kModels[0], "COM1:");
    EXPECT_EQ("", DefaultPrinterEntry());

    port = ToPortPage();
    ASSERT_TRUE(port && Pick(port, IDC_PORT_LIST, "LPT1:"));
    finish = ToFinishPage(port);
    ASSERT_TRUE(finish);
    PressKey(wizard_, VK_ESCAPE);
    ExpectCleanExit();
    ExpectInstalled(kModels[0], "LPT1:");
    EXPECT_EQ("", DefaultPrinterEntry());
}

TEST_F(WizardTest, BackAndNextRefillThePagesAndDoubleClicksStayPut)
{
    SetPortListed("IR1:", true);
    HWND model = ToModelPage();
    ASSERT_TRUE(model);
    HWND models = GetDlgItem(model, IDC_MODEL_LIST);
    ClickListRow(models, 3, true);
    Sleep(1000);
    EXPECT_EQ(3, ListSelection(models));
    EXPECT_TRUE(IsWindowVisible(model));
    EXPECT_FALSE(FindWizardWindow(wizard_, WINDOW_PORT));

    HWND welcome = Press(model, IDC_BACK, WINDOW_WELCOME);
    ASSERT_TRUE(welcome);
    model = Press(welcome, IDC_NEXT, WINDOW_MODEL);
    ASSERT_TRUE(model);
    EXPECT_EQ(kModels, ListRows(GetDlgItem(model, IDC_MODEL_LIST)));
    EXPECT_EQ(0, ListSelection(GetDlgItem(model, IDC_MODEL_LIST)));

    HWND port = Press(model, IDC_NEXT, WINDOW_PORT);
    ASSERT_TRUE(port);
    HWND ports = GetDlgItem(port, IDC_PORT_LIST);
    EXPECT_EQ("IR1:", SelectedRow(ports));

    // The row icons go by the port's name.
    int iconX = LOWORD(GetDialogBaseUnits());
    struct { const char *port, *icon; } icons[] = {
        {"FILE:", "IDI_SETUP"}, {"COM1:", "IDI_PORT"}, {"LPT2:", "IDI_PORT"}, {"IR1:", "IDI_NETWORK"}};
    for (const auto &expected : icons) {
        int row = RowOf(ports, expected.port);
        ASSERT_LE(0, row) << expected.port;
        SendMessageA(ports, LB_SETTOPINDEX, row, 0);
        Sleep(300);
        POINT origin = ListRowOrigin(ports, row);
        EXPECT_TRUE(ShowsIcon(ports, iconX, origin.y + 1, LoadIconA(GetModuleHandleA(NULL), expected.icon)))
            << expected.port;
    }

    int file = RowOf(ports, "FILE:");
    SendMessageA(ports, LB_SETTOPINDEX, file, 0);
    ClickListRow(ports, file, true);
    Sleep(1000);
    EXPECT_EQ(file, ListSelection(ports));
    EXPECT_TRUE(IsWindowVisible(port));
    EXPECT_FALSE(FindWizardWindow(wizard_, WINDOW_COPY));

    model = Press(port, IDC_BACK, WINDOW_MODEL);
    ASSERT_TRUE(model);
    port = Press(model, IDC_NEXT, WINDOW_PORT);
    ASSERT_TRUE(port);
    EXPECT_EQ(LocalPortNames(), ListRows(GetDlgItem(port, IDC_PORT_LIST)));
    EXPECT_EQ("IR1:", SelectedRow(GetDlgItem(port, IDC_PORT_LIST)));

    HWND finish = CancelConfirmed(port);
    ASSERT_TRUE(finish);
    PressButton(finish, IDOK);
    ExpectCleanExit();
}

enum CancelPage { CANCEL_ON_WELCOME, CANCEL_ON_MODEL, CANCEL_ON_PORT, CANCEL_ON_COPY };

class CancelTest : public WizardTest, public testing::WithParamInterface<CancelPage> {};

// No leaves the page as it was; Yes (asked again with Escape) ends in the
// finish page's failure form. The copy page is asked only by its button.
TEST_P(CancelTest, ConfirmedCancelShowsTheFailureForm)
{
    CancelPage where = GetParam();
    HWND page = where == CANCEL_ON_WELCOME ? ToWelcome()
              : where == CANCEL_ON_MODEL   ? ToModelPage()
                                           : ToPortPage();
    ASSERT_TRUE(page);
    if (where == CANCEL_ON_COPY) {
        page = Press(page, IDC_NEXT, WINDOW_COPY);
        ASSERT_TRUE(page);
    } else {
        HWND list = GetDlgItem(page, where == CANCEL_ON_MODEL ? IDC_MODEL_LIST : IDC_PORT_LIST);
        int selection = list ? ListSelection(list) : 0;
        PressButton(page, IDCANCEL);
        HWND question = AwaitMessage("Question");
        ASSERT_TRUE(question);
        EXPECT_EQ("Are you sure you want to cancel Vantrel Printer driver installation?",
                  MessageDialogText(question));
        PressButton(question, IDNO);
        ASSERT_TRUE(WaitForWindowGone(question, kWaitMs));
        Sleep(300);
        EXPECT_TRUE(IsWindowVisible(page));
        EXPECT_FALSE(FindWizardWindow(wizard_, WINDOW_FINISH));
        if (list) {
            EXPECT_EQ(selection, ListSelection(list));
        }
    }
    HWND finish = CancelConfirmed(page, where != CANCEL_ON_COPY);
    ASSERT_TRUE(finish);
    EXPECT_FALSE(IsWindow(page));
    ExpectFinishPage(finish, false);
    PressKey(wizard_, VK_RETURN);
    ExpectCleanExit();
    ExpectNothingInstalled();
}

std::string CancelPageName(const testing::TestParamInfo<CancelPage> &info)
{
    const char *names[] = {"Welcome", "Model", "Port", "Copy"};
    return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(Pages, CancelTest,
                         testing::Values(CANCEL_ON_WELCOME, CANCEL_ON_MODEL, CANCEL_ON_PORT,
                                         CANCEL_ON_COPY),
                         CancelPageName);

// A wizard folder of its own: setup.exe and, when given, a setup-information
// file of that content.
std::string WizardFolder(const char *tag, const char *setupInfo)
{
    std::string folder = MakeTempFolder(tag);
    CopyFileA((SampleMediumFolder() + "\\setup.exe").c_str(), (folder + "\\setup.exe").c_str(), FALSE);
    if (setupInfo) WriteFileBytes(folder + "\\VP_K20x.INF", setupInfo);
    return folder;
}

// Without models Next only warns; Cancel still works.
TEST_F(WizardTest, WarnsWhenThereIsNoModel)
{
    const char *setupInfos[] = {NULL, "[Version]\r\nClass=Printer\r\n\r\n[VantrelPelzoran]\r\n"};
    for (const char *setupInfo : setupInfos) {
        SCOPED_TRACE(setupInfo ? "empty models section" : "no setup-information file");
        HWND model = ToModelPage(WizardFolder("nomodel", setupInfo));
        ASSERT_TRUE(model);
        HWND models = GetDlgItem(model, IDC_MODEL_LIST);
        EXPECT_TRUE(ListRows(models).empty());
        EXPECT_EQ(LB_ERR, ListSelection(models));

        PressKey(wizard_, VK_RETURN);
        HWND warning = AwaitMessage("Warinig");
        ASSERT_TRUE(warning);
        EXPECT_EQ("Select printer model to install.", MessageDialogText(warning));
        PressButton(warning, IDOK);
        ASSERT_TRUE(WaitForWindowGone(warning, kWaitMs));
        EXPECT_TRUE(IsWindowVisible(model));

        HWND finish = CancelConfirmed(model);
        ASSERT_TRUE(finish);
        PressButton(finish, IDOK);
        ExpectCleanExit();
    }
}

// Without an IR port and without COM1: nothing is preselected and Next warns
// until the user picks a port; the installation then uses that port.
TEST_F(WizardTest, WarnsUntilAPortIsPicked)
{
    SetPortListed("COM1:", false);
    HWND port = ToPortPage(kModels[1]);
    ASSERT_TRUE(port);
    EXPECT_EQ(LocalPortNames(), ListRows(GetDlgItem(port, IDC_PORT_LIST)));
    EXPECT_EQ(LB_ERR, ListSelection(GetDlgItem(port, IDC_PORT_LIST)));

    PressButton(port, IDC_NEXT);
    HWND warning = AwaitMessage("Warinig");
    ASSERT_TRUE(warning);
    EXPECT_EQ("Select printer port to connect.", MessageDialogText(warning));
    PressButton(warning, IDOK);
    ASSERT_TRUE(WaitForWindowGone(warning, kWaitMs));
    EXPECT_TRUE(IsWindowVisible(port));

    ASSERT_TRUE(Pick(port, IDC_PORT_LIST, "LPT2:"));
    HWND finish = ToFinishPage(port);
    ASSERT_TRUE(finish);
    PressButton(finish, IDOK);
    ExpectCleanExit();
    ExpectInstalled(kModels[1], "LPT2:");
    EXPECT_EQ(kModels[1] + "," + kModels[1] + ",LPT2:", DefaultPrinterEntry());
}

// Wine's spooler never refuses to delete a driver, so the refusal is reached
// with a printer of the model's name on a driver of another name: the
// model's driver cannot be removed, since there is none.
TEST_F(WizardTest, PreviousPrinterThatCannotBeRemovedEndsWithSetupError)
{
    ASSERT_TRUE(AddPrinterOnDriver(kModels[0].c_str(), "Other Driver", "LPT3:"));
    HWND port = ToPortPage();
    ASSERT_TRUE(port);
    PressButton(port, IDC_NEXT);
    HWND error = AwaitMessage("Setup error");
    ASSERT_TRUE(error);
    EXPECT_EQ("Previous verion driver is currently used by an application.\nTerminate all "
              "applications. And then delete previous version driver from printer folderand retry.",
              MessageDialogText(error));
    EXPECT_EQ(port, GetWindow(error, GW_OWNER));
    PressButton(error, IDOK);
    HWND finish = Await(WINDOW_FINISH);
    ASSERT_TRUE(finish);
    EXPECT_FALSE(FindWizardWindow(wizard_, WINDOW_COPY));
    ExpectFinishPage(finish, false);
    PressButton(finish, IDOK);
    ExpectCleanExit();
    EXPECT_FALSE(FileExists(DriverDirectory() + "\\VP_K201.INI"));
    EXPECT_EQ(std::vector<std::string>{"Other Driver"}, InstalledDriverNames());
}

}  // namespace
