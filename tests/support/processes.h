// Starting the program under test as a separate process, and its Windows
// version as Wine reports it to that program alone.
#pragma once
#include <windows.h>
#include <string>

// setup.exe and the sample medium as built, in Windows paths.
std::string SetupExePath();
std::string SampleMediumFolder();

// Starts exe with workdir as its current directory; false when it cannot start.
bool StartProgram(const std::string &exe, const std::string &workdir, PROCESS_INFORMATION *process);

// Waits for the process to end; its exit code, or STILL_ACTIVE after the
// time-out (the process is then killed). Closes both handles.
DWORD FinishProgram(PROCESS_INFORMATION *process, DWORD timeoutMs);

// Makes Wine report this version ("win2k", "winxp", "win7", ...) to programs
// of that file name; NULL removes the setting.
void SetProgramWindowsVersion(const char *exeName, const char *version);
