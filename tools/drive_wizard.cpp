// drive_wizard: runs setup.exe through one whole installation with the
// choices a person would leave as they are, saves a screenshot of every
// window of the wizard, and tells what was installed and how long it took.
//
//   drive_wizard [--no-screenshots] [MEDIUM_FOLDER]
//
// Screenshots go to SETUP_TEST_ARTIFACTS (a Unix path). The exit code is 0
// when the installation went through to the finish page and setup.exe ended
// with 0.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "resource.h"
#include "support/processes.h"
#include "support/remote_windows.h"
#include "support/remote_wizard.h"
#include "support/screenshot.h"
#include "support/spooler_state.h"
#include "support/test_files.h"

namespace {

const DWORD kWaitMs = 30000;

// The pauses of an unattended installation: the reading status (100 ms and
// 1 s), the copy page's start and end (100 ms, 1 s) and the writing stage
// (100 ms, 2 s, 2 s).
const DWORD kFixedWaitsMs = 6300;

struct Step {
    WizardWindow window;
    const char *shot;
    int button;  // pressed once the window is seen; 0: the window goes by itself
};

const Step kSteps[] = {
    {WINDOW_READING, "1-reading-status", 0},
    {WINDOW_WELCOME, "2-welcome", IDC_NEXT},
    {WINDOW_MODEL, "3-model", IDC_NEXT},
    {WINDOW_PORT, "4-port", IDC_NEXT},
    {WINDOW_COPY, "5-copy", 0},
    {WINDOW_WRITING, "6-writing-status", 0},
    {WINDOW_FINISH, "7-finish", IDOK},
};

const char *StepName(WizardWindow window)
{
    static const char *names[] = {"reading status", "welcome page", "model page", "port page",
                                  "copy page", "writing status", "finish page"};
    return names[window];
}

void PrintInstallation()
{
    for (const std::string &driver : InstalledDriverNames()) printf("Driver:          %s\n", driver.c_str());
    for (const InstalledPrinter &printer : InstalledPrinters()) {
        printf("Printer:         %s (driver %s)\n", printer.name.c_str(), printer.driver.c_str());
        printf("Port:            %s\n", printer.port.c_str());
    }
    std::string device = DefaultPrinterEntry();
    printf("Default printer: %s\n", device.empty() ? "(none)" : device.substr(0, device.find(',')).c_str());
    printf("Profile entry:   windows/device = %s\n", device.c_str());
}

}  // namespace

int main(int argc, char **argv)
{
    bool screenshots = true;
    std::string medium = SampleMediumFolder();
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--no-screenshots") == 0)
            screenshots = false;
        else
            medium = WindowsPath(argv[i]);
    }

    Wizard wizard = {};
    if (!StartWizard(&wizard, medium)) {
        printf("drive_wizard: cannot start %s\\setup.exe\n", medium.c_str());
        return 1;
    }
    HWND main = WaitForProcessWindow(wizard.process.dwProcessId, "VP_K20X_Driver_Setup", NULL,
                                     kWaitMs, false);
    DWORD mainWindowMs = GetTickCount() - wizard.startTick;
    if (!main) {
        printf("drive_wizard: the main window did not appear\n");
        WaitForWizardExit(&wizard, 0);
        return 1;
    }
    DWORD firstWindowMs = 0, finishMs = 0;
    for (const Step &step : kSteps) {
        HWND window = WaitForWizardWindow(wizard, step.window, kWaitMs);
        if (!window) {
            printf("drive_wizard: the %s did not appear\n", StepName(step.window));
            WaitForWizardExit(&wizard, 0);
            return 1;
        }
        DWORD seenMs = GetTickCount() - wizard.startTick;
        printf("%-16s %lu ms\n", (std::string(StepName(step.window)) + ":").c_str(), seenMs);
        if (step.window == WINDOW_READING) firstWindowMs = seenMs;
        if (step.window == WINDOW_FINISH) finishMs = seenMs;
        if (screenshots) {
            std::string path = SaveWindowScreenshot(window, step.shot);
            printf("Screenshot:      %s\n", path.c_str());
        }
        if (step.button) PressButton(window, step.button);
        WaitForWindowGone(window, kWaitMs);
    }
    DWORD exitCode = WaitForWizardExit(&wizard, kWaitMs);

    printf("\n");
    PrintInstallation();
    printf("\nMain window after %lu ms (the process start); first visible window %lu ms later.\n",
           mainWindowMs, firstWindowMs - mainWindowMs);
    printf("Finish page after %lu ms: the process start, the fixed waits of %lu ms and %ld ms "
           "more%s.\n", finishMs, kFixedWaitsMs,
           (long)finishMs - (long)mainWindowMs - (long)kFixedWaitsMs,
           screenshots ? ", the screenshots included" : "");
    printf("setup.exe ended with exit code %lu.\n", exitCode);
    return exitCode == 0 ? 0 : 1;
}
