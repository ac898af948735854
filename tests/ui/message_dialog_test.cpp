// The message dialogs and the status window, opened for real, looked at and
// answered from a second thread as a person would.
#include <gtest/gtest.h>
#include <thread>
#include <vector>
#include "resource.h"
#include "support/windows_driver.h"
#include "ui/dialog_kit.h"
#include "ui_harness.h"

namespace {

// An answer: a message posted to the dialog, or to its control when one is named.
struct Answer { UINT message; WPARAM wParam; int control; };
const Answer kEnter = {WM_KEYDOWN, VK_RETURN, 0}, kEscape = {WM_KEYDOWN, VK_ESCAPE, 0},
             kCloseBox = {WM_SYSCOMMAND, SC_CLOSE, 0}, kYes = {BM_CLICK, 0, IDYES}, kNo = {BM_CLICK, 0, IDNO};

void ExpectCentredOver(RECT inner, HWND owner)
{
    RECT outer;
    GetWindowRect(owner, &outer);
    EXPECT_LE(abs((inner.left - outer.left) - (outer.right - inner.right)), 1);
    EXPECT_LE(abs((inner.top - outer.top) - (outer.bottom - inner.bottom)), 1);
}

class MessageDialogTest : public testing::Test {
protected:
    void SetUp() override { owner = CreateOwnerWindow(100, 100, 600, 400); }
    void TearDown() override { DestroyWindow(owner); }

    // Shows a message over `over`; a second thread notes what the dialog
    // shows, then answers it.
    INT_PTR Show(HWND over, MessageStyle style, const std::string &shot, Answer answer)
    {
        std::thread driver([&] {
            HWND dialog = WaitForProcessWindow(GetCurrentProcessId(), "#32770", NULL, 10000);
            if (!dialog) return;
            Sleep(200);  // the modal loop paints it meanwhile
            seen = WindowText(dialog) + "|" + ControlText(dialog, IDC_MSG_TEXT);
            icon = (HICON)SendDlgItemMessageA(dialog, IDC_MSG_ICON, STM_GETICON, 0, 0);
            buttons.clear();
            for (int id : {IDOK, IDCANCEL, IDRETRY, IDYES, IDNO})
                if (GetDlgItem(dialog, id)) buttons.push_back(id);
            GetWindowRect(dialog, &rect);
            foreground = GetForegroundWindow() == dialog;
            SaveWindowScreenshot(dialog, shot.c_str());
            PostMessageA(answer.control ? GetDlgItem(dialog, answer.control) : dialog, answer.message,
                         answer.wParam, 0);
        });
        INT_PTR result = ShowMessage(over, "Text", "Caption", style);
        driver.join();
        return result;
    }

    HWND owner = NULL;
    std::string seen;  // caption|text
    HICON icon = NULL;
    std::vector<int> buttons;
    RECT rect = {};
    bool foreground = false;
};

TEST_F(MessageDialogTest, StyleWordChoosesTemplateAndIconAndTheAnswerIsTheCommand)
{
    const std::vector<int> ok = {IDOK}, yesNo = {IDYES, IDNO};
    const struct { MessageStyle style; Answer answer; INT_PTR result; LPCSTR icon; } cases[] = {
        {0x00, kEnter, IDOK, IDI_APPLICATION},       {0x02, kEnter, IDOK, IDI_APPLICATION},
        {0x10, kEnter, IDOK, IDI_HAND},              {0x10, kEscape, IDCANCEL, IDI_HAND},
        {0x10, kCloseBox, IDCANCEL, IDI_HAND},       {0x24, kYes, IDYES, IDI_QUESTION},
        {0x24, kNo, IDNO, IDI_QUESTION},             {0x24, kEscape, IDCANCEL, IDI_QUESTION},
        {0x24, kCloseBox, IDCANCEL, IDI_QUESTION},   {0x50, kEnter, IDOK, IDI_APPLICATION},
        {0xF0, kEnter, IDOK, IDI_APPLICATION},
    };
    int number = 0;
    for (const auto &c : cases) {
        std::string shot = "msg_style_" + std::to_string(c.style) + "_" + std::to_string(++number);
        SCOPED_TRACE(shot);
        EXPECT_EQ(c.result, Show(owner, c.style, shot, c.answer));
        EXPECT_EQ(c.style == 0x24 ? yesNo : ok, buttons);
        EXPECT_EQ(LoadIconA(NULL, c.icon), icon);
        EXPECT_EQ("Caption|Text", seen);
        EXPECT_TRUE(foreground);
    }
}

TEST_F(MessageDialogTest, ADialogLargerThanItsOwnerOverhangsItEqually)
{
    HWND small = CreateOwnerWindow(450, 330, 121, 41);
    RECT under;
    GetWindowRect(small, &under);
    Show(small, 16, "msg_over_small_owner", kEscape);
    EXPECT_LT(rect.left, under.left);
    EXPECT_LT(rect.top, under.top);
    ExpectCentredOver(rect, small);
    DestroyWindow(small);
}

TEST_F(MessageDialogTest, StatusWindowWaitsToBeShownThenShowsDiskAndText)
{
    HWND status = CreateStatusDialog(owner, IDS_READING);
    ASSERT_TRUE(status != NULL);
    PumpMessages(100);
    EXPECT_FALSE(IsWindowVisible(status));
    ShowWindow(status, SW_SHOW);
    Screenshot(status, "status_reading");
    GetWindowRect(status, &rect);
    ExpectCentredOver(rect, owner);
    EXPECT_EQ("Reading setup information...", ControlText(status, IDC_STATUS_TEXT));
    HWND disk = GetWindow(GetDlgItem(status, IDC_STATUS_TEXT), GW_HWNDNEXT);
    ASSERT_TRUE(disk != NULL);
    EXPECT_EQ(LoadIconA(ModuleInstance(), "IDI_DISK"), (HICON)SendMessageA(disk, STM_GETICON, 0, 0));
    DestroyWindow(status);
}

}  // namespace
