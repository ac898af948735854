// Registration, removal of a previous installation and the default printer
// under Wine's real spooler and profile. Wine keeps no driver date, hardware
// id, provider or URL: those are checked on the record captured at the import.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include "resource.h"
#include "platform/install_selection.h"
#include "setupinfo/setup_info.h"
#include "platform/platform.h"
#include "shell/sequencer.h"
#include "spooler/default_printer.h"
#include "spooler/registration.h"
#include "support/dialog_answerer.h"
#include "support/import_patch.h"
#include "support/remote_windows.h"
#include "support/spooler_state.h"
#include "support/test_files.h"

namespace {

typedef std::vector<std::string> Texts;
const char kModel[] = "Test K201";

// Setup information of the test's own in a new current directory, and
// g_install filled as the pages would. Returns the path of VP_K20x.DLL there.
std::string SelectModelAndPort(const char *model, const char *port)
{
    std::string folder = MakeTempFolder("spooler");
    WriteFileBytes(folder + "\\VP_K20x.INF",
                   "[VantrelPelzoran]\r\n\"Test K201\" = K201,TESTHWID-K201\r\n[K201]\r\n"
                   "CopyFiles=@UNIDRV.DLL,@UNIDRVUI.DLL,@UNIDRV.HLP,@VP_K20x.GPD,@VP_K20x.DLL\r\n"
                   "DataSection=DATA\r\n[DATA]\r\nDefaultDataType=NT EMF 1.008\r\n");
    SetCurrentDirectoryA(folder.c_str());
    CopyText(g_install.setupInfoPath, (folder + "\\VP_K20x.INF").c_str());
    g_install.driverVersion = 3;
    g_install.environment = SpoolerEnvironment();
    CopyText(g_install.modelName, model);
    CopyText(g_install.portName, port);
    ReadInstallData();
    return folder + "\\VP_K20x.DLL";
}

// Wine gives back full paths where the program hands over file names.
std::string Name(const char *path)
{
    std::string text = path ? path : "(none)";
    return text.substr(text.find_last_of('\\') + 1);
}

// A NUL-separated list as "a|b|".
std::string List(const char *list)
{
    std::string joined;
    for (; list && *list; list += lstrlenA(list) + 1) joined += Name(list) + "|";
    return joined;
}

// The texts of a level-6 record: those Wine keeps, then the three it drops.
Texts DriverTexts(const DRIVER_INFO_6A *d)
{
    return {Name(d->pName), Name(d->pEnvironment), Name(d->pDriverPath), Name(d->pDataFile),
            Name(d->pConfigFile), Name(d->pHelpFile), List(d->pDependentFiles),
            Name(d->pDefaultDataType), List(d->pszzPreviousNames), Name(d->pszOEMUrl),
            Name(d->pszHardwareID), Name(d->pszProvider)};
}

struct DriverCall { Texts texts; FILETIME date; DWORD error; };
std::vector<DriverCall> g_driverCalls;
decltype(&AddPrinterDriverA) g_realAddDriver;

BOOL WINAPI CaptureAddDriver(LPSTR server, DWORD level, LPBYTE record)
{
    BOOL added = g_realAddDriver(server, level, record);
    DWORD error = GetLastError();
    // Drivers of other programs come from the test itself, at level 3.
    if (level == 6)
        g_driverCalls.push_back({DriverTexts((DRIVER_INFO_6A *)record),
                                 ((DRIVER_INFO_6A *)record)->ftDriverDate, error});
    return added;
}

int g_printersAdded;
HANDLE WINAPI CountAddPrinter(LPSTR, DWORD, LPBYTE) { ++g_printersAdded; return NULL; }

class SpoolerTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_realAddDriver = addDriver.original;
        ASSERT_TRUE(g_realAddDriver != NULL);
        g_driverCalls.clear();
    }
    void TearDown() override
    {
        for (const char *name : {kModel, "P", "Someone Else's", "Other Driver"})
            DeletePrinterAndDriverNamed(name);
    }
    ImportReplacement<decltype(AddPrinterDriverA)> addDriver{"winspool.drv", "AddPrinterDriverA",
                                                          AddPrinterDriverA, CaptureAddDriver};
};
class RegistrationTest : public SpoolerTest {};
class DefaultPrinterTest : public SpoolerTest {};
class InstallStageTest : public SpoolerTest {};

