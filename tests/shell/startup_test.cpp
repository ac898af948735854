// setup.exe under each Windows version Wine can report: the supported ones
// get the hidden main window, and a second copy beside it ends at once (or,
// finding no window of the first, says that setup runs); the
// others the refusal before any window of the program exists; every run
// ends with exit code 0.
#include <gtest/gtest.h>
#include "support/dialog_answerer.h"
#include "support/processes.h"
#include "support/screenshot.h"
#include "support/remote_windows.h"

namespace {

const char kMainClass[] = "VP_K20X_Driver_Setup";

// The refusal: its box alone, no window of the program, exit code 0.
void ExpectRefusal(PROCESS_INFORMATION *process, const std::string &screenshot)
{
    std::string text;
    HWND mainWindow = NULL;
    AnsweredDialog box = AnswerNextDialog(process->dwProcessId, "Install Error", IDOK, 15000, [&](HWND dialog) {
        // MessageBox puts its text into the static of id 0xFFFF.
        text = ControlText(dialog, 0xFFFF);
        mainWindow = FindProcessWindow(process->dwProcessId, kMainClass, NULL, false);
        SaveWindowScreenshot(dialog, screenshot.c_str());
    });
    ASSERT_TRUE(box.window != NULL);
    EXPECT_EQ("This Driver is not supported on this Operating System.", text);
    EXPECT_TRUE(mainWindow == NULL);
    EXPECT_TRUE(box.owner == NULL);
    EXPECT_EQ(0u, FinishProgram(process, 15000));
}

// Each case sets the version it runs under; the prefix is this entry's own.
class StartupTest : public testing::TestWithParam<std::pair<const char *, bool>> {};

TEST_P(StartupTest, AcceptsOrRefusesThisSystem)
{
    const char *version = GetParam().first;
    SetProgramWindowsVersion("setup.exe", version);
    PROCESS_INFORMATION process;
    ASSERT_TRUE(StartProgram(SetupExePath(), SampleMediumFolder(), &process));
    if (GetParam().second) {
        HWND main = WaitForProcessWindow(process.dwProcessId, kMainClass, NULL, 15000, false);
        ASSERT_TRUE(main != NULL);
        EXPECT_EQ("Printer Driver Setup", WindowText(main));
        EXPECT_FALSE(IsWindowVisible(main));
        EXPECT_TRUE(FindProcessWindow(process.dwProcessId, NULL, "Install Error") == NULL);
        // A second copy leaves the driver folders to the first: it ends at once.
        PROCESS_INFORMATION second;
        ASSERT_TRUE(StartProgram(SetupExePath(), SampleMediumFolder(), &second));
        EXPECT_EQ(0u, FinishProgram(&second, 15000));
        EXPECT_TRUE(IsWindow(main));
        PostMessageA(main, WM_CLOSE, 2, 0);
        EXPECT_EQ(0u, AnswerUntilExit(process.hProcess, process.dwProcessId, 30000));
        EXPECT_EQ(0u, FinishProgram(&process, 15000));
    } else {
        ExpectRefusal(&process, std::string("refusal_") + version);
    }
}

// A second copy that finds the first's claim but no window of it waits a
// few seconds for one, as the first makes it only after its claim; when
// none comes (the first runs in another session), it says so and ends.
TEST(SecondCopy, WaitsForTheFirstWindowElseSaysSetupIsRunning)
{
    HANDLE claim = CreateMutexA(NULL, FALSE, "Global\\VP_K20X_Driver_Setup");
    WNDCLASSA mainClass = {};
    mainClass.lpfnWndProc = DefWindowProcA;
    mainClass.lpszClassName = kMainClass;
    ASSERT_TRUE(claim && RegisterClassA(&mainClass));
    for (bool windowComes : {true, false}) {
        PROCESS_INFORMATION second;
        ASSERT_TRUE(StartProgram(SetupExePath(), SampleMediumFolder(), &second));
        if (windowComes) {
            Sleep(1500);
            EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(second.hProcess, 0)) << "did not wait";
            HWND first = CreateWindowExA(0, kMainClass, "first", WS_POPUP, 0, 0, 10, 10, NULL,
                                         NULL, NULL, NULL);
            EXPECT_EQ(0u, FinishProgram(&second, 15000));
            DestroyWindow(first);
            continue;
        }
        AnsweredDialog box = AnswerNextDialog(second.dwProcessId, "Printer Driver Setup", IDOK,
                                              15000);
        EXPECT_EQ("Vantrel Printer driver installation is already running.", box.text);
        EXPECT_EQ(0u, FinishProgram(&second, 15000));
    }
    CloseHandle(claim);
}

// A 32-bit program in a 64-bit prefix runs under WOW64 as on 64-bit
// Windows: refused there, on a version that is otherwise supported. Its own
// ctest entry gives it the 64-bit prefix.
TEST(Wow64, RefusesA32BitProgramOn64BitWindows)
{
    // Imported, not looked up: Wine always has it.
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64) && wow64)
        << "not under WOW64: this test needs a 64-bit prefix (SETUP_WINE_ARCH=win64)";
    SetProgramWindowsVersion("setup.exe", "win7");
    PROCESS_INFORMATION process;
    ASSERT_TRUE(StartProgram(SetupExePath(), SampleMediumFolder(), &process));
    ExpectRefusal(&process, "refusal_wow64");
}

INSTANTIATE_TEST_SUITE_P(Versions, StartupTest,
                         testing::Values(std::make_pair("win2k", true), std::make_pair("winxp", true),
                                         std::make_pair("vista", true), std::make_pair("win7", true),
                                         std::make_pair("win2003", false), std::make_pair("win8", false),
                                         std::make_pair("win10", false), std::make_pair("win98", false)),
                         [](const testing::TestParamInfo<std::pair<const char *, bool>> &info) {
                             return std::string(info.param.first);
                         });

}  // namespace
