#include "support/processes.h"
#include "support/test_files.h"

std::string SetupExePath() { return WindowsPath(SETUP_EXE_PATH); }
std::string SampleMediumFolder() { return WindowsPath(SETUP_MEDIUM_PATH); }

bool StartProgram(const std::string &exe, const std::string &workdir, PROCESS_INFORMATION *process)
{
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    std::string commandLine = "\"" + exe + "\"";
    ZeroMemory(process, sizeof(*process));
    return CreateProcessA(exe.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL,
                          workdir.empty() ? NULL : workdir.c_str(), &startup, process) != 0;
}

DWORD FinishProgram(PROCESS_INFORMATION *process, DWORD timeoutMs)
{
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process->hProcess, timeoutMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process->hProcess, &code);
    } else {
        TerminateProcess(process->hProcess, 1);
        WaitForSingleObject(process->hProcess, 5000);
    }
    CloseHandle(process->hThread);
    CloseHandle(process->hProcess);
    ZeroMemory(process, sizeof(*process));
    return code;
}

void SetProgramWindowsVersion(const char *exeName, const char *version)
{
    std::string keyName = std::string("Software\\Wine\\AppDefaults\\") + exeName;
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyName.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                        &key, NULL) != ERROR_SUCCESS)
        return;
    if (version)
        RegSetValueExA(key, "Version", 0, REG_SZ, (const BYTE *)version, lstrlenA(version) + 1);
    else
        RegDeleteValueA(key, "Version");
    RegCloseKey(key);
}
