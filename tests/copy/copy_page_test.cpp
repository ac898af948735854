// The copy page, run modally with Wine's real LZ32; the bar seen through
// DrawTextA and the copies through CopyLZFile, both recorded at this
// program's imports; input posted as a person's would arrive.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <set>

#include "copy/copy_harness.h"
#include "copy/copy_page.h"
#include <lzexpand.h>
#include "support/import_patch.h"
#include "support/screenshot.h"

namespace {

typedef std::vector<std::string> Events;
decltype(&DrawTextA) g_realDrawText;
decltype(&CopyLZFile) g_realCopyLZFile;

std::mutex g_logLock;
Events g_log;
std::vector<DWORD> g_times;
DWORD g_start;
std::string g_whitePass;
std::atomic<LONG> g_lastBarIndex;  // copyIndex of the last bar noted
int g_copies;
typedef std::function<void(int number, LONG &result)> CopyHook;  // after each real copy
CopyHook g_onCopy;
bool g_answerWhenIdle;  // answer questions only once the empty bar is drawn
DWORD g_answerDelayMs;  // the user's time to answer a question
bool g_pageShownAtAnswer;

HWND Page() { return FindWindowA("#32770", "Copying Files..."); }

void Note(const std::string &event)
{
    std::lock_guard<std::mutex> hold(g_logLock);
    g_log.push_back(event);
    g_times.push_back(GetTickCount());
}

// A box answered before its loop first finds the queue empty never goes
// idle, so under load the answer waits for the paint that idling causes.
void NoteAndWaitForEmptyBar(const std::string &event)
{
    Note(event);
    for (int waited = 0; g_answerWhenIdle && g_lastBarIndex != 0 && waited < 5000; waited += 10)
        Sleep(10);
    Sleep(g_answerDelayMs);
    g_pageShownAtAnswer = IsWindowVisible(Page());
}

// What a run left in both folders: "new" when every file holds the
// medium's data, "old" when every one is as it was installed before, else
// "mixed"; and the temporary files left, if any.
std::string FilesLeft(const Events &names)
{
    auto files = InstalledFiles();
    int temporaries = TakeStagedFiles(&files);
    std::set<std::string> states;
    for (const std::string &name : names)
        for (const std::string &path : {name, "3\\" + name})
            states.insert(files[path] == "data of " + name        ? "new"
                          : files[path] == "installed " + name ? "old"
                                                               : "changed");
    std::string left = states.size() == 1 ? *states.begin() : "mixed";
    return temporaries ? left + " and " + std::to_string(temporaries) + " temporary" : left;
}

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
    }
    return g_realDrawText(dc, text, length, rect, format);
}

LONG WINAPI RecordCopy(INT source, INT target)
{
    Note("copy " + ControlText(Page(), IDC_COPY_FILE));
    LONG result = g_realCopyLZFile(source, target);
    if (g_onCopy) g_onCopy(++g_copies, result);
    return result;
}

void PostKey(HWND window, WPARAM key)
{
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

// Runs the page over these files, under an owner hidden and covering the
// desktop like the wizard's main window; files named LOST... are not on the medium.
INT_PTR RunPage(const Events &names, int answer = IDNO, CopyHook onCopy = nullptr)
{
    static ImportReplacement drawText("USER32.dll", "DrawTextA", DrawTextA, RecordDrawText);
    static ImportReplacement copy("LZ32.dll", "CopyLZFile", CopyLZFile, RecordCopy);
    static HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0,
                                        GetSystemMetrics(SM_CXSCREEN),
                                        GetSystemMetrics(SM_CYSCREEN), NULL, NULL, NULL, NULL);
    g_realDrawText = drawText.original;
    g_realCopyLZFile = copy.original;
    std::map<std::string, std::string> medium;
    for (const std::string &name : names)
        if (name.compare(0, 4, "LOST") != 0) medium[name] = "data of " + name;
    EnterMediumWith(medium);
    SelectFilesToCopy(names);
    for (const std::string &name : names)
        for (const std::string &path : {DriverPath(name), VersionPath(name)})
            WriteFileBytes(path, "installed " + name);
    g_log.clear();
    g_times.clear();
    g_lastBarIndex = -1;
    g_copies = 0;
    g_onCopy = onCopy;
    DialogAnswerer answerer(GetCurrentProcessId(), GetCurrentThreadId(),
                            ErrorsOkQuestions(answer, NoteAndWaitForEmptyBar));
    g_start = GetTickCount();
    INT_PTR result = RunCopyPage(owner);
    Note("end");
    return result;
}


// Navy left of the split, white right of it, from edge to edge.
void ExpectBarSplitAt(int percent)
{
    HWND bar = GetDlgItem(Page(), IDC_COPY_BAR);
    RECT r;
    GetClientRect(bar, &r);
    MapWindowPoints(bar, NULL, (POINT *)&r, 2);
    LONG split = r.left + percent * (r.right - r.left) / 100, y = (r.top + r.bottom) / 2;
    for (int x : {r.left, split - 2}) EXPECT_EQ(RGB(0, 0, 128), ScreenPixel(x, y)) << x;
    for (int x : {split + 2, r.right - 1}) EXPECT_EQ(RGB(255, 255, 255), ScreenPixel(x, y)) << x;
}

