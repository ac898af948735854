// setup.exe started from a medium that carries DLLs of its own, and what a
// run leaves in the prefix's file tree. For the planted names Wine is told to
// take a DLL file before its builtin copy (native first, for setup.exe
// alone), as Windows would for DLLs that are not known DLLs: any load by name
// from the medium's folder then takes the marker, which leaves a file.
// Each test is a ctest entry of its own, so it starts from a fresh prefix.
#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <initializer_list>
#include <map>

#include "platform/system_libraries.h"
#include "support/import_patch.h"
#include "support/spooler_state.h"
#include "support/wizard_fixture.h"

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
void PreferNativeDlls(const char *exeName, std::initializer_list<const char *> dlls)
{
    HKEY key;
    std::string keyName = std::string("Software\\Wine\\AppDefaults\\") + exeName + "\\DllOverrides";
    RegCreateKeyExA(HKEY_CURRENT_USER, keyName.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
    const char order[] = "native,builtin";
    for (const char *name : dlls) RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)order, sizeof(order));
    RegCloseKey(key);
}

void PreferNativeMarkers() { PreferNativeDlls("setup.exe", {"lz32", "winspool.drv", "version"}); }

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
    AnsweredDialog refusal = Answer("Install Error", IDOK);
    ASSERT_TRUE(refusal.window);
    EXPECT_EQ("This Driver is not supported on this Operating System.", refusal.text);
    ExpectEnded();
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

// Cancelled on the copy page once it stages the files, which stay staged
// through its last second: the set goes in only when the page ends with
// success, so no file of it is installed.
TEST_F(PlantedDllTest, CancelledInstallationLeavesOnlyTheFilesAlreadyCopied)
{
    std::string medium = CopyOfSampleMedium("cancel");
    Listing before = ListPrefixTree();
    HWND copy = Walk(WINDOW_COPY, medium);
    std::string staged = DriverDirectory() + "\\VPK*.tmp";
    WIN32_FIND_DATAA found;
    HANDLE search = INVALID_HANDLE_VALUE;
    DWORD start = GetTickCount();
    while (search == INVALID_HANDLE_VALUE && GetTickCount() - start < kWaitMs) {
        Sleep(5);
        search = FindFirstFileA(staged.c_str(), &found);
    }
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    FindClose(search);
    HWND finish = CancelConfirmed(copy);
    ExpectFinishPage(finish, false);
    ExpectCleanExit(finish);
    ExpectOnlyDriverFolderChanges(before, true);
    for (const char *folder : {"\\", "\\3\\"})
        for (const char *file : kFirstModelFiles)
            EXPECT_FALSE(FileExists(DriverDirectory() + folder + file)) << folder << file;
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

// Each defence on its own, in a copy of this program run as the probe: the
// search narrowing (its functions looked up at start-up) and the loading of
// the system's components from the system folder, the only defence where
// neither narrowing function exists (Windows 2000). A DLL only beside the
// probe, and markers beside it under the names of two system components
// that nothing has loaded yet, taken before the builtin copy as Windows
// would take any DLL that is not a known DLL.
const char kProbeOnlyDll[] = "probe_only.dll";
const char *const kComponents[] = {"dwmapi.dll", "uxtheme.dll"};
enum ProbeFinding { BARE_NAME_FOUND = 1, COMPONENT_FROM_BESIDE = 2, COMPONENT_ALREADY_LOADED = 4 };

decltype(&GetProcAddress) g_getProcAddress;

FARPROC WINAPI WithoutNarrowing(HMODULE module, LPCSTR name)
{
    if ((ULONG_PTR)name >> 16 && (!lstrcmpA(name, "SetDefaultDllDirectories") || !lstrcmpA(name, "SetDllDirectoryA")))
        return NULL;
    return g_getProcAddress(module, name);
}

// In the probe: the defences as mode asks, then what a load by bare name finds.
int Probe(const std::string &mode)
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    int findings = 0;
    for (const char *name : kComponents)
        if (GetModuleHandleA(name)) findings |= COMPONENT_ALREADY_LOADED;
    // Wine never lacks the narrowing functions: their look-ups are made to
    // fail at this program's import of GetProcAddress.
    if (mode == "preloads") {
        g_getProcAddress =
            ReplaceImport("kernel32.dll", "GetProcAddress", GetProcAddress, WithoutNarrowing);
        if (!g_getProcAddress) return 99;
    }
    if (mode != "none") NarrowDllSearch();
    if (LoadLibraryA(kProbeOnlyDll)) findings |= BARE_NAME_FOUND;
    for (const char *name : kComponents) {
        char path[MAX_PATH] = "";
        GetModuleFileNameA(LoadLibraryA(name), path, MAX_PATH);
        if (!SamePath(path, std::string(system) + "\\" + name)) findings |= COMPONENT_FROM_BESIDE;
    }
    return findings;
}

TEST(DllDefenceTest, NarrowingAndSystemComponentsEachHoldOnTheirOwn)
{
    if (const char *mode = getenv("SETUP_DEFENCE_PROBE")) {
        fflush(stdout);
        ExitProcess(Probe(mode));
    }
    std::string folder = MakeTempFolder("probe"), workdir = MakeTempFolder("probe_cwd");
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, MAX_PATH);
    ASSERT_TRUE(CopyFileA(self, (folder + "\\probe.exe").c_str(), FALSE));
    ASSERT_TRUE(PlantMarker(kProbeOnlyDll, folder));
    for (const char *name : kComponents) ASSERT_TRUE(PlantMarker(name, folder)) << name;
    PreferNativeDlls("probe.exe", {"dwmapi", "uxtheme"});

    const struct { const char *mode; int findings; } cases[] = {
        {"none", BARE_NAME_FOUND | COMPONENT_FROM_BESIDE},  // the probe would see either
        {"preloads", BARE_NAME_FOUND},                      // no narrowing: only the preloads
        {"all", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mode);
        SetEnvironmentVariableA("SETUP_DEFENCE_PROBE", c.mode);
        PROCESS_INFORMATION process;
        ASSERT_TRUE(StartProgram(folder + "\\probe.exe", workdir, &process));
        EXPECT_EQ((DWORD)c.findings, FinishProgram(&process, kWaitMs));
    }
    SetEnvironmentVariableA("SETUP_DEFENCE_PROBE", NULL);
}

}  // namespace
