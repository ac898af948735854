// Medium copies, planted DLLs, whole wizard runs and prefix listings.
#include "hardening/hardening_support.h"

#include <cstdlib>

#include "resource.h"
#include "support/processes.h"
#include "support/test_files.h"
#include "support/windows_driver.h"

const char *const kMarkerNames[3] = {"lz32.dll", "winspool.drv", "version.dll"};

namespace {

std::string MarkerFolder() { return WindowsPath(HARDENING_MARKER_FOLDER); }

// The wizard's own windows; any other dialog of the program is a message.
bool IsWizardWindow(const Wizard &wizard, HWND window)
{
    for (int which = WINDOW_READING; which <= WINDOW_FINISH; ++which)
        if (FindWizardWindow(wizard, (WizardWindow)which) == window) return true;
    return false;
}

// The button a patient user presses in that window now; 0 for none.
int AnswerFor(const Wizard &wizard, HWND window, bool *finish)
{
    if (window == FindWizardWindow(wizard, WINDOW_FINISH)) {
        *finish = true;
        return IDOK;
    }
    if (window == FindWizardWindow(wizard, WINDOW_WELCOME) ||
        window == FindWizardWindow(wizard, WINDOW_PORT))
        return IDC_NEXT;
    if (window == FindWizardWindow(wizard, WINDOW_MODEL))
        return ListRows(GetDlgItem(window, IDC_MODEL_LIST)).empty() ? IDCANCEL : IDC_NEXT;
    if (IsWizardWindow(wizard, window)) return 0;
    if (GetDlgItem(window, IDYES)) return IDYES;
    return GetDlgItem(window, IDOK) ? IDOK : 0;
}

ULONGLONG Joined(DWORD high, DWORD low) { return ((ULONGLONG)high << 32) | low; }

void ListFolder(const std::string &folder, bool recurse, TreeListing *listing)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        bool directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (directory && !recurse) continue;
        std::string path = folder + "\\" + name;
        TreeEntry entry = {directory, directory ? 0 : Joined(found.nFileSizeHigh, found.nFileSizeLow),
                           Joined(found.ftLastWriteTime.dwHighDateTime,
                                  found.ftLastWriteTime.dwLowDateTime)};
        (*listing)[path] = entry;
        // The profile's folders that Wine links to the Unix home lead out
        // of the prefix.
        if (directory && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            ListFolder(path, true, listing);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string PrefixRoot()
{
    const char *prefix = getenv("WINEPREFIX");
    return prefix ? WindowsPath(prefix) : std::string();
}

bool EndsWithNoCase(const std::string &text, const char *end)
{
    size_t length = lstrlenA(end);
    return text.size() >= length && lstrcmpiA(text.c_str() + text.size() - length, end) == 0;
}

// Changes that are Wine's own, whatever the program does.
bool ChangedByWine(const std::string &path)
{
    // The registry's store, which Wine's server writes when it pleases (at
    // its exit, and now and then). The spooler's entries and the profile's
    // device entry, which an installation is meant to write, live there;
    // the tests read them back through the spooler and the profile instead.
    if (ParentOf(path) == PrefixRoot() && EndsWithNoCase(path, ".reg")) return true;
    return false;
}

}  // namespace

std::string CopyOfSampleMedium(const char *tag)
{
    std::string folder = MakeTempFolder(tag);
    std::string medium = SampleMediumFolder();
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((medium + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return folder;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        CopyFileA((medium + "\\" + found.cFileName).c_str(),
                  (folder + "\\" + found.cFileName).c_str(), FALSE);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return folder;
}

bool PlantMarker(const char *name, const std::string &folder)
{
    return CopyFileA((MarkerFolder() + "\\" + name).c_str(), (folder + "\\" + name).c_str(),
                     FALSE) != 0;
}

bool MarkerLoaded(const char *name, const std::string &folder)
{
    return FileExists(folder + "\\" + name + ".loaded");
}

// Wine 8 drops WINEDLLOVERRIDES from the environment a program hands to
// CreateProcess (it takes the variable from the Unix environment of each
// process), so the order is set in the registry for that program alone.
void PreferNativeMarkers(const char *exeName)
{
    std::string keyName = std::string("Software\\Wine\\AppDefaults\\") + exeName + "\\DllOverrides";
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyName.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                        &key, NULL) != ERROR_SUCCESS)
        return;
    const char order[] = "native,builtin";
    for (const char *name : kMarkerNames) {
        std::string value = EndsWithNoCase(name, ".dll") ? std::string(name, lstrlenA(name) - 4) : name;
        RegSetValueExA(key, value.c_str(), 0, REG_SZ, (const BYTE *)order, sizeof(order));
    }
    RegCloseKey(key);
}

WizardOutcome WorkWizardToItsEnd(Wizard *wizard, DWORD timeoutMs)
{
    WizardOutcome outcome = {false, STILL_ACTIVE, {}};
    DWORD start = GetTickCount();
    while (WaitForSingleObject(wizard->process.hProcess, 50) == WAIT_TIMEOUT &&
           GetTickCount() - start < timeoutMs) {
        for (HWND window : ProcessWindows(wizard->process.dwProcessId)) {
            if (WindowClass(window) != "#32770" || !IsWindowEnabled(window)) continue;
            bool finish = false;
            int button = AnswerFor(*wizard, window, &finish);
            if (!button) continue;
            if (finish) outcome.finishShown = true;
            if (!IsWizardWindow(*wizard, window)) outcome.messages.push_back(MessageDialogText(window));
            PressButton(window, button);
            // Taken once the window has gone or a message of its own holds it.
            DWORD pressed = GetTickCount();
            while (IsWindow(window) && IsWindowEnabled(window) && GetTickCount() - pressed < 10000)
                Sleep(20);
            break;
        }
    }
    outcome.exitCode = WaitForWizardExit(wizard, 5000);
    return outcome;
}

TreeListing ListPrefixTree()
{
    TreeListing listing;
    std::string root = PrefixRoot();
    if (!root.empty()) ListFolder(root, false, &listing);
    ListFolder("C:", true, &listing);
    return listing;
}

std::vector<std::string> ChangedPaths(const TreeListing &before, const TreeListing &after)
{
    std::vector<std::string> changed;
    for (const auto &entry : after) {
        auto earlier = before.find(entry.first);
        if (earlier == before.end() || earlier->second.directory != entry.second.directory ||
            earlier->second.size != entry.second.size ||
            earlier->second.lastWrite != entry.second.lastWrite)
            if (!ChangedByWine(entry.first)) changed.push_back(entry.first);
    }
    for (const auto &entry : before)
        if (!after.count(entry.first) && !ChangedByWine(entry.first))
            changed.push_back(entry.first);
    return changed;
}

std::string ParentOf(const std::string &path)
{
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}
