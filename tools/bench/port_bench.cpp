// Port page benchmark, run by tools/bench-ports.sh (never by ctest): in one
// run of setup.exe, the time from Next on the model page to the port page
// showing its filled list, with the prefix's own ports and again with 256
// network ports more, going Back between the measurements. Prints each
// time, the two medians and their difference.
//
//   port_bench.exe RUNS MEDIUM_FOLDER
#include <windows.h>
#include <winspool.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/remote_wizard.h"
#include "support/spooler_state.h"
#include "resource.h"
#include "support/test_files.h"
#include "support/remote_windows.h"

namespace {

const int kExtraPorts = 256;
// The quadratic list filler took about a minute for 264 ports.
const double kPageWaitMs = 300000;

double NowMs()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * (double)now.QuadPart / (double)frequency.QuadPart;
}

DWORD SpoolerPortCount()
{
    DWORD needed = 0, returned = 0;
    EnumPortsA(NULL, 1, NULL, 0, &needed, &returned);
    std::vector<BYTE> buffer(needed + 1);
    if (!EnumPortsA(NULL, 1, buffer.data(), needed, &needed, &returned)) return 0;
    return returned;
}

std::string ExtraPortName(int index)
{
    char name[32];
    snprintf(name, sizeof(name), "10.20.%d.%d", index / 200, index % 200 + 1);
    return name;
}

// Presses Next on the model page and waits, polling every millisecond, for
// the port page with rows rows; its window and the time taken, or NULL.
HWND TimeNextToPortList(const Wizard &wizard, HWND modelPage, LRESULT rows, double *ms)
{
    double start = NowMs();
    PressButton(modelPage, IDC_NEXT);
    do {
        HWND page = FindWizardWindow(wizard, WINDOW_PORT);
        if (page && SendDlgItemMessageA(page, IDC_PORT_LIST, LB_GETCOUNT, 0, 0) == rows) {
            *ms = NowMs() - start;
            return page;
        }
        if (WaitForSingleObject(wizard.process.hProcess, 0) == WAIT_OBJECT_0) return NULL;
        Sleep(1);
    } while (NowMs() - start < kPageWaitMs);
    return NULL;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Runs rounds visits of the port page from the model page, each ended by
// Back; the model page to go on from, or NULL on failure.
HWND Measure(const Wizard &wizard, HWND modelPage, int rounds, std::vector<double> *times)
{
    LRESULT rows = (LRESULT)SpoolerPortCount();
    printf("%ld ports:", (long)rows);
    for (int round = 0; round < rounds; ++round) {
        double ms = 0;
        HWND portPage = TimeNextToPortList(wizard, modelPage, rows, &ms);
        if (!portPage) {
            printf("\nport_bench: the port page with %ld rows did not appear\n", (long)rows);
            return NULL;
        }
        printf(" %.0f ms", ms);
        fflush(stdout);
        times->push_back(ms);
        modelPage = PressAndAwait(wizard, portPage, IDC_BACK, WINDOW_MODEL, 30000);
        if (!modelPage) {
            printf("\nport_bench: Back did not lead to the model page\n");
            return NULL;
        }
    }
    printf("\n");
    return modelPage;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        printf("usage: port_bench RUNS MEDIUM_FOLDER\n");
        return 2;
    }
    int rounds = atoi(argv[1]) > 0 ? atoi(argv[1]) : 1;
    std::string medium = WindowsPath(argv[2]);

    Wizard wizard = {};
    if (!StartWizard(&wizard, medium)) {
        printf("port_bench: cannot start %s\\setup.exe\n", medium.c_str());
        return 1;
    }
    HWND welcome = WaitForWizardWindow(wizard, WINDOW_WELCOME, 30000);
    HWND modelPage = welcome ? PressAndAwait(wizard, welcome, IDC_NEXT, WINDOW_MODEL, 30000) : NULL;
    std::vector<double> usual, more;
    if (modelPage) modelPage = Measure(wizard, modelPage, rounds, &usual);
    if (modelPage) {
        for (int i = 0; i < kExtraPorts; ++i) SetPortListed(ExtraPortName(i).c_str(), true);
        modelPage = Measure(wizard, modelPage, rounds, &more);
        for (int i = 0; i < kExtraPorts; ++i) SetPortListed(ExtraPortName(i).c_str(), false);
    }
    WaitForWizardExit(&wizard, 0);
    if (!modelPage) return 1;

    double base = Median(usual), extra = Median(more);
    printf("median, usual ports:       %8.0f ms\n", base);
    printf("median, %d ports more:    %8.0f ms\n", kExtraPorts, extra);
    printf("difference:                %8.0f ms (%.1f times the usual)\n", extra - base,
           base > 0 ? extra / base : 0.0);
    return 0;
}
