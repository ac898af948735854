// Driver and printer registration and the removal of a previous
// installation, against Wine's real spooler. Wine keeps no driver date,
// hardware id, provider or URL, so the record is also checked as it is
// handed to AddPrinterDriverA, captured at the test program's import table.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <string>
#include <thread>
#include <vector>

#include "install_fixture.h"
#include "spooler/registration.h"
#include "support/test_files.h"
#include "support/windows_driver.h"

namespace {

typedef std::vector<std::string> Texts;
const char kModel[] = "Test K201";

std::string Text(const char *text) { return text ? text : "(none)"; }

std::string FileName(const char *path)
{
    std::string text = Text(path);
    return text.substr(text.find_last_of('\\') + 1);
}

// A NUL-separated list as "a|b|", file names only.
std::string List(const char *list)
{
    std::string joined;
    for (; list && *list; list += lstrlenA(list) + 1) joined += FileName(list) + "|";
    return joined;
}

// The level-6 record's texts, in table order; paths cut to file names, as
// Wine gives back full paths.
Texts DriverTexts(const DRIVER_INFO_6A *d)
{
    return {Text(d->pName), Text(d->pEnvironment), FileName(d->pDriverPath),
            FileName(d->pDataFile), FileName(d->pConfigFile), FileName(d->pHelpFile),
            List(d->pDependentFiles),
            Text(d->pMonitorName), Text(d->pDefaultDataType), List(d->pszzPreviousNames),
            Text(d->pszMfgName), Text(d->pszOEMUrl), Text(d->pszHardwareID),
            Text(d->pszProvider)};
}

struct DriverCall {
    DWORD version;
    Texts texts;
    FILETIME date;
    DWORDLONG driverVersion;
    DWORD error;
};
std::vector<DriverCall> g_driverCalls;
decltype(&AddPrinterDriverA) g_realAddDriver;

BOOL WINAPI CaptureAddDriver(LPSTR server, DWORD level, LPBYTE record)
{
    // Drivers of other programs come from the test itself, at level 3.
    if (level != 6) return g_realAddDriver(server, level, record);
    const DRIVER_INFO_6A *d = (const DRIVER_INFO_6A *)record;
    DriverCall call = {d->cVersion, DriverTexts(d), d->ftDriverDate, d->dwlDriverVersion, 0};
    BOOL added = g_realAddDriver(server, level, record);
    call.error = GetLastError();
    g_driverCalls.push_back(call);
    return added;
}

UINT g_boxStyle;
decltype(&MessageBoxA) g_realMessageBox;
int WINAPI CaptureMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    g_boxStyle = style;
    return g_realMessageBox(owner, text, caption, style);
}

BOOL WINAPI RefuseDeletePrinter(HANDLE) { return FALSE; }

class RegistrationTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(handles.Active() && addDriver.original && messageBox.original);
        g_realAddDriver = (decltype(g_realAddDriver))addDriver.original;
        g_realMessageBox = (decltype(g_realMessageBox))messageBox.original;
        g_driverCalls.clear();
        g_boxStyle = 0xFFFF;
    }

    void TearDown() override
    {
        EXPECT_EQ(0, handles.StillOpen());
        for (const char *name : {kModel, "Test K209", "Someone Else's", "Other Driver"})
            DeletePrinterAndDriverNamed(name);
    }

    PrinterHandleWatch handles;
    ImportReplacement addDriver{"winspool.drv", "AddPrinterDriverA", (void *)CaptureAddDriver};
    ImportReplacement messageBox{"user32.dll", "MessageBoxA", (void *)CaptureMessageBox};
};

