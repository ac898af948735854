#include "copy/copy_harness.h"

#include "resource.h"
#include "setupinfo/install_selection.h"
#include "shell/platform.h"
#include "spooler/spooler.h"
#include "support/test_files.h"
#include "support/windows_driver.h"

std::string Fixture(const char *name)
{
    return ReadFileBytes(WindowsPath(COPY_FIXTURES) + "\\" + name);
}

void MakeMedium(const std::map<std::string, std::string> &files)
{
    std::string folder = MakeTempFolder("medium");
    for (const auto &file : files) WriteFileBytes(folder + "\\" + file.first, file.second);
    SetCurrentDirectoryA(folder.c_str());
}

void PrepareInstall(const std::vector<std::string> &names)
{
    std::string list;
    for (const std::string &name : names) list += name + '\0';
    list += '\0';
    CopyMemory(g_install.copyList, list.data(), list.size());
    g_install.fileCount = (LONG)names.size();
    GetDriverDirectory(g_install.driverDirectory);
    lstrcatA(g_install.driverDirectory, "\\");
    g_install.driverVersion = 3;
    g_install.copyIndex = 0;
    g_install.cancelFlag = 0;
}

std::string DriverPath(const std::string &name) { return g_install.driverDirectory + name; }
std::string VersionPath(const std::string &name) { return DriverPath("3\\" + name); }

HWND MakeOwnerWindow()
{
    return CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                           GetSystemMetrics(SM_CYSCREEN), NULL, NULL, NULL, NULL);
}

namespace {
INT_PTR CALLBACK QuietPageProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
}  // namespace

HWND MakeQuietCopyPage()
{
    return CreateDialogParamA(ModuleInstance(), "IDD_COPY", NULL, QuietPageProc, 0);
}

DialogAnswerer::DialogAnswerer(int questionAnswer, void (*note)(const std::string &))
{
    DWORD uiThread = GetCurrentThreadId();
    thread = std::thread([=] {
        while (!stop) {
            for (HWND window : ProcessWindows(GetCurrentProcessId())) {
                if (GetWindowThreadProcessId(window, NULL) != uiThread) continue;
                std::string caption = WindowText(window);
                if (caption != "Error" && caption != "Question") continue;
                std::string seenNote =
                    caption == "Error" ? "Error: " + ControlText(window, IDC_MSG_TEXT) : caption;
                {
                    std::lock_guard<std::mutex> hold(lock);
                    seen.push_back(seenNote);
                }
                if (note) note(seenNote);
                PressButton(window, caption == "Error" ? IDOK : questionAnswer);
                WaitForWindowGone(window, 5000);
            }
            Sleep(10);
        }
    });
}

DialogAnswerer::~DialogAnswerer()
{
    stop = true;
    thread.join();
}

std::vector<std::string> DialogAnswerer::Seen()
{
    std::lock_guard<std::mutex> hold(lock);
    return seen;
}
