// Shared by the copy tests: a medium and an install record to copy from, and
// a second thread that answers the program's message dialogs as a person would.
#pragma once
#include <windows.h>
#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "resource.h"
#include "setupinfo/install_selection.h"
#include "spooler/spooler.h"
#include "support/test_files.h"
#include "support/windows_driver.h"

// The files go into a new folder made the current directory, where the
// copier's search for bare names finds them.
inline void MakeMedium(const std::map<std::string, std::string> &files)
{
    std::string folder = MakeTempFolder("medium");
    for (const auto &file : files) WriteFileBytes(folder + "\\" + file.first, file.second);
    SetCurrentDirectoryA(folder.c_str());
}

// These names into the prefix's real driver directory, version 3, nothing copied yet.
inline void PrepareInstall(const std::vector<std::string> &names)
{
    std::string list;
    for (const std::string &name : names) list += name + '\0';
    CopyMemory(g_install.copyList, (list + '\0').data(), list.size() + 1);
    g_install.fileCount = (LONG)names.size();
    GetDriverDirectory(g_install.driverDirectory);
    lstrcatA(g_install.driverDirectory, "\\");
    g_install.driverVersion = 3;
    g_install.copyIndex = g_install.cancelFlag = 0;
}

// While it lives, answers every "Error" of this thread with OK and every
// "Question" with the given answer, first giving note "Error: <text>" or
// "Question".
struct DialogAnswerer {
    DialogAnswerer(int answer, std::function<void(const std::string &)> note)
    {
        DWORD uiThread = GetCurrentThreadId();
        thread = std::thread([=] {
            for (; !stop; Sleep(10)) {
                for (HWND window : ProcessWindows(GetCurrentProcessId())) {
                    std::string caption = WindowText(window);
                    bool error = caption == "Error";
                    if (GetWindowThreadProcessId(window, NULL) != uiThread ||
                        (!error && caption != "Question"))
                        continue;
                    note(error ? "Error: " + ControlText(window, IDC_MSG_TEXT) : caption);
                    PressButton(window, error ? IDOK : answer);
                    WaitForWindowGone(window, 5000);
                }
            }
        });
    }
    ~DialogAnswerer()
    {
        stop = true;
        thread.join();
    }
    std::atomic<bool> stop{false};
    std::thread thread;
};
