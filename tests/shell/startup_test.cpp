// setup.exe under each Windows version Wine can report: the supported ones
// get the hidden main window, the others the refusal, and every run ends
// with exit code 0.
#include <gtest/gtest.h>
#include "support/processes.h"
#include "support/screenshot.h"
#include "support/windows_driver.h"

namespace {

const char kMainClass[] = "VP_K20X_Driver_Setup";

struct VersionCase {
    const char *wineVersion;
    bool supported;
};

class StartupTest : public testing::TestWithParam<VersionCase> {
protected:
    void TearDown() override { SetProgramWindowsVersion("setup.exe", NULL); }
};

TEST_P(StartupTest, AcceptsOrRefusesThisSystem)
{
    const VersionCase &c = GetParam();
    SetProgramWindowsVersion("setup.exe", c.wineVersion);
    PROCESS_INFORMATION process;
    ASSERT_TRUE(StartProgram(SetupExePath(), SampleMediumFolder(), &process));

    if (c.supported) {
        HWND main = WaitForProcessWindow(process.dwProcessId, kMainClass, NULL, 15000, false);
        ASSERT_TRUE(main != NULL);
        EXPECT_EQ("Printer Driver Setup", WindowText(main));
        EXPECT_FALSE(IsWindowVisible(main));
        EXPECT_TRUE(FindProcessWindow(process.dwProcessId, NULL, "Install Error") == NULL);
        PostMessageA(main, WM_CLOSE, 2, 0);
        EXPECT_EQ(0u, DismissUntilExit(process.hProcess, process.dwProcessId, 30000));
    } else {
        HWND box = WaitForProcessWindow(process.dwProcessId, "#32770", "Install Error", 15000);
        ASSERT_TRUE(box != NULL);
        // MessageBox puts its text into the static of id 0xFFFF.
        EXPECT_EQ("This Driver is not supported on this Operating System.",
                  ControlText(box, 0xFFFF));
        EXPECT_TRUE(FindProcessWindow(process.dwProcessId, kMainClass, NULL, false) == NULL);
        EXPECT_TRUE(GetWindow(box, GW_OWNER) == NULL);
        SaveWindowScreenshot(box, (std::string("refusal_") + c.wineVersion).c_str());
        PressButton(box, IDOK);
    }
    EXPECT_EQ(0u, FinishProgram(&process, 15000));
}

INSTANTIATE_TEST_SUITE_P(Versions, StartupTest,
                         testing::Values(VersionCase{"win2k", true}, VersionCase{"winxp", true},
                                         VersionCase{"vista", true}, VersionCase{"win7", true},
                                         VersionCase{"win2003", false}, VersionCase{"win8", false},
                                         VersionCase{"win10", false}, VersionCase{"win98", false}),
                         [](const testing::TestParamInfo<VersionCase> &info) {
                             return std::string(info.param.wineVersion);
                         });

}  // namespace
