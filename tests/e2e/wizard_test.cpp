// Whole runs of setup.exe, driven from outside as a person would work the
// wizard, with the outcome read afterwards from the spooler and the profile.
// Each test is a ctest entry of its own, so it starts from a fresh prefix.
#include <algorithm>
#include <vector>

#include "support/spooler_state.h"
#include "support/wizard_fixture.h"

namespace {

const std::vector<std::string> kModels = {"Vantrel VP-K201", "Vantrel VP-K202", "Vantrel VP-K205 Duplex",
                                           "Vantrel VP-K208 Network", "Vantrel VP-K209 Label"};

// The row count when there is no such row.
int RowOf(HWND list, const std::string &text)
{
    std::vector<std::string> rows = ListRows(list);
    return (int)(std::find(rows.begin(), rows.end(), text) - rows.begin());
}

std::string SelectedRow(HWND page, int listId)
{
    std::vector<std::string> rows = ListRows(GetDlgItem(page, listId));
    size_t selection = ListSelection(GetDlgItem(page, listId));
    return selection < rows.size() ? rows[selection] : "";
}

// The page still up once what should not have moved it on has been handled.
void ExpectStays(const Wizard &wizard, HWND page, WizardWindow notNext)
{
    EXPECT_TRUE(AwaitPostedInputHandled(page, kWaitMs));
    EXPECT_TRUE(IsWindowVisible(page));
    EXPECT_FALSE(FindWizardWindow(wizard, notNext));
}

// A visible window's lifetime, from now until it is gone: at least that
// long (a busy machine only makes it longer).
void ExpectShownFor(HWND window, DWORD atLeastMs)
{
    ASSERT_TRUE(window);
    DWORD start = GetTickCount();
    ASSERT_TRUE(WaitForWindowGone(window, kWaitMs));
    EXPECT_GE(GetTickCount() - start, atLeastMs);
}

class E2eTest : public WizardTest {
protected:
    // Clicks the row of that text, or double-clicks it, and waits until it
    // shows selected.
    bool Pick(HWND page, int listId, const std::string &text, bool twice = false)
    {
        HWND list = GetDlgItem(page, listId);
        int row = RowOf(list, text);
        SendMessageA(list, LB_SETTOPINDEX, row, 0);
        ClickListRow(list, row, twice);
        for (int i = 0; i < 100 && ListSelection(list) != row; ++i) Sleep(20);
        return ListSelection(list) == row && row < (int)ListRows(list).size();
    }

    HWND ToPortPage(const std::string &model = kModels[0])
    {
        HWND page = Walk(WINDOW_MODEL);
        return page && Pick(page, IDC_MODEL_LIST, model) ? Press(page, IDC_NEXT, WINDOW_PORT) : NULL;
    }

    // A message of that caption and text, answered with that button; the
    // page that was up stays as it was.
    void ExpectMessage(HWND page, const char *caption, const char *text, int button = IDOK)
    {
        AnsweredDialog message = Answer(caption, button);
        ASSERT_TRUE(message.window);
        EXPECT_EQ(text, message.text);
        ASSERT_TRUE(message.gone);
        ExpectStays(wizard_, page, WINDOW_FINISH);
    }