// The install stage's order: register, remove leniently, register again.
// VP_K20x.DLL is missing, then held open without sharing: no date either
// time; at last it is readable and its last-write time is the date.
TEST_F(RegistrationTest, InstallStageHandsOverTheRecordsAndLeavesOneOfEach)
{
    std::string dateFile = SelectModelAndPort(kModel, "LPT1:");
    ASSERT_TRUE(RegisterDriverAndPrinter());
    RemovePreviousInstallationLeniently();
    EXPECT_EQ("", PrinterDriverAndPort(kModel));
    WriteFileBytes(dateFile, "driver");
    HANDLE file = CreateFileA(dateFile.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_TRUE(RegisterDriverAndPrinter());
    SYSTEMTIME stamp = {2009, 6, 0, 15, 10, 30, 0, 0};
    FILETIME written;
    SystemTimeToFileTime(&stamp, &written);
    SetFileTime(file, NULL, NULL, &written);
    GetFileTime(file, NULL, NULL, &written);  // as the file system keeps it
    CloseHandle(file);
    RemovePreviousInstallationLeniently();
    ASSERT_TRUE(RegisterDriverAndPrinter());

    EXPECT_EQ(1, DriverCount(kModel));
    EXPECT_EQ("Test K201|LPT1:", PrinterDriverAndPort(kModel));
    ASSERT_EQ(3u, g_driverCalls.size());
    for (int call : {0, 1})
        EXPECT_EQ(0u, g_driverCalls[call].date.dwLowDateTime |
                          g_driverCalls[call].date.dwHighDateTime);
    const DriverCall &d = g_driverCalls[2];
    EXPECT_EQ(0, CompareFileTime(&written, &d.date));
    EXPECT_EQ(Texts({kModel, SpoolerEnvironment(), "UNIDRV.DLL", "VP_K20x.GPD", "UNIDRVUI.DLL",
                     "UNIDRV.HLP", "UNIDRV.DLL|UNIDRVUI.DLL|UNIDRV.HLP|VP_K20x.GPD|VP_K20x.DLL|",
                     "NT EMF 1.008", "Test K201|", "", "TESTHWID-K201",
                     "Vantrel Pelzoran, Co. Ltd."}),
              d.texts);

    // What Wine keeps of both records.
    HANDLE printer = NULL;
    ASSERT_TRUE(OpenPrinterA((LPSTR)kModel, &printer, NULL));
    BYTE driver[8192], record[8192];
    DWORD needed;
    EXPECT_TRUE(GetPrinterDriverA(printer, NULL, 6, driver, sizeof(driver), &needed));
    EXPECT_TRUE(GetPrinterA(printer, 2, record, sizeof(record), &needed));
    ClosePrinter(printer);
    EXPECT_EQ(3u, ((const DRIVER_INFO_6A *)driver)->cVersion);
    Texts kept = DriverTexts((const DRIVER_INFO_6A *)driver);
    EXPECT_EQ(Texts(d.texts.begin(), d.texts.end() - 3), Texts(kept.begin(), kept.end() - 3));
    const PRINTER_INFO_2A *p = (const PRINTER_INFO_2A *)record;
    EXPECT_EQ(Texts({kModel, "LPT1:", kModel, "WinPrint", "NT EMF 1.008"}),
              Texts({Name(p->pPrinterName), Name(p->pPortName), Name(p->pDriverName),
                     Name(p->pPrintProcessor), Name(p->pDatatype)}));
    EXPECT_EQ(0x200u, p->Attributes);
}

TEST_F(RegistrationTest, StrictRemovalSaysWhetherTheWayIsClear)
{
    SelectModelAndPort(kModel, "LPT1:");
    // No printer of that name: clear, and the driver of that name stays.
    ASSERT_TRUE(AddDriverNamed(kModel));
    EXPECT_TRUE(RemovePreviousInstallation());
    EXPECT_EQ(1, DriverCount(kModel));
    DeletePrinterAndDriverNamed(kModel);

    ASSERT_TRUE(RegisterDriverAndPrinter());
    EXPECT_TRUE(RemovePreviousInstallation());
    EXPECT_EQ(0, DriverCount(kModel));
    EXPECT_EQ("", PrinterDriverAndPort(kModel));

    // Wine deletes drivers in use; a printer of the model's name on another
    // driver leaves no driver of that name to delete.
    ASSERT_TRUE(AddPrinterOnDriver(kModel, "Other Driver", "LPT1:"));
    EXPECT_FALSE(RemovePreviousInstallation());
}

// Wine's spooler takes a driver whose files are missing, but refuses a name
// longer than a registry key may be.
TEST_F(RegistrationTest, FailedDriverRegistrationShowsTheErrorAndAddsNoPrinter)
{
    SelectModelAndPort(std::string(300, 'K').c_str(), "LPT1:");
    ImportReplacement add("winspool.drv", "AddPrinterA", AddPrinterA, CountAddPrinter);
    ASSERT_TRUE(add.original != NULL);
    g_printersAdded = 0;
    std::string text = "(no box)";
    {
        DialogAnswerer answerer(GetCurrentProcessId(), 0, [&](HWND box) {
            if (WindowText(box) != "Add a printer error ") return 0;
            text = ControlText(box, 0xFFFF);
            return IDOK;
        });
        EXPECT_FALSE(RegisterDriverAndPrinter());
    }

    ASSERT_EQ(1u, g_driverCalls.size());
    std::string code = std::to_string(g_driverCalls[0].error);
    EXPECT_NE("0", code);
    EXPECT_EQ("Cannot add a printer driver!\r\n(System Error Code : " + code + ")", text);
    EXPECT_EQ(0, g_printersAdded);
}

TEST_F(DefaultPrinterTest, WritesPrinterDriverAndPortOrNothing)
{
    ASSERT_TRUE(AddPrinterOnDriver("Someone Else's", "Other Driver", "LPT1:"));
    SelectModelAndPort("P", "COM1:");
    ASSERT_TRUE(RegisterDriverAndPrinter());
    ASSERT_TRUE(WriteProfileStringA("windows", "device", "Before,winspool,Ne00:"));
    EXPECT_FALSE(MakeDefaultPrinter("No such printer"));
    EXPECT_EQ("Before,winspool,Ne00:", DefaultPrinterEntry());

    EXPECT_TRUE(MakeDefaultPrinter("P"));
    EXPECT_EQ("P,P,COM1:", DefaultPrinterEntry());
    char name[1024] = "";
    DWORD size = sizeof(name);
    EXPECT_TRUE(GetDefaultPrinterA(name, &size));
    EXPECT_STREQ("P", name);
    EXPECT_EQ("Other Driver|LPT1:", PrinterDriverAndPort("Someone Else's"));
}

HANDLE WINAPI RefuseAddPrinter(LPSTR, DWORD, LPBYTE)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return NULL;
}
BOOL WINAPI RefuseDeletePrinter(HANDLE) { SetLastError(ERROR_ACCESS_DENIED); return FALSE; }
// Wine adds a printer of a name already there again; Windows refuses it.
decltype(&AddPrinterA) g_realAddPrinter;
HANDLE WINAPI AddPrinterUnlessThere(LPSTR server, DWORD level, LPBYTE record)
{
    HANDLE there = NULL;
    if (OpenPrinterA(((PRINTER_INFO_2A *)record)->pPrinterName, &there, NULL)) {
        ClosePrinter(there);
        SetLastError(ERROR_PRINTER_ALREADY_EXISTS);
        return NULL;
    }
    return g_realAddPrinter(server, level, record);
}
UINT_PTR WINAPI RefuseSetTimer(HWND, UINT_PTR, UINT, TIMERPROC) { return 0; }
BOOL WINAPI RefuseDriverDirectory(LPSTR, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD)
{
    SetLastError(RPC_S_SERVER_UNAVAILABLE);
    return FALSE;
}

