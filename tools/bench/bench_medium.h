// What the copy benchmarks share: a millisecond clock, the files of a
// medium folder, and the installation record filled to copy them all into
// the driver directory and its version folder 3.
#pragma once
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/install_selection.h"
#include "platform/platform.h"

inline double NowMs()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * (double)now.QuadPart / (double)frequency.QuadPart;
}

inline std::vector<std::string> MediumFiles(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

inline bool FillInstall(const std::vector<std::string> &names)
{
    std::string list;
    for (const std::string &name : names) list += name + '\0';
    list += '\0';
    if (list.size() > sizeof(g_install.copyList)) return false;
    CopyMemory(g_install.copyList, list.data(), list.size());
    g_install.fileCount = (LONG)names.size();
    if (!GetDriverDirectory(g_install.driverDirectory)) return false;
    lstrcatA(g_install.driverDirectory, "\\");
    g_install.driverVersion = 3;
    return true;
}
