// Shared by the copy tests: a medium and an install record to copy from, and
// the answers to the program's message dialogs.
#pragma once
#include <windows.h>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "copy/copier.h"
#include "resource.h"
#include "platform/install_selection.h"
#include "platform/platform.h"
#include "support/dialog_answerer.h"
#include "support/remote_windows.h"
#include "support/test_files.h"

// The files go into a new folder made the current directory, where the
// copier's search for bare names finds them.
inline void EnterMediumWith(const std::map<std::string, std::string> &files)
{
    std::string folder = MakeTempFolder("medium");
    for (const auto &file : files) WriteFileBytes(folder + "\\" + file.first, file.second);
    SetCurrentDirectoryA(folder.c_str());
}

// These names to be copied into the prefix's real driver directory, version
// 3, nothing copied or staged yet.
inline void SelectFilesToCopy(const std::vector<std::string> &names)
{
    std::string list;
    for (const std::string &name : names) list += name + '\0';
    CopyMemory(g_install.copyList, (list + '\0').data(), list.size() + 1);
    g_install.fileCount = (LONG)names.size();
    GetDriverDirectory(g_install.driverDirectory);
    lstrcatA(g_install.driverDirectory, "\\");
    g_install.driverVersion = 3;
    g_install.copyIndex = g_install.cancelFlag = 0;
    BeginDriverCopy();
}

inline std::string DriverPath(const std::string &name) { return g_install.driverDirectory + name; }
inline std::string VersionPath(const std::string &name) { return DriverPath("3\\" + name); }

// Both folders' files with their bytes, the version folder's as "3\NAME":
// an installed copy changed, or a temporary file left behind, shows here.
inline std::map<std::string, std::string> InstalledFiles()
{
    std::map<std::string, std::string> files = FolderFiles(DriverPath("."));
    for (const auto &file : FolderFiles(VersionPath("."))) files["3\\" + file.first] = file.second;
    return files;
}

// While it lives, answers every "Error" of this thread with OK and every
// "Question" with the given answer, first giving note "Error: <text>" or
// "Question".
inline ChooseAnswer ErrorsOkQuestions(int answer, std::function<void(const std::string &)> note)
{
    return [=](HWND dialog) {
        std::string caption = WindowText(dialog);
        bool error = caption == "Error";
        if (!error && caption != "Question") return 0;
        note(error ? "Error: " + ControlText(dialog, IDC_MSG_TEXT) : caption);
        return error ? IDOK : answer;
    };
}

// Wine's MoveFileExA replaces a read-only file, which Windows refuses, and
// takes no hold that begins after the copier has looked. Put in at the
// import, this one refuses both as Windows would: a read-only target, and
// every replace of refusedTarget.
inline decltype(&MoveFileExA) g_realMoveFileEx;
inline std::string g_refusedTarget;
inline BOOL WINAPI MoveFileLikeWindows(LPCSTR from, LPCSTR to, DWORD flags)
{
    DWORD attributes = GetFileAttributesA(to);
    if ((attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) ||
        g_refusedTarget == to) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return g_realMoveFileEx(from, to, flags);
}