// The main window without its start-up, whose reading stage would begin the
// wizard from the welcome page.
LRESULT CALLBACK MainWindowFromCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return message == WM_CREATE ? 0 : SequencerWindowProc(window, message, wParam, lParam);
}

// What the user saw from a command on until the wizard ended: the message
// boxes (caption, and the program's error text) and the finish page.
struct Outcome {
    Texts messages;
    std::string finish = "(no finish page)";
    bool defaultBox = false;
    bool ended = false;
};

// Posts the command to a fresh main window and runs its messages until the
// window is gone (at most 60 s), answering every box with OK.
Outcome RunWizardFrom(WPARAM command)
{
    static ATOM windowClass = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = MainWindowFromCommand;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "StageTestMain";
        return RegisterClassA(&wc);
    }();
    EXPECT_NE(0, windowClass);
    SetModuleInstance(GetModuleHandleA(NULL));
    HWND main = CreateWindowExA(0, "StageTestMain", SetupTitle(), WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                200, NULL, NULL, GetModuleHandleA(NULL), NULL);
    Outcome outcome;
    {
        DialogAnswerer answerer(GetCurrentProcessId(), 0, [&](HWND window) {
            std::string caption = WindowText(window);
            if (GetDlgItem(window, IDC_PORT_LIST)) return IDC_NEXT;  // the port preselected
            if (GetDlgItem(window, IDC_EXIT_MESSAGE)) {
                outcome.finish = ControlText(window, IDC_EXIT_MESSAGE);
                outcome.defaultBox = IsWindowVisible(GetDlgItem(window, IDC_SET_DEFAULT));
            } else if (caption == "Error") {
                outcome.messages.push_back("Error: " + ControlText(window, IDC_MSG_TEXT));
            } else if (GetDlgItem(window, 0xFFFF)) {
                outcome.messages.push_back(caption);
            } else {
                return 0;  // the status window
            }
            return IDOK;
        });
        PostMessageA(main, WM_COMMAND, command, 0);
        for (DWORD start = GetTickCount(); !outcome.ended && GetTickCount() - start < 60000;) {
            MSG msg;
            while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) outcome.ended = true;
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            MsgWaitForMultipleObjects(0, NULL, FALSE, 50, QS_ALLINPUT);
        }
    }
    if (IsWindow(main)) DestroyWindow(main);
    MSG quit;
    while (PeekMessageA(&quit, NULL, 0, 0, PM_REMOVE)) {}
    return outcome;
}

