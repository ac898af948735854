// setup.exe started from a medium that carries DLLs of its own, and what a
// run leaves in the prefix's file tree. For the planted names Wine is told to
// take a DLL file before its builtin copy (native first, for setup.exe
// alone), as Windows would for DLLs that are not known DLLs: any load by name
// from the medium's folder then takes the marker, which leaves a file.
// Each test is a ctest entry of its own, so it starts from a fresh prefix.
#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <map>

#include "e2e/spooler_state.h"
#include "e2e/wizard_fixture.h"

namespace {

// Not among the system's known DLLs, and loaded by name by the program or
// the system's components.
const char *const kMarkers[] = {"lz32.dll", "winspool.drv", "version.dll"};

// The first model's files, which the default choices install.
const char *const kFirstModelFiles[] = {"UNIDRV.DLL",  "UNIDRVUI.DLL", "UNIDRV.HLP",
                                        "VP_K20x.GPD", "VP_K20x.DLL",  "VP_K201.INI"};

bool SamePath(const std::string &a, const std::string &b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

bool PlantMarker(const char *name, const std::string &folder)
{
    return CopyFileA(WindowsPath(HARDENING_MARKER).c_str(), (folder + "\\" + name).c_str(), FALSE);
}

bool MarkerLoaded(const char *name, const std::string &folder)
{
    return FileExists(folder + "\\" + name + ".loaded");
}

// Wine 8 drops WINEDLLOVERRIDES from the environment a program hands to
// CreateProcess (it takes the variable from the Unix environment of each
// process), so the order is set in the registry for setup.exe alone.
void PreferNativeMarkers()
{
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\setup.exe\\DllOverrides", 0,
                    NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
    const char order[] = "native,builtin";
    for (const char *name : {"lz32", "winspool.drv", "version"})
        RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)order, sizeof(order));
    RegCloseKey(key);
}

// Path to kind, size and last-write time.
typedef std::map<std::string, std::string> Listing;

void ListTree(const std::string &folder, bool recurse, Listing *listing)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        std::string name = found.cFileName, path = folder + "\\" + name;
        bool directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        // The registry's store at the prefix's root, which Wine's server writes
        // when it pleases, is read back through the spooler and the profile
        // by the end-to-end tests instead.
        bool registry = name.find(".reg") != std::string::npos;
        if (name == "." || name == ".." || (!recurse && (directory || registry))) continue;
        char entry[64];
        snprintf(entry, sizeof(entry), "%s %lu %lu:%lu", directory ? "dir" : "file",
                 directory ? 0 : found.nFileSizeLow, found.ftLastWriteTime.dwHighDateTime,
                 found.ftLastWriteTime.dwLowDateTime);
        (*listing)[path] = entry;
        // The profile's folders linked to the Unix home lead out of the prefix.
        if (directory && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            ListTree(path, true, listing);
    }
    FindClose(search);
}

// The files at the prefix's root and all of drive C:.
Listing ListPrefixTree()
{
    Listing listing;
    ListTree(WindowsPath(getenv("WINEPREFIX")), false, &listing);
    ListTree("C:", true, &listing);
    return listing;
}

class PlantedDllTest : public WizardTest {
protected:
    std::string medium_;

    void PlantBesideSetup()
    {
        PreferNativeMarkers();
        medium_ = CopyOfSampleMedium("planted");
        for (const char *name : kMarkers) ASSERT_TRUE(PlantMarker(name, medium_)) << name;
    }

    // Every path added, removed or changed must be the driver directory, its
    // version folder, or a file in one of them (one of the first model's,
    // where only those may be).
    void ExpectOnlyDriverFolderChanges(const Listing &before, bool firstModelFilesOnly)
    {
        std::string directory = DriverDirectory(), version = directory + "\\3";
        Listing after = ListPrefixTree();
        std::vector<std::pair<std::string, std::string>> changes;
        std::set_symmetric_difference(before.begin(), before.end(), after.begin(), after.end(),
                                      std::back_inserter(changes));
        EXPECT_FALSE(changes.empty()) << "the listing saw nothing copied";
        for (const auto &change : changes) {
            const std::string &path = change.first, parent = path.substr(0, path.rfind('\\'));
            bool modelFile = std::any_of(
                std::begin(kFirstModelFiles), std::end(kFirstModelFiles),
                [&](const char *file) { return SamePath(parent + "\\" + file, path); });
            bool inFolders = SamePath(parent, directory) || SamePath(parent, version);
            EXPECT_TRUE(SamePath(path, directory) || SamePath(path, version) ||
                        (change.second[0] == 'f' && inFolders && (modelFile || !firstModelFilesOnly)))
                << "changed: " << path;
        }
    }
};

TEST_F(PlantedDllTest, RefusalLoadsNoPlantedDll)
{
    PlantBesideSetup();
    SetProgramWindowsVersion("setup.exe", "win10");
    ASSERT_TRUE(StartWizard(&wizard_, medium_));
    HWND refusal = AwaitMessage("Install Error");
    EXPECT_EQ("This Driver is not supported on this Operating System.", MessageDialogText(refusal));
    ExpectCleanExit(refusal);
    for (const char *name : kMarkers) EXPECT_FALSE(MarkerLoaded(name, medium_)) << name;
}

TEST_F(PlantedDllTest, WholeInstallationLoadsNoPlantedDllAndWritesOnlyTheDriverFolders)
{
    PlantBesideSetup();
    Listing before = ListPrefixTree();
    HWND finish = ToFinishPage(Walk(WINDOW_PORT, medium_));
    ExpectFinishPage(finish, true);
    ExpectCleanExit(finish);
    for (const char *name : kMarkers) EXPECT_FALSE(MarkerLoaded(name, medium_)) << name;
    ExpectOnlyDriverFolderChanges(before, false);
}

// Cancelled on the copy page once its first file is in place: the page
// waits a second after its last file before it ends.
TEST_F(PlantedDllTest, CancelledInstallationLeavesOnlyTheFilesAlreadyCopied)
{
    std::string medium = CopyOfSampleMedium("cancel");
    Listing before = ListPrefixTree();
    HWND copy = Walk(WINDOW_COPY, medium);
    std::string firstFile = DriverDirectory() + "\\3\\" + kFirstModelFiles[0];
    for (DWORD start = GetTickCount(); !FileExists(firstFile) && GetTickCount() - start < kWaitMs;)
        Sleep(5);
    ASSERT_TRUE(FileExists(firstFile));
    HWND finish = CancelConfirmed(copy);
    ExpectFinishPage(finish, false);
    ExpectCleanExit(finish);
    ExpectOnlyDriverFolderChanges(before, true);
}

// The control: a marker in the system folder is loaded, so the tests above
// would see a load. LZ32 is loaded from there once the platform check has
// passed; the program cannot copy without it, so it is ended then.
TEST_F(PlantedDllTest, MarkerInTheSystemFolderIsLoaded)
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    ASSERT_TRUE(DeleteFileA((std::string(system) + "\\lz32.dll").c_str()));
    ASSERT_TRUE(PlantMarker("lz32.dll", system));
    PreferNativeMarkers();
    ASSERT_TRUE(StartWizard(&wizard_, CopyOfSampleMedium("control")));
    bool loaded = false;
    for (DWORD start = GetTickCount(); !loaded && GetTickCount() - start < kWaitMs; Sleep(50))
        loaded = MarkerLoaded("lz32.dll", system);
    EXPECT_TRUE(loaded);
}

}  // namespace