TEST_F(RegistrationTest, HandsOverTheRecordsAndTheSpoolerKeepsThem)
{
    std::string dateFile = PrepareInstall(kModel, "LPT1:") + "\\VP_K20x.DLL";
    WriteFileBytes(dateFile, "driver");
    SYSTEMTIME stamp = {2009, 6, 0, 15, 10, 30, 0, 0};
    FILETIME written;
    SystemTimeToFileTime(&stamp, &written);
    HANDLE file = CreateFileA(dateFile.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    SetFileTime(file, NULL, NULL, &written);
    GetFileTime(file, NULL, NULL, &written);
    CloseHandle(file);

    ASSERT_TRUE(RegisterDriverAndPrinter());
    ASSERT_EQ(1u, g_driverCalls.size());
    const DriverCall &d = g_driverCalls[0];
    EXPECT_EQ(3u, d.version);
    const char *files = "UNIDRV.DLL|UNIDRVUI.DLL|UNIDRV.HLP|VP_K20x.GPD|VP_K20x.DLL|K201.INI|";
    EXPECT_EQ(Texts({kModel, "Windows NT x86", "UNIDRV.DLL", "VP_K20x.GPD", "UNIDRVUI.DLL",
                     "UNIDRV.HLP", files, "(none)", "NT EMF 1.008", "Test K201|", "(none)", "",
                     "TESTHWID-K201", "Vantrel Pelzoran, Co. Ltd."}),
              d.texts);
    EXPECT_EQ(written.dwLowDateTime, d.date.dwLowDateTime);
    EXPECT_EQ(written.dwHighDateTime, d.date.dwHighDateTime);
    EXPECT_EQ(0u, d.driverVersion);
    EXPECT_EQ(0xFFFFu, g_boxStyle);

    // What Wine keeps: all but maker, URL, hardware id and provider.
    HANDLE printer = NULL;
    ASSERT_TRUE(OpenPrinterA((LPSTR)kModel, &printer, NULL));
    DWORD needed = 0;
    GetPrinterDriverA(printer, NULL, 6, NULL, 0, &needed);
    std::vector<BYTE> driver(needed + 1);
    EXPECT_TRUE(GetPrinterDriverA(printer, NULL, 6, driver.data(), needed, &needed));
    GetPrinterA(printer, 2, NULL, 0, &needed);
    std::vector<BYTE> record(needed + 1);
    EXPECT_TRUE(GetPrinterA(printer, 2, record.data(), needed, &needed));
    ClosePrinter(printer);
    Texts kept = DriverTexts((const DRIVER_INFO_6A *)driver.data());
    EXPECT_EQ("", kept[7]);  // Wine's way of saying no monitor
    kept[7] = d.texts[7];
    EXPECT_EQ(Texts(d.texts.begin(), d.texts.end() - 4), Texts(kept.begin(), kept.end() - 4));
    const PRINTER_INFO_2A *p = (const PRINTER_INFO_2A *)record.data();
    EXPECT_EQ(Texts({kModel, "LPT1:", kModel, "WinPrint", "NT EMF 1.008"}),
              Texts({Text(p->pPrinterName), Text(p->pPortName), Text(p->pDriverName),
                     Text(p->pPrintProcessor), Text(p->pDatatype)}));
    EXPECT_EQ((DWORD)PRINTER_ATTRIBUTE_DO_COMPLETE_FIRST, p->Attributes);
}

// VP_K20x.DLL missing, then held open without sharing: no date. A model
// line without a hardware id gives none. Both times the driver is added.
TEST_F(RegistrationTest, RegistersWithoutDateOrHardwareId)
{
    std::string dateFile = PrepareInstall("Test K209", "COM1:") + "\\VP_K20x.DLL";
    ASSERT_TRUE(RegisterDriverAndPrinter());
    WriteFileBytes(dateFile, "driver");
    HANDLE holder = CreateFileA(dateFile.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    RemovePreviousInstallationLeniently();
    EXPECT_TRUE(RegisterDriverAndPrinter());
    CloseHandle(holder);

    ASSERT_EQ(2u, g_driverCalls.size());
    for (const DriverCall &d : g_driverCalls) {
        EXPECT_EQ(0u, d.date.dwLowDateTime | d.date.dwHighDateTime);
        EXPECT_EQ("(none)", d.texts[12]);
        EXPECT_EQ("RAW", d.texts[8]);
    }
    EXPECT_EQ("Test K209|COM1:", PrinterDriverAndPort("Test K209"));
}

// The install stage's order: register, remove leniently, register again.
TEST_F(RegistrationTest, InstallStageEndsWithOneDriverAndOnePrinter)
{
    ASSERT_TRUE(AddPrinterOnDriver("Someone Else's", "Other Driver", "COM2:"));
    PrepareInstall(kModel, "LPT1:");
    ASSERT_TRUE(RegisterDriverAndPrinter());
    RemovePreviousInstallationLeniently();
    EXPECT_EQ("", PrinterDriverAndPort(kModel));
    ASSERT_TRUE(RegisterDriverAndPrinter());

    EXPECT_EQ(1, DriverCount(kModel));
    EXPECT_EQ("Test K201|LPT1:", PrinterDriverAndPort(kModel));
    ASSERT_EQ(2u, g_driverCalls.size());
    EXPECT_EQ(g_driverCalls[0].texts, g_driverCalls[1].texts);
    EXPECT_EQ(1, DriverCount("Other Driver"));
    EXPECT_EQ("Other Driver|COM2:", PrinterDriverAndPort("Someone Else's"));
}

TEST_F(RegistrationTest, StrictRemovalSaysWhetherTheWayIsClear)
{
    PrepareInstall(kModel, "LPT1:");
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

    // Wine never refuses to delete a printer: refused at the import table.
    ASSERT_TRUE(RegisterDriverAndPrinter());
    ImportReplacement refuse("winspool.drv", "DeletePrinter", (void *)RefuseDeletePrinter);
    EXPECT_FALSE(RemovePreviousInstallation());
}

// Wine's spooler takes a driver whose files are missing, but refuses a name
// longer than a registry key may be.
TEST_F(RegistrationTest, FailedDriverRegistrationShowsTheErrorAndAddsNoPrinter)
{
    std::string longName(300, 'K');
    PrepareInstall(longName.c_str(), "LPT1:");
    std::string text;
    HWND owner = (HWND)1;
    std::thread dismisser([&] {
        HWND box = WaitForProcessWindow(GetCurrentProcessId(), "#32770", "Add a printer error ",
                                        15000);
        if (!box) return;
        text = ControlText(box, 0xFFFF);
        owner = GetWindow(box, GW_OWNER);
        PressButton(box, IDOK);
    });
    EXPECT_FALSE(RegisterDriverAndPrinter());
    dismisser.join();

    ASSERT_EQ(1u, g_driverCalls.size());
    DWORD error = g_driverCalls[0].error;
    EXPECT_NE(0u, error);
    EXPECT_EQ("Cannot add a printer driver!\r\n(System Error Code : " + std::to_string(error) +
                  ")",
              text);
    EXPECT_TRUE(owner == NULL);
    EXPECT_EQ((UINT)MB_ICONERROR, g_boxStyle);
    EXPECT_EQ(0, handles.PrintersAdded());
}

}  // namespace