const char kSucceeded[] = "The Installation has done successfully.";
const char kFailed[] = "The Installation has failed.";

// The finish page shows success only when the model's driver and printer are
// there at the end: a refused driver (Wine refuses a name longer than a
// registry key) after its two boxes, and a refused printer silently, end in
// the failure form; a printer the removal between the registrations could
// not delete is still there, and counts. Stage timers that cannot be armed
// run their stages at once. Wine never refuses a printer, its deletion, a
// second printer of one name or a timer, so those refusals are put in at the
// imports.
TEST_F(InstallStageTest, TheFinishPageShowsWhatTheStageLeftInstalled)
{
    const std::string longModel(300, 'K');
    const char kDriverError[] = "Add a printer error ";
    // The replacements of a case, NULL where the import stays.
    struct Replacements {
        decltype(&AddPrinterA) addPrinter;
        decltype(&DeletePrinter) deletePrinter;
        decltype(&SetTimer) setTimer;
    };
    const struct {
        const char *what, *model;
        Replacements replace;
        Texts messages;
        const char *finish;
    } cases[] = {
        {"installed", kModel, {}, {}, kSucceeded},
        {"driver refused", longModel.c_str(), {}, {kDriverError, kDriverError}, kFailed},
        {"printer refused", kModel, {RefuseAddPrinter, NULL, NULL}, {}, kFailed},
        {"printer kept", kModel, {AddPrinterUnlessThere, RefuseDeletePrinter, NULL}, {}, kSucceeded},
        {"no timers", kModel, {NULL, NULL, RefuseSetTimer}, {}, kSucceeded},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SelectModelAndPort(c.model, "LPT1:");
        Outcome outcome;
        {
            ImportReplacement add("winspool.drv", "AddPrinterA", AddPrinterA, c.replace.addPrinter);
            ImportReplacement remove("winspool.drv", "DeletePrinter", DeletePrinter,
                                     c.replace.deletePrinter);
            ImportReplacement timers("USER32.dll", "SetTimer", SetTimer, c.replace.setTimer);
            ASSERT_TRUE(!c.replace.addPrinter || add.original);
            ASSERT_TRUE(!c.replace.deletePrinter || remove.original);
            ASSERT_TRUE(!c.replace.setTimer || timers.original);
            g_realAddPrinter = add.original;
            outcome = RunWizardFrom(CMD_INSTALL);
        }
        EXPECT_TRUE(outcome.ended);
        EXPECT_EQ(c.messages, outcome.messages);
        EXPECT_EQ(c.finish, outcome.finish);
        EXPECT_EQ(c.finish == kSucceeded, outcome.defaultBox);
        EXPECT_EQ(c.finish == kSucceeded ? "Test K201|LPT1:" : "", PrinterDriverAndPort(kModel));
        DeletePrinterAndDriverNamed(c.model);
    }
}

// Without a driver directory the reader leaves a lone backslash: the port
// page's Next ends the installation with the copy's refusal, instead of
// writing to the current drive's root, and before the earlier printer of
// the model's name is removed for it.
TEST_F(InstallStageTest, NoDriverDirectoryEndsInTheFailureFormWithNothingWritten)
{
    ASSERT_TRUE(AddPrinterOnDriver(kModel, kModel, "LPT3:"));
    {
        ImportReplacement refusal("winspool.drv", "GetPrinterDriverDirectoryA",
                                  GetPrinterDriverDirectoryA, RefuseDriverDirectory);
        ASSERT_TRUE(refusal.original != NULL);
        g_install.driverDirectory[0] = '\0';
        SelectModelAndPort(kModel, "LPT1:");
    }
    ASSERT_STREQ("\\", g_install.driverDirectory);
    for (const char *name = g_install.copyList; *name; name += lstrlenA(name) + 1)
        WriteFileBytes(name, std::string("data of ") + name);
    Outcome outcome = RunWizardFrom(CMD_PORT);
    EXPECT_TRUE(outcome.ended);
    EXPECT_EQ(Texts{"Error: Cannot create the destination file."}, outcome.messages);
    EXPECT_EQ(kFailed, outcome.finish);
    for (const char *name = g_install.copyList; *name; name += lstrlenA(name) + 1)
        for (const char *folder : {"\\", "\\3\\"})
            EXPECT_FALSE(FileExists(std::string(folder) + name)) << folder << name;
    EXPECT_EQ(std::string(kModel) + "|LPT3:", PrinterDriverAndPort(kModel));
}

}  // namespace
