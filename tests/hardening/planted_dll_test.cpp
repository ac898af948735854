// setup.exe started from a medium that carries DLLs of its own, and what a
// run leaves in the prefix's file tree. For the planted names Wine is told to
// take a DLL file before its builtin copy (native first, for setup.exe
// alone), as Windows would for DLLs that are not known DLLs: any load by name
// from the medium's folder then takes the marker, which leaves a file.
// Every test is a ctest entry of its own, so each starts from a fresh prefix.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/spooler_state.h"
#include "e2e/wizard_driver.h"
#include "hardening/hardening_support.h"
#include "resource.h"
#include "support/processes.h"
#include "support/test_files.h"
#include "support/windows_driver.h"

namespace {

const DWORD kWaitMs = 20000;

// The first model's files, which the default choices install.
const char *const kFirstModelFiles[] = {"UNIDRV.DLL",  "UNIDRVUI.DLL", "UNIDRV.HLP",
                                        "VP_K20x.GPD", "VP_K20x.DLL",  "VP_K201.INI"};

bool SamePath(const std::string &a, const std::string &b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

bool IsFirstModelFile(const std::string &path)
{
    std::string name = path.substr(path.find_last_of('\\') + 1);
    for (const char *file : kFirstModelFiles)
        if (SamePath(name, file)) return true;
    return false;
}

class PlantedDllTest : public testing::Test {
protected:
    Wizard wizard_ = {};
    std::string medium_;

    void TearDown() override
    {
        if (wizard_.process.hProcess) WaitForWizardExit(&wizard_, 0);
    }

    void PlantBesideSetup()
    {
        PreferNativeMarkers("setup.exe");
        medium_ = CopyOfSampleMedium("planted");
        for (const char *name : kMarkerNames) ASSERT_TRUE(PlantMarker(name, medium_)) << name;
    }

    void ExpectNoMarkerLoaded()
    {
        for (const char *name : kMarkerNames) EXPECT_FALSE(MarkerLoaded(name, medium_)) << name;
    }

    HWND Press(HWND page, int buttonId, WizardWindow next)
    {
        return page ? PressAndAwait(wizard_, page, buttonId, next, kWaitMs) : NULL;
    }

    // Next on every page with what each preselects: the first model, COM1:.
    HWND ToCopyPage()
    {
        HWND welcome = WaitForWizardWindow(wizard_, WINDOW_WELCOME, kWaitMs);
        HWND port = Press(Press(welcome, IDC_NEXT, WINDOW_MODEL), IDC_NEXT, WINDOW_PORT);
        return Press(port, IDC_NEXT, WINDOW_COPY);
    }

    void ExpectFinishAndCleanExit(bool success)
    {
        HWND finish = WaitForWizardWindow(wizard_, WINDOW_FINISH, kWaitMs);
        ASSERT_TRUE(finish);
        EXPECT_EQ(success ? "The Installation has done successfully." : "The Installation has failed.",
                  ControlText(finish, IDC_EXIT_MESSAGE));
        PressButton(finish, IDOK);
        EXPECT_EQ(0u, WaitForWizardExit(&wizard_, kWaitMs));
    }

    // Every change must be the driver directory, its version folder, or a
    // file in one of them (of the first model's, when only those may be).
    void ExpectOnlyDriverFolderChanges(const TreeListing &before, bool onlyFirstModelFiles)
    {
        std::string directory = DriverDirectory(), version = directory + "\\3";
        TreeListing after = ListPrefixTree();
        std::vector<std::string> changed = ChangedPaths(before, after);
        for (const std::string &path : changed) {
            if (SamePath(path, directory) || SamePath(path, version)) continue;
            std::string parent = ParentOf(path);
            bool file = after.count(path) ? !after.at(path).directory : !before.at(path).directory;
            bool inDriverFolders = file && (SamePath(parent, directory) || SamePath(parent, version));
            EXPECT_TRUE(inDriverFolders && (!onlyFirstModelFiles || IsFirstModelFile(path)))
                << "changed: " << path;
        }
    }
};

TEST_F(PlantedDllTest, RefusalLoadsNoPlantedDll)
{
    PlantBesideSetup();
    SetProgramWindowsVersion("setup.exe", "win10");
    ASSERT_TRUE(StartWizard(&wizard_, medium_));
    HWND refusal = WaitForMessageDialog(wizard_, "Install Error", kWaitMs);
    ASSERT_TRUE(refusal);
    EXPECT_EQ("This Driver is not supported on this Operating System.", MessageDialogText(refusal));
    PressButton(refusal, IDOK);
    EXPECT_EQ(0u, WaitForWizardExit(&wizard_, kWaitMs));
    SetProgramWindowsVersion("setup.exe", NULL);
    ExpectNoMarkerLoaded();
}

TEST_F(PlantedDllTest, WholeInstallationLoadsNoPlantedDllAndWritesOnlyTheDriverFolders)
{
    PlantBesideSetup();
    TreeListing before = ListPrefixTree();
    ASSERT_TRUE(StartWizard(&wizard_, medium_));
    ASSERT_TRUE(ToCopyPage());
    ExpectFinishAndCleanExit(true);
    ExpectNoMarkerLoaded();
    EXPECT_EQ(1u, InstalledPrinters().size());
    ExpectOnlyDriverFolderChanges(before, false);
    for (const char *file : kFirstModelFiles) {
        EXPECT_TRUE(FileExists(DriverDirectory() + "\\" + file)) << file;
        EXPECT_TRUE(FileExists(DriverDirectory() + "\\3\\" + file)) << file;
    }
}

// Cancelled on the copy page once its first file is in place: the page
// waits a second after its last file before it ends.
TEST_F(PlantedDllTest, CancelledInstallationLeavesOnlyTheFilesAlreadyCopied)
{
    medium_ = CopyOfSampleMedium("cancel");
    TreeListing before = ListPrefixTree();
    ASSERT_TRUE(StartWizard(&wizard_, medium_));
    HWND copy = ToCopyPage();
    ASSERT_TRUE(copy);
    std::string firstFile = DriverDirectory() + "\\3\\" + kFirstModelFiles[0];
    for (DWORD start = GetTickCount(); !FileExists(firstFile) && GetTickCount() - start < kWaitMs;)
        Sleep(5);
    ASSERT_TRUE(FileExists(firstFile));
    PressButton(copy, IDCANCEL);
    HWND question = WaitForMessageDialog(wizard_, "Question", kWaitMs);
    ASSERT_TRUE(question);
    PressButton(question, IDYES);
    ExpectFinishAndCleanExit(false);
    EXPECT_TRUE(InstalledDriverNames().empty());
    EXPECT_TRUE(InstalledPrinters().empty());
    EXPECT_EQ("", DefaultPrinterEntry());
    ExpectOnlyDriverFolderChanges(before, true);
}

// The control: a marker in the system folder is loaded, so the tests above
// would see a load. LZ32 is loaded from there once the platform check has
// passed; the program cannot copy without it, so it is ended then.
TEST_F(PlantedDllTest, MarkerInTheSystemFolderIsLoaded)
{
    char system[MAX_PATH];
    ASSERT_NE(0u, GetSystemDirectoryA(system, MAX_PATH));
    ASSERT_TRUE(DeleteFileA((std::string(system) + "\\lz32.dll").c_str()));
    ASSERT_TRUE(PlantMarker("lz32.dll", system));
    PreferNativeMarkers("setup.exe");
    medium_ = CopyOfSampleMedium("control");
    ASSERT_TRUE(StartWizard(&wizard_, medium_));
    bool loaded = false;
    for (DWORD start = GetTickCount(); !loaded && GetTickCount() - start < kWaitMs; Sleep(50))
        loaded = MarkerLoaded("lz32.dll", system);
    EXPECT_TRUE(loaded);
    EXPECT_TRUE(WaitForWizardWindow(wizard_, WINDOW_WELCOME, kWaitMs));
}

}  // namespace