    // One driver and one printer, both named after the model, on the port;
    // the default printer entry as given.
    void ExpectInstalled(const std::string &model, const std::string &port, const std::string &device)
    {
        EXPECT_EQ(std::vector<std::string>{model}, InstalledDriverNames());
        EXPECT_EQ(1u, InstalledPrinters().size());
        EXPECT_EQ(model + "|" + port, PrinterDriverAndPort(model.c_str()));
        EXPECT_EQ(device, DefaultPrinterEntry());
    }
};

TEST_F(E2eTest, InstallsTheChosenModelAndMakesItTheDefault)
{
    ASSERT_TRUE(StartWizard(&wizard_, SampleMediumFolder()));
    ExpectShownFor(Await(WINDOW_READING), 850);

    HWND model = Press(Await(WINDOW_WELCOME), IDC_NEXT, WINDOW_MODEL);
    ASSERT_TRUE(model);
    EXPECT_EQ(kModels, ListRows(GetDlgItem(model, IDC_MODEL_LIST)));
    EXPECT_EQ(kModels[0], SelectedRow(model, IDC_MODEL_LIST));
    ASSERT_TRUE(Pick(model, IDC_MODEL_LIST, kModels[2]));

    HWND port = Press(model, IDC_NEXT, WINDOW_PORT);
    ASSERT_TRUE(port);
    EXPECT_EQ("COM1:", SelectedRow(port, IDC_PORT_LIST));

    ASSERT_TRUE(Press(port, IDC_NEXT, WINDOW_COPY));
    ExpectShownFor(Await(WINDOW_WRITING), 3800);

    HWND finish = Await(WINDOW_FINISH);
    ASSERT_TRUE(finish);
    EXPECT_FALSE(FindWizardWindow(wizard_, WINDOW_WRITING));
    ExpectFinishPage(finish, true);
    ExpectCleanExit(finish, VK_RETURN);

    ExpectInstalled(kModels[2], "COM1:", kModels[2] + "," + kModels[2] + ",COM1:");
    std::string directory = DriverDirectory();
    for (const char *file : {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "VP_K20x.GPD",
                             "VP_K20x.DLL", "VP_K205.INI", "VP_K20xRS.DLL"})
        for (const std::string &folder : {directory, directory + "\\3"})
            EXPECT_EQ(0u, ReadFileBytes(folder + "\\" + file).find("Placeholder for " + std::string(file)))
                << folder << "\\" << file;
}

// The second installation of a model replaces the first; neither touches the
// default printer, once with the box unticked, once with the page escaped.
// The second has neither an IR port nor COM1: nothing is preselected and Next
// warns until a port is picked.
TEST_F(E2eTest, ReinstallOnAPickedPortReplacesTheFirstAndLeavesTheDefaultAlone)
{
    HWND finish = ToFinishPage(ToPortPage());
    ASSERT_TRUE(finish);
    PostMessageA(GetDlgItem(finish, IDC_SET_DEFAULT), BM_CLICK, 0, 0);
    for (int i = 0; i < 100 && IsControlChecked(finish, IDC_SET_DEFAULT); ++i) Sleep(20);
    EXPECT_FALSE(IsControlChecked(finish, IDC_SET_DEFAULT));
    ExpectCleanExit(finish);
    ExpectInstalled(kModels[0], "COM1:", "");

    SetPortListed("COM1:", false);
    HWND port = ToPortPage();
    ASSERT_TRUE(port);
    EXPECT_EQ(LB_ERR, ListSelection(GetDlgItem(port, IDC_PORT_LIST)));
    PressButton(port, IDC_NEXT);
    ExpectMessage(port, "Warinig", "Select printer port to connect.");
    ASSERT_TRUE(Pick(port, IDC_PORT_LIST, "LPT2:"));
    ExpectCleanExit(ToFinishPage(port), VK_ESCAPE);
    ExpectInstalled(kModels[0], "LPT2:", "");
}

// Every model copies the same universal-driver files. A reinstall of another
// model fails at a damaged UNIDRV.DLL, or is killed with the files before a
// missing last one staged; both leave the first model's files, and the first
// model, as they were. A whole run then puts every file in place and leaves
// nothing staged.
TEST_F(E2eTest, AFailedOrKilledReinstallLeavesTheInstalledModelUntilAWholeRun)
{
    ExpectCleanExit(ToFinishPage(ToPortPage()));
    std::string directory = DriverDirectory(), version = directory + "\\3";
    const auto installed = FolderFiles(directory), installedInVersion = FolderFiles(version);
    auto reinstall = [&](const std::string &medium) {
        HWND model = Walk(WINDOW_MODEL, medium);
        return model && Pick(model, IDC_MODEL_LIST, kModels[1]) &&
               Press(Press(model, IDC_NEXT, WINDOW_PORT), IDC_NEXT, WINDOW_COPY);
    };
    std::string damaged = CopyOfSampleMedium("damaged"), unidrv = damaged + "\\UNIDRV.DLL";
    std::string packed = ReadFileBytes(unidrv);
    WriteFileBytes(unidrv, packed.substr(0, packed.size() / 2));
    ASSERT_TRUE(reinstall(damaged));
    EXPECT_EQ("File has damaged.", Answer("Error", IDOK).text);
    HWND finish = Await(WINDOW_FINISH);
    ExpectFinishPage(finish, false);
    ExpectCleanExit(finish);
    EXPECT_TRUE(installed == FolderFiles(directory));
    EXPECT_TRUE(installedInVersion == FolderFiles(version));
    ExpectInstalled(kModels[0], "COM1:", kModels[0] + "," + kModels[0] + ",COM1:");

    // Killed as Task Manager or the prefix's wineserver -k would: no line of
    // the program runs after it. The error for the last file makes the
    // moment certain.
    std::string next = CopyOfSampleMedium("next");
    DeleteFileA((next + "\\UNIDRV.HL_").c_str());
    const char *const files[] = {"UNIDRV.DLL",  "UNIDRVUI.DLL", "UNIDRV.HLP",
                                 "VP_K20x.GPD", "VP_K20x.DLL",  "VP_K202.INI"};
    for (const char *file : files) WriteFileBytes(next + "\\" + file, std::string("next ") + file);
    DeleteFileA((next + "\\VP_K202.INI").c_str());
    ASSERT_TRUE(reinstall(next));
    int staged = 0;
    Answer("Error", IDOK, [&](HWND) {
        WaitForWizardExit(&wizard_, 0);
        for (const std::string &folder : {directory, version}) {
            auto left = FolderFiles(folder);
            staged += TakeStagedFiles(&left);
        }
    });
    EXPECT_EQ(10, staged);
    for (const std::string &folder : {directory, version}) {
        auto left = FolderFiles(folder);
        TakeStagedFiles(&left);
        EXPECT_TRUE((folder == directory ? installed : installedInVersion) == left) << folder;
    }
    ExpectInstalled(kModels[0], "COM1:", kModels[0] + "," + kModels[0] + ",COM1:");

    WriteFileBytes(next + "\\VP_K202.INI", "next VP_K202.INI");
    ASSERT_TRUE(reinstall(next) && Await(WINDOW_WRITING));
    finish = Await(WINDOW_FINISH);
    ExpectFinishPage(finish, true);
    ExpectCleanExit(finish);
    for (const std::string &folder : {directory, version}) {
        auto left = FolderFiles(folder);
        EXPECT_EQ(0, TakeStagedFiles(&left)) << folder;
        for (const char *file : files) EXPECT_EQ(std::string("next ") + file, left[file]) << folder;
    }
}

TEST_F(E2eTest, BackAndNextRefillThePagesAndDoubleClicksStayPut)
{
    SetPortListed("IR1:", true);
    HWND model = Walk(WINDOW_MODEL);
    ASSERT_TRUE(model && Pick(model, IDC_MODEL_LIST, kModels[3], true));
    ExpectStays(wizard_, model, WINDOW_PORT);

    model = Press(Press(model, IDC_BACK, WINDOW_WELCOME), IDC_NEXT, WINDOW_MODEL);
    ASSERT_TRUE(model);
    EXPECT_EQ(kModels, ListRows(GetDlgItem(model, IDC_MODEL_LIST)));
    EXPECT_EQ(kModels[0], SelectedRow(model, IDC_MODEL_LIST));

    HWND port = Press(model, IDC_NEXT, WINDOW_PORT);
    ASSERT_TRUE(port);
    EXPECT_EQ("IR1:", SelectedRow(port, IDC_PORT_LIST));
    std::vector<std::string> ports = ListRows(GetDlgItem(port, IDC_PORT_LIST));
    ASSERT_TRUE(Pick(port, IDC_PORT_LIST, "FILE:", true));
    ExpectStays(wizard_, port, WINDOW_COPY);

    port = Press(Press(port, IDC_BACK, WINDOW_MODEL), IDC_NEXT, WINDOW_PORT);
    ASSERT_TRUE(port);
    EXPECT_EQ(ports, ListRows(GetDlgItem(port, IDC_PORT_LIST)));
    EXPECT_EQ("IR1:", SelectedRow(port, IDC_PORT_LIST));
    ExpectCleanExit(CancelConfirmed(port));
}

// On each page No leaves the page as it was; Yes (asked again with Escape)
// ends in the finish page's failure form. The copy page's cancel is in the
// hardening tests, which also look at what it leaves.
TEST_F(E2eTest, ConfirmedCancelOnEveryPageShowsTheFailureForm)
{
    for (WizardWindow where : {WINDOW_WELCOME, WINDOW_MODEL, WINDOW_PORT}) {
        SCOPED_TRACE(where);
        HWND page = Walk(where);
        ASSERT_TRUE(page);
        HWND list = GetDlgItem(page, where == WINDOW_MODEL ? IDC_MODEL_LIST : IDC_PORT_LIST);
        int selection = ListSelection(list);
        PressButton(page, IDCANCEL);
        ExpectMessage(page, "Question",
                      "Are you sure you want to cancel Vantrel Printer driver installation?", IDNO);
        EXPECT_EQ(selection, ListSelection(list));
        HWND finish = CancelConfirmed(page, true);
        ASSERT_TRUE(finish);
        EXPECT_FALSE(IsWindow(page));
        ExpectFinishPage(finish, false);
        ExpectCleanExit(finish, VK_RETURN);
        EXPECT_TRUE(InstalledDriverNames().empty());
        EXPECT_TRUE(InstalledPrinters().empty());
        EXPECT_EQ("", DefaultPrinterEntry());
    }
}

// Without models Next only warns; Cancel still works.
TEST_F(E2eTest, WarnsWhenThereIsNoModel)
{
    const char *emptyModels = "[Version]\r\nClass=Printer\r\n\r\n[VantrelPelzoran]\r\n";
    for (const char *setupInfo : {(const char *)NULL, emptyModels}) {
        SCOPED_TRACE(setupInfo ? "empty models section" : "no setup-information file");
        std::string folder = CopyOfSampleMedium("nomodel"), path = folder + "\\VP_K20x.INF";
        DeleteFileA(path.c_str());
        if (setupInfo) WriteFileBytes(path, setupInfo);
        HWND model = Walk(WINDOW_MODEL, folder);
        ASSERT_TRUE(model);
        EXPECT_TRUE(ListRows(GetDlgItem(model, IDC_MODEL_LIST)).empty());
        PressKey(wizard_, VK_RETURN);
        ExpectMessage(model, "Warinig", "Select printer model to install.");
        ExpectCleanExit(CancelConfirmed(model));
    }
}

// Wine's spooler never refuses to delete a driver, so the refusal is reached
// with a printer of the model's name on a driver of another name: the
// model's driver cannot be removed, since there is none.
TEST_F(E2eTest, PreviousPrinterThatCannotBeRemovedEndsWithSetupError)
{
    ASSERT_TRUE(AddPrinterOnDriver(kModels[0].c_str(), "Other Driver", "LPT3:"));
    HWND port = ToPortPage();
    ASSERT_TRUE(port);
    PressButton(port, IDC_NEXT);
    AnsweredDialog error = Answer("Setup error", IDOK);
    ASSERT_TRUE(error.window);
    EXPECT_EQ("Previous verion driver is currently used by an application.\nTerminate all "
              "applications. And then delete previous version driver from printer folderand retry.",
              error.text);
    EXPECT_EQ(port, error.owner);
    HWND finish = Await(WINDOW_FINISH);
    ASSERT_TRUE(finish);
    ExpectFinishPage(finish, false);
    ExpectCleanExit(finish);
    EXPECT_FALSE(FileExists(DriverDirectory() + "\\VP_K201.INI"));
    EXPECT_EQ(std::vector<std::string>{"Other Driver"}, InstalledDriverNames());
}

// An earlier printer of the model's name stays until the user has committed
// to a port: cancelled on the port page, or back on the model page and
// cancelled there, it is kept with its driver; a whole installation then
// replaces both.
TEST_F(E2eTest, AnEarlierPrinterSurvivesACancelBeforeThePortIsChosen)
{
    ASSERT_TRUE(AddPrinterOnDriver(kModels[0].c_str(), kModels[0].c_str(), "LPT3:"));
    for (bool back : {false, true}) {
        SCOPED_TRACE(back ? "back, then cancel on the model page" : "cancel on the port page");
        HWND page = ToPortPage();
        if (back) page = Press(page, IDC_BACK, WINDOW_MODEL);
        ASSERT_TRUE(page);
        ExpectCleanExit(CancelConfirmed(page));
        EXPECT_EQ(kModels[0] + "|LPT3:", PrinterDriverAndPort(kModels[0].c_str()));
        EXPECT_EQ(std::vector<std::string>{kModels[0]}, InstalledDriverNames());
    }
    ExpectCleanExit(ToFinishPage(ToPortPage()));
    ExpectInstalled(kModels[0], "COM1:", kModels[0] + "," + kModels[0] + ",COM1:");
}

}  // namespace