// During a run Enter and Esc reach the focused Cancel button as plain keys
// and do nothing: no question comes between the eight files.
TEST(CopyPageTest, BarShowsRoundedSharesAndThePageWaitsBeforeAndAfter)
{
    EXPECT_EQ(1, RunPage({"A.DLL", "B.DLL", "C.DLL"}, IDNO, [](int number, LONG &) {
                  if (number == 2) ExpectBarSplitAt(33);
              }));
    ASSERT_EQ((Events{"copy A.DLL", "bar 33 %", "copy B.DLL", "bar 67 %", "copy C.DLL",
                      "bar 100 %", "end"}),
              g_log);
    EXPECT_GE(g_times[0] - g_start, 90u);
    EXPECT_GE(g_times[6] - g_times[5], 950u);
    EXPECT_EQ("new", FilesLeft({"A.DLL", "B.DLL", "C.DLL"}));

    EXPECT_EQ(1, RunPage({"E0", "E1", "E2", "E3", "E4", "E5", "E6", "E7"}, IDNO, [](int, LONG &) {
                  PostKey(GetFocus(), VK_RETURN);
                  PostKey(GetFocus(), VK_ESCAPE);
              }));
    EXPECT_EQ(17u, g_log.size());
    EXPECT_EQ("bar 13 %", g_log[1]);

    Events names;
    for (int i = 0; i < 200; ++i) names.push_back(std::to_string(1000 + i));
    EXPECT_EQ(1, RunPage(names));
    ASSERT_EQ(2u * 200 + 1, g_log.size());
    EXPECT_EQ("bar 100 %", g_log[2 * 199 - 1]);
    EXPECT_EQ("copy 1199", g_log[2 * 199]);

    // With nothing to copy the page still waits out both its delays.
    EXPECT_EQ(1, RunPage({}));
    EXPECT_EQ(Events{"end"}, g_log);
    EXPECT_GE(g_times[0] - g_start, 1050u);
}

// A confirmed cancel leaves every installed file as it was, also in the
// last second: the set goes in only when the page ends with success.
TEST(CopyPageTest, CancelIsTakenUpWhenTheCurrentFileIsDone)
{
    auto cancelDuringSecond = [](int number, LONG &) {
        if (number == 2) PressButton(Page(), IDCANCEL);
    };
    EXPECT_EQ(2, RunPage({"A", "B", "C", "D"}, IDYES, cancelDuringSecond));
    EXPECT_EQ((Events{"copy A", "bar 25 %", "copy B", "bar 50 %", "Question", "end"}), g_log);
    EXPECT_EQ("old", FilesLeft({"A", "B", "C", "D"}));
    EXPECT_EQ(1, RunPage({"A", "B", "C", "D"}, IDNO, cancelDuringSecond));
    EXPECT_EQ((Events{"copy A", "bar 25 %", "copy B", "bar 50 %", "Question", "copy C",
                      "bar 75 %", "copy D", "bar 100 %", "end"}),
              g_log);
    EXPECT_EQ("new", FilesLeft({"A", "B", "C", "D"}));

    // After the last copy: within the second at 100 %. Answered after that
    // second, the answer still decides, and the page waits for it.
    auto cancelSoonAfterLast = [](int number, LONG &) {
        if (number == 2) SetTimer(NULL, 0, 300, PressCancelNow);
    };
    for (DWORD delay : {0, 1500})
        for (int answer : {IDYES, IDNO}) {
            SCOPED_TRACE(delay);
            g_answerDelayMs = delay;
            EXPECT_EQ(answer == IDYES ? 2 : 1, RunPage({"A", "B"}, answer, cancelSoonAfterLast));
            EXPECT_EQ((Events{"copy A", "bar 50 %", "copy B", "bar 100 %", "Question", "end"}),
                      g_log);
            EXPECT_TRUE(g_pageShownAtAnswer);
            EXPECT_EQ(answer == IDYES ? "old" : "new", FilesLeft({"A", "B"}));
        }
    g_answerDelayMs = 0;
}

UINT_PTR WINAPI RefuseSetTimer(HWND, UINT_PTR, UINT, TIMERPROC) { return 0; }

decltype(&CreateHardLinkA) g_realLink;
bool g_noLinks;
BOOL WINAPI RefuseLink(LPCSTR link, LPCSTR existing, LPSECURITY_ATTRIBUTES security)
{
    if (!g_noLinks) return g_realLink(link, existing, security);
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
}

// The close box pressed at every replace: once the set goes in, no cancel
// is asked.
BOOL WINAPI CloseThenMove(LPCSTR from, LPCSTR to, DWORD flags)
{
    PostMessageA(Page(), WM_CLOSE, 0, 0);
    return MoveFileLikeWindows(from, to, flags);
}

