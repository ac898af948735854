// Answer benchmark, run by tools/bench-answer.sh (never by ctest): how long
// the copy page leaves a window message unanswered, measured from a second
// process that keeps sending it one (SendMessageTimeoutA with WM_NULL) while
// the page copies a set; once with nothing held, once with two of the set's
// installed files in the version folder held open without delete sharing,
// as the spooler holds the DLLs of printers in use; alternately, in rounds,
// and the ratio of the two.
//
//   answer_bench.exe MEDIUM_FOLDER [ROUNDS]
//   answer_bench.exe --probe          (the second process)
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "copy/copy_page.h"
#include "bench_medium.h"

namespace {

const char *const kHeldNames[] = {"UNIDRV.DLL", "UNIDRVUI.DLL"};

// The second process: finds the page, waits for its first answer (the page
// is found while it is still being made), then sends it messages back to
// back until it is gone; the longest wait for an answer, in ms, is its exit
// code.
int Probe()
{
    HWND page = NULL;
    for (int waited = 0; !page && waited < 20000; waited += 5) {
        page = FindWindowA("#32770", "Copying Files...");
        if (!page) Sleep(5);
    }
    DWORD_PTR answer = 0;
    if (!page || !SendMessageTimeoutA(page, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &answer)) return -1;
    double longest = 0;
    while (IsWindow(page)) {
        double start = NowMs();
        if (!SendMessageTimeoutA(page, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer)) break;
        longest = std::max(longest, NowMs() - start);
    }
    return (int)longest;
}

// Every file of the set installed in both folders, as on a reinstall.
void InstallOldSet(const std::vector<std::string> &names)
{
    for (const std::string &name : names)
        for (const std::string &folder : {std::string(""), std::string("3\\")}) {
            std::string path = g_install.driverDirectory + folder + name;
            HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
            DWORD wrote = 0;
            WriteFile(file, "old", 3, &wrote, NULL);
            CloseHandle(file);
        }
}

// The longest unanswered moment of one page run, in ms, or -1.
int RunProbed(HWND owner, const std::vector<std::string> &names, bool hold, INT_PTR *result)
{
    InstallOldSet(names);
    std::vector<HANDLE> held;
    for (const char *name : kHeldNames) {
        std::string path = g_install.driverDirectory + std::string("3\\") + name;
        if (hold)
            held.push_back(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                                       OPEN_EXISTING, 0, NULL));
    }
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof(self));
    char command[2 * MAX_PATH];
    snprintf(command, sizeof(command), "\"%s\" --probe", self);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION probe = {};
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &probe))
        return -1;
    g_install.copyIndex = 0;
    g_install.cancelFlag = 0;
    *result = RunCopyPage(owner);
    DWORD longest = (DWORD)-1;
    WaitForSingleObject(probe.hProcess, 30000);
    GetExitCodeProcess(probe.hProcess, &longest);
    CloseHandle(probe.hProcess);
    CloseHandle(probe.hThread);
    for (HANDLE file : held)
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return (int)longest;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && strcmp(argv[1], "--probe") == 0) return Probe();
    if (argc < 2) {
        fprintf(stderr, "usage: answer_bench MEDIUM_FOLDER [ROUNDS]\n");
        return 2;
    }
    int rounds = argc > 2 ? atoi(argv[2]) : 5;
    SetModuleInstance(GetModuleHandleA(NULL));
    std::vector<std::string> names = MediumFiles(argv[1]);
    if (names.empty() || !FillInstall(names) || !SetCurrentDirectoryA(argv[1])) {
        fprintf(stderr, "answer_bench: no usable medium in %s\n", argv[1]);
        return 1;
    }
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0,
                                 GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                 NULL, NULL, NULL, NULL);
    std::vector<double> nothingHeld, twoHeld, ratios;
    for (int round = 1; round <= rounds; ++round) {
        INT_PTR freeResult = 0, heldResult = 0;
        int freeMs = RunProbed(owner, names, false, &freeResult);
        int heldMs = RunProbed(owner, names, true, &heldResult);
        printf("round %d: longest unanswered %d ms with nothing held (result %d), %d ms with "
               "two version-folder files held (result %d)\n",
               round, freeMs, (int)freeResult, heldMs, (int)heldResult);
        if (freeMs < 0 || heldMs < 0 || freeResult != 1 || heldResult != 1) return 1;
        nothingHeld.push_back(freeMs);
        twoHeld.push_back(heldMs);
        ratios.push_back((double)heldMs / std::max(freeMs, 1));
    }
    DestroyWindow(owner);
    printf("files: %u; medians of %d rounds:\n", (unsigned)names.size(), rounds);
    printf("longest unanswered: nothing held %.0f ms, two held %.0f ms; ratio held/free %.2f\n",
           Median(nothingHeld), Median(twoHeld), Median(ratios));
    return 0;
}
