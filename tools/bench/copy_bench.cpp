// Copy benchmark, run by tools/bench-copy.sh (never by ctest): the copy page
// over every file of a medium folder against a bare loop that does the same
// durable work (each file expanded into a temporary file, copied into one in
// the version folder, both flushed, then all renamed into place), alternately
// in the same process, and the ratio of the two; and what the flushes cost,
// as the bare loop with and without them.
//
//   copy_bench.exe MEDIUM_FOLDER [ROUNDS]
#include <windows.h>
#include <lzexpand.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "copy/copy_page.h"
#include "bench_medium.h"

namespace {

// The page's own waits: the start timer and the second at 100 %.
const double kPageWaitsMs = 100 + 1000;

// Both timed runs start with none of the files in the driver directory, as
// on a first installation; the deletions are not timed.
void ClearCopies(const std::vector<std::string> &names)
{
    for (const std::string &name : names) {
        DeleteFileA((g_install.driverDirectory + name).c_str());
        DeleteFileA((g_install.driverDirectory + std::string("3\\") + name).c_str());
    }
}

std::string TemporaryIn(const std::string &folder)
{
    char path[MAX_PATH] = "";
    GetTempFileNameA(folder.c_str(), "VPK", 0, path);
    return path;
}

void CopyBytes(const std::string &from, const std::string &to, bool flush)
{
    static BYTE chunk[64 * 1024];
    HANDLE in = CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    HANDLE out = CreateFileA(to.c_str(), GENERIC_WRITE, 0, NULL, TRUNCATE_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    DWORD got = 0, wrote = 0;
    while (ReadFile(in, chunk, sizeof(chunk), &got, NULL) && got) WriteFile(out, chunk, got, &wrote, NULL);
    if (flush) FlushFileBuffers(out);
    CloseHandle(in);
    CloseHandle(out);
}

double BareLoopMs(const std::vector<std::string> &names, bool flush)
{
    ClearCopies(names);
    const std::string directory = g_install.driverDirectory, version = directory + "3\\";
    std::vector<std::pair<std::string, std::string>> staged;
    double start = NowMs();
    LZStart();
    for (const std::string &name : names) {
        staged.push_back({TemporaryIn(directory), TemporaryIn(version)});
        OFSTRUCT sourceInfo, targetInfo;
        INT source = LZOpenFileA((LPSTR)name.c_str(), &sourceInfo, OF_READ | OF_PROMPT | OF_CANCEL);
        INT target = LZOpenFileA((LPSTR)staged.back().first.c_str(), &targetInfo, OF_CREATE);
        CopyLZFile(source, target);
        if (flush) FlushFileBuffers((HANDLE)(INT_PTR)target);
        LZClose(source);
        LZClose(target);
        CopyBytes(staged.back().first, staged.back().second, flush);
    }
    LZDone();
    for (size_t i = 0; i < names.size(); ++i)
        MoveFileExA(staged[i].first.c_str(), (directory + names[i]).c_str(), MOVEFILE_REPLACE_EXISTING);
    for (size_t i = 0; i < names.size(); ++i)
        MoveFileExA(staged[i].second.c_str(), (version + names[i]).c_str(), MOVEFILE_REPLACE_EXISTING);
    return NowMs() - start;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double PageMs(HWND owner, const std::vector<std::string> &names, LONG fileCount,
              INT_PTR *result)
{
    ClearCopies(names);
    g_install.fileCount = fileCount;
    g_install.copyIndex = 0;
    g_install.cancelFlag = 0;
    double start = NowMs();
    *result = RunCopyPage(owner);
    return NowMs() - start;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: copy_bench MEDIUM_FOLDER [ROUNDS]\n");
        return 2;
    }
    int rounds = argc > 2 ? atoi(argv[2]) : 5;
    SetModuleInstance(GetModuleHandleA(NULL));
    std::vector<std::string> names = MediumFiles(argv[1]);
    if (names.empty() || !FillInstall(names) || !SetCurrentDirectoryA(argv[1])) {
        fprintf(stderr, "copy_bench: no usable medium in %s\n", argv[1]);
        return 1;
    }
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0,
                                 GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                 NULL, NULL, NULL, NULL);
    // Each round times the loop before and after the page (their mean stands
    // for the loop), the page over an empty list, which shows what its waits
    // cost as they run (timer lateness included), and the loop without its
    // flushes. The machine is shared, so the medians are what is reported.
    std::vector<double> loops, pages, empties, unflushed, ratios, workRatios, flushRatios;
    for (int round = 1; round <= rounds; ++round) {
        double loopBefore = BareLoopMs(names, true);
        INT_PTR result = 0, emptyResult = 0;
        double page = PageMs(owner, names, (LONG)names.size(), &result);
        double loop = (loopBefore + BareLoopMs(names, true)) / 2;
        double empty = PageMs(owner, names, 0, &emptyResult);
        double noFlush = BareLoopMs(names, false);
        printf("round %d: bare loop %.0f ms (%.0f ms without flushes), copy page %.0f ms "
               "(result %d), empty page %.0f ms\n",
               round, loop, noFlush, page, (int)result, empty);
        if (result != 1 || emptyResult != 1) return 1;
        loops.push_back(loop);
        pages.push_back(page);
        empties.push_back(empty);
        unflushed.push_back(noFlush);
        ratios.push_back(page / loop);
        workRatios.push_back((page - empty) / loop);
        flushRatios.push_back(loop / noFlush);
    }
    DestroyWindow(owner);
    printf("files: %u; medians of %d rounds:\n", (unsigned)names.size(), rounds);
    printf("bare loop %.0f ms; copy page %.0f ms; empty page %.0f ms (nominal waits %.0f ms)\n",
           Median(loops), Median(pages), Median(empties), kPageWaitsMs);
    printf("ratio page/loop %.3f\n", Median(ratios));
    printf("ratio (page - empty page)/loop %.3f: overhead beyond the loop and the waits %+.1f %%\n",
           Median(workRatios), 100.0 * (Median(workRatios) - 1.0));
    printf("flushes: bare loop %.0f ms with them, %.0f ms without; ratio %.3f (%+.0f ms)\n",
           Median(loops), Median(unflushed), Median(flushRatios),
           Median(loops) - Median(unflushed));
    return 0;
}