// Wine never refuses a timer, so the refusal is put in at the import: the
// page then starts its copy and ends at once instead of never.
TEST(CopyPageTest, TimersThatCannotBeArmedRunTheirStepsAtOnce)
{
    ImportReplacement noTimers("USER32.dll", "SetTimer", SetTimer, RefuseSetTimer);
    ASSERT_TRUE(noTimers.original != NULL);
    EXPECT_EQ(1, RunPage({"A", "B"}));
    EXPECT_EQ((Events{"copy A", "bar 50 %", "copy B", "bar 100 %", "end"}), g_log);
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
TEST(CopyPageTest, EnterBeforeTheFirstCopyAsks)
{
    g_initHook = SetWindowsHookExA(WH_CALLWNDPROCRET, PressEnterOnOpening, NULL,
                                   GetCurrentThreadId());
    g_answerWhenIdle = true;
    EXPECT_EQ(1, RunPage({"A", "B"}, IDNO));
    UnhookWindowsHookEx(g_initHook);
    g_answerWhenIdle = false;
    // The empty bar may be noted before or after the question is found.
    auto zero = std::find(g_log.begin(), g_log.end(), "bar 0 %");
    ASSERT_TRUE(zero != g_log.end());
    g_log.erase(zero);
    EXPECT_EQ((Events{"Question", "copy A", "bar 50 %", "copy B", "bar 100 %", "end"}), g_log);
}

// Wherever a file fails, nothing installed changes and nothing staged is
// left, a commit refused halfway included. Wine's LZ32 never reports a bad
// handle, so the recorder does: four bad copies of B in a row are retried, a
// fifth ends the page.
TEST(CopyPageTest, FailedCopyEndsThePageAndRetriesAreBounded)
{
    for (size_t lost = 0; lost < 3; ++lost) {
        SCOPED_TRACE(lost);
        Events names = {"A.DLL", "B.DLL", "C.DLL"}, expected;
        names[lost] = "LOST.DLL";
        for (size_t before = 0; before < lost; ++before)
            expected.insert(expected.end(), {"copy " + names[before],
                                             before ? "bar 67 %" : "bar 33 %"});
        expected.insert(expected.end(), {"Error: File open error.", "end"});
        EXPECT_EQ(2, RunPage(names));
        // The message going idle before any file is staged draws the empty bar.
        g_log.erase(std::remove(g_log.begin(), g_log.end(), "bar 0 %"), g_log.end());
        EXPECT_EQ(expected, g_log);
        EXPECT_EQ("old", FilesLeft(names));
    }
    for (int failures : {4, 5}) {
        EXPECT_EQ(failures == 5 ? 2 : 1, RunPage({"A", "B"}, IDNO, [=](int number, LONG &result) {
                      if (number >= 2 && number < 2 + failures) result = LZERROR_BADOUTHANDLE;
                  }));
        Events expected = {"copy A", "bar 50 %"};
        for (int attempt = 0; attempt < failures; ++attempt)
            expected.insert(expected.end(),
                            {"copy B", "Error: Cannot create the destination file."});
        if (failures == 4) expected.insert(expected.end(), {"copy B", "bar 100 %"});
        expected.push_back("end");
        EXPECT_EQ(expected, g_log);
        EXPECT_EQ(failures == 5 ? "old" : "new", FilesLeft({"A", "B"}));
    }

    // Every file staged, then the commit refused: B's installed copy held
    // for good, seen before anything changes; or C's replace refused once A
    // and B are in (B read-only, replaced as Windows would), with the old
    // files kept as links or, where links are refused at the import as on
    // FAT, as copies. Each file is put back, B read-only again.
    ImportReplacement move("KERNEL32.dll", "MoveFileExA", MoveFileExA, CloseThenMove);
    ImportReplacement link("KERNEL32.dll", "CreateHardLinkA", CreateHardLinkA, RefuseLink);
    g_realMoveFileEx = move.original;
    g_realLink = link.original;
    for (int refused : {0, 1, 2}) {
        SCOPED_TRACE(refused);
        HANDLE held = NULL;
        g_refusedTarget = refused ? DriverPath("C") : "";
        g_noLinks = refused == 2;
        EXPECT_EQ(2, RunPage({"A", "B", "C"}, IDNO, [&](int number, LONG &) {
                      if (number == 1 && !refused)
                          held = CreateFileA(DriverPath("B").c_str(), GENERIC_READ,
                                             FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
                      else if (number == 1)
                          SetFileAttributesA(DriverPath("B").c_str(), FILE_ATTRIBUTE_READONLY);
                  }));
        CloseHandle(held);
        EXPECT_EQ((Events{"copy A", "bar 33 %", "copy B", "bar 67 %", "copy C", "bar 100 %",
                          "Error: Cannot create the destination file.", "end"}),
                  g_log);
        EXPECT_EQ(refused ? FILE_ATTRIBUTE_READONLY : 0,
                  GetFileAttributesA(DriverPath("B").c_str()) & FILE_ATTRIBUTE_READONLY);
        SetFileAttributesA(DriverPath("B").c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ("old", FilesLeft({"A", "B", "C"}));
    }
}

}  // namespace
