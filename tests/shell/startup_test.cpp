// setup.exe under each Windows version Wine can report: the supported ones
// get the hidden main window, the others the refusal before any window of
// the program exists; every run ends with exit code 0.
#include <gtest/gtest.h>
#include "support/dialog_answerer.h"
#include "support/processes.h"
#include "support/screenshot.h"
#include "support/remote_windows.h"

namespace {

const char kMainClass[] = "VP_K20X_Driver_Setup";

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
        PostMessageA(main, WM_CLOSE, 2, 0);
        EXPECT_EQ(0u, AnswerUntilExit(process.hProcess, process.dwProcessId, 30000));
    } else {
        HWND box = WaitForProcessWindow(process.dwProcessId, "#32770", "Install Error", 15000);
        ASSERT_TRUE(box != NULL);
        // MessageBox puts its text into the static of id 0xFFFF.
        EXPECT_EQ("This Driver is not supported on this Operating System.", ControlText(box, 0xFFFF));
        EXPECT_TRUE(FindProcessWindow(process.dwProcessId, kMainClass, NULL, false) == NULL);
        SaveWindowScreenshot(box, (std::string("refusal_") + version).c_str());
        PressButton(box, IDOK);
    }
    EXPECT_EQ(0u, FinishProgram(&process, 15000));
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
