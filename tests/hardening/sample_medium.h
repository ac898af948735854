// The sample medium copied into a temporary folder of its own, for runs that
// add to it or change it.
#pragma once
#include <windows.h>
#include <string>

#include "support/processes.h"
#include "support/test_files.h"

inline std::string CopyOfSampleMedium(const char *tag)
{
    std::string folder = MakeTempFolder(tag), medium = SampleMediumFolder();
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((medium + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return folder;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            CopyFileA((medium + "\\" + found.cFileName).c_str(),
                      (folder + "\\" + found.cFileName).c_str(), FALSE);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return folder;
}
