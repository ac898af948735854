// The copy progress page, run modally as the wizard runs it, with Wine's real
// LZ32. The bar is seen through DrawTextA and the copies through CopyLZFile,
// both replaced at this program's imports by recorders that call the real
// functions; user input is posted to the page as a person's would arrive.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <mutex>

#include "copy/copy_harness.h"
#include "copy/copy_page.h"
#include "resource.h"
#include "setupinfo/install_selection.h"
#include "support/import_patch.h"
#include "support/screenshot.h"
#include "support/test_files.h"
#include "support/windows_driver.h"

namespace {

typedef std::vector<std::string> Events;
typedef int(WINAPI *DrawTextFunction)(HDC, LPCSTR, int, LPRECT, UINT);
typedef LONG(WINAPI *CopyLZFileFunction)(INT, INT);
DrawTextFunction g_realDrawText;
CopyLZFileFunction g_realCopyLZFile;

std::mutex g_logLock;
Events g_log;
std::vector<DWORD> g_logTimes;
std::string g_whitePass;
LONG g_lastBarIndex;
int g_copies;
std::function<void(int)> g_beforeCopy;           // given the 1-based copy number
std::function<LONG(int, LONG)> g_copyResult;     // may replace the real result
bool g_cancelAfterFull;                          // Cancel 300 ms after 100 %
bool g_answerWhenIdle;                           // answer only once the empty bar is drawn

void Note(const std::string &event)
{
    std::lock_guard<std::mutex> hold(g_logLock);
    g_log.push_back(event);
    g_logTimes.push_back(GetTickCount());
}

bool Noted(const std::string &event)
{
    std::lock_guard<std::mutex> hold(g_logLock);
    return std::find(g_log.begin(), g_log.end(), event) != g_log.end();
}

// A box answered before its loop first finds the queue empty never goes
// idle, so under load the answer waits for the paint that idling causes.
void NoteAndWaitForEmptyBar(const std::string &event)
{
    Note(event);
    if (!g_answerWhenIdle) return;
    for (int waited = 0; waited < 5000 && !Noted("bar 0 %"); waited += 10) Sleep(10);
}

HWND Page() { return FindWindowA("#32770", "Copying Files..."); }

void CALLBACK PressCancelNow(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(NULL, timer);
    PressButton(Page(), IDCANCEL);
}

// A bar is noted when a white pass is followed by a black one of the same
// text; repaints while the page's dialogs go idle only the first time.
int WINAPI RecordDrawText(HDC dc, LPCSTR text, int length, LPRECT rect, UINT format)
{
    if (GetTextColor(dc) == RGB(255, 255, 255)) {
        g_whitePass = text;
    } else if (g_whitePass == text && g_lastBarIndex != g_install.copyIndex) {
        g_lastBarIndex = g_install.copyIndex;
        Note(std::string("bar ") + text);
        if (g_cancelAfterFull && g_whitePass == "100 %") SetTimer(NULL, 0, 300, PressCancelNow);
    }
    return g_realDrawText(dc, text, length, rect, format);
}

LONG WINAPI RecordCopy(INT source, INT target)
{
    Note("copy " + ControlText(Page(), IDC_COPY_FILE));
    int number = ++g_copies;
    if (g_beforeCopy) g_beforeCopy(number);
    LONG result = g_realCopyLZFile(source, target);
    return g_copyResult ? g_copyResult(number, result) : result;
}

void PostKey(HWND window, WPARAM key)
{
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

class CopyPageTest : public testing::Test {
protected:
    void SetUp() override
    {
        g_realDrawText = (DrawTextFunction)drawText.original;
        g_realCopyLZFile = (CopyLZFileFunction)copy.original;
        ASSERT_TRUE(g_realDrawText && g_realCopyLZFile);
        owner = MakeOwnerWindow();
    }
    void TearDown() override
    {
        DestroyWindow(owner);
        g_beforeCopy = nullptr;
        g_copyResult = nullptr;
        g_cancelAfterFull = false;
        g_answerWhenIdle = false;
    }

    // Runs the page over these files; those named LOST... are not on the medium.
    INT_PTR RunPage(const Events &names, int answer = IDNO)
    {
        std::map<std::string, std::string> medium;
        for (const std::string &name : names)
            if (name.compare(0, 4, "LOST") != 0) medium[name] = "data of " + name;
        MakeMedium(medium);
        PrepareInstall(names);
        g_log.clear();
        g_logTimes.clear();
        g_lastBarIndex = -1;
        g_copies = 0;
        DialogAnswerer answerer(answer, NoteAndWaitForEmptyBar);
        start = GetTickCount();
        INT_PTR result = RunCopyPage(owner);
        Note("end");
        return result;
    }

    ImportReplacement drawText{"USER32.dll", "DrawTextA", (void *)RecordDrawText};
    ImportReplacement copy{"LZ32.dll", "CopyLZFile", (void *)RecordCopy};
    HWND owner = NULL;
    DWORD start = 0;
};

void ExpectBarSplitAt(int percent)
{
    HWND bar = GetDlgItem(Page(), IDC_COPY_BAR);
    RECT r;
    GetClientRect(bar, &r);
    POINT split = {percent * r.right / 100, r.bottom / 2}, origin = {0, 0};
    ClientToScreen(bar, &split);
    ClientToScreen(bar, &origin);
    EXPECT_EQ(RGB(0, 0, 128), ScreenPixel(origin.x, split.y));
    EXPECT_EQ(RGB(0, 0, 128), ScreenPixel(split.x - 2, split.y));
    EXPECT_EQ(RGB(255, 255, 255), ScreenPixel(split.x + 2, split.y));
    EXPECT_EQ(RGB(255, 255, 255), ScreenPixel(origin.x + r.right - 1, split.y));
}

TEST_F(CopyPageTest, ThreeFilesFillTheBarByThirdsThenEndAfterASecond)
{
    g_beforeCopy = [](int number) {
        if (number == 2) ExpectBarSplitAt(33);
        if (number == 3) SaveWindowScreenshot(Page(), "copy_page");
    };
    EXPECT_EQ(1, RunPage({"A.DLL", "B.DLL", "C.DLL"}));
    ASSERT_EQ((Events{"copy A.DLL", "bar 33 %", "copy B.DLL", "bar 67 %", "copy C.DLL",
                      "bar 100 %", "end"}),
              g_log);
    EXPECT_GE(g_logTimes[0] - start, 90u);
    EXPECT_LT(g_logTimes[0] - start, 700u);
    EXPECT_GE(g_logTimes[6] - g_logTimes[5], 950u);
    EXPECT_LT(g_logTimes[6] - g_logTimes[5], 1700u);
}

TEST_F(CopyPageTest, PercentagesRoundHalvesUp)
{
    EXPECT_EQ(1, RunPage({"E0", "E1", "E2", "E3", "E4", "E5", "E6", "E7"}));
    EXPECT_EQ("bar 13 %", g_log[1]);

    Events names;
    for (int i = 0; i < 200; ++i) names.push_back(std::to_string(1000 + i));
    EXPECT_EQ(1, RunPage(names));
    ASSERT_EQ(2u * 200 + 1, g_log.size());
    EXPECT_EQ("bar 100 %", g_log[2 * 199 - 1]);
    EXPECT_EQ("copy 1199", g_log[2 * 199]);
}

TEST_F(CopyPageTest, EmptyListDrawsNoBarAndEndsAfterBothWaits)
{
    EXPECT_EQ(1, RunPage({}));
    EXPECT_EQ(Events{"end"}, g_log);
    EXPECT_GE(g_logTimes[0] - start, 1050u);
    EXPECT_LT(g_logTimes[0] - start, 1900u);
}

TEST_F(CopyPageTest, FailedCopyShowsOnlyTheCopierMessage)
{
    EXPECT_EQ(2, RunPage({"A.DLL", "LOST.DLL", "C.DLL"}));
    EXPECT_EQ((Events{"copy A.DLL", "bar 33 %", "Error: File open error.", "end"}), g_log);
}

TEST_F(CopyPageTest, CancelDuringACopyIsAskedWhenThatFileIsDone)
{
    g_beforeCopy = [](int number) {
        if (number == 2) PressButton(Page(), IDCANCEL);
    };
    EXPECT_EQ(2, RunPage({"A", "B", "C", "D"}, IDYES));
    EXPECT_EQ((Events{"copy A", "bar 25 %", "copy B", "bar 50 %", "Question", "end"}), g_log);

    EXPECT_EQ(1, RunPage({"A", "B", "C", "D"}, IDNO));
    EXPECT_EQ((Events{"copy A", "bar 25 %", "copy B", "bar 50 %", "Question", "copy C",
                      "bar 75 %", "copy D", "bar 100 %", "end"}),
              g_log);
}

TEST_F(CopyPageTest, CancelInTheLastSecondDecidesTheOutcome)
{
    for (int answer : {IDYES, IDNO}) {
        g_cancelAfterFull = true;
        EXPECT_EQ(answer == IDYES ? 2 : 1, RunPage({"A", "B"}, answer));
        EXPECT_EQ((Events{"copy A", "bar 50 %", "copy B", "bar 100 %", "Question", "end"}),
                  g_log);
    }
}

HHOOK g_initHook;

LRESULT CALLBACK PressEnterOnOpening(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT *call = (const CWPRETSTRUCT *)lParam;
    if (code == HC_ACTION && call->message == WM_INITDIALOG && GetDlgItem(call->hwnd, IDC_COPY_BAR))
        PostKey(GetDlgItem(call->hwnd, IDCANCEL), VK_RETURN);
    return CallNextHookEx(g_initHook, code, wParam, lParam);
}

// Before the first run Enter reaches the default Cancel button and asks;
// the question going idle paints an empty bar; No copies from the first file.
// During a run Enter and Esc reach the button as plain keys and do nothing.
TEST_F(CopyPageTest, EnterAsksBeforeTheFirstCopyButNotDuringARun)
{
    g_initHook = SetWindowsHookExA(WH_CALLWNDPROCRET, PressEnterOnOpening, NULL,
                                   GetCurrentThreadId());
    g_answerWhenIdle = true;
    INT_PTR result = RunPage({"A", "B"}, IDNO);
    UnhookWindowsHookEx(g_initHook);
    g_answerWhenIdle = false;
    EXPECT_EQ(1, result);
    auto zero = std::find(g_log.begin(), g_log.end(), "bar 0 %");
    ASSERT_TRUE(zero != g_log.end());
    g_log.erase(zero);
    EXPECT_EQ((Events{"Question", "copy A", "bar 50 %", "copy B", "bar 100 %", "end"}), g_log);

    g_beforeCopy = [](int number) {
        PostKey(GetFocus(), VK_RETURN);
        PostKey(GetFocus(), VK_ESCAPE);
    };
    EXPECT_EQ(1, RunPage({"A", "B"}));
    EXPECT_EQ((Events{"copy A", "bar 50 %", "copy B", "bar 100 %", "end"}), g_log);
}

// Wine's LZ32 never reports a bad handle, so the recorder does.
TEST_F(CopyPageTest, RetryCopiesTheSameFileAgainUpToItsBound)
{
    g_copyResult = [](int number, LONG real) { return number == 2 ? LZERROR_BADINHANDLE : real; };
    EXPECT_EQ(1, RunPage({"A", "B"}));
    EXPECT_EQ((Events{"copy A", "bar 50 %", "copy B", "Error: Cannot read the source file",
                      "copy B", "bar 100 %", "end"}),
              g_log);

    g_copyResult = [](int number, LONG real) { return number >= 2 ? LZERROR_BADOUTHANDLE : real; };
    EXPECT_EQ(2, RunPage({"A", "B"}));
    Events expected = {"copy A", "bar 50 %"};
    for (int attempt = 0; attempt < 5; ++attempt) {
        expected.push_back("copy B");
        expected.push_back("Error: Cannot create the destination file.");
    }
    expected.push_back("end");
    EXPECT_EQ(expected, g_log);
}

}  // namespace
