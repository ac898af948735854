// The message dialogs, string messages, cancel confirmation and status
// window, opened for real, looked at and answered from a second thread.
#include <gtest/gtest.h>
#include <vector>
#include "resource.h"
#include "shell/platform.h"
#include "support/screenshot.h"
#include "support/windows_driver.h"
#include "ui/dialog_kit.h"
#include "ui_harness.h"

namespace {

// Ways of ending a dialog, as a person would.
void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
void Key(HWND dialog, UINT key)
{
    PostMessageA(dialog, WM_KEYDOWN, key, 1);
    PostMessageA(dialog, WM_KEYUP, key, 0xC0000001);
}
void Enter(HWND dialog) { Key(dialog, VK_RETURN); }
void Escape(HWND dialog) { Key(dialog, VK_ESCAPE); }
void CloseBox(HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

class MessageDialogTest : public testing::Test {
protected:
    void SetUp() override { owner = CreateOwnerWindow(100, 100, 600, 400); }
    void TearDown() override { DestroyWindow(owner); }

    INT_PTR Run(std::function<INT_PTR()> show, const char *shot, std::function<void(HWND)> answer)
    {
        std::thread driver = DriveDialog([&](HWND dialog) {
            caption = WindowText(dialog);
            text = ControlText(dialog, IDC_MSG_TEXT);
            icon = (HICON)SendDlgItemMessageA(dialog, IDC_MSG_ICON, STM_GETICON, 0, 0);
            buttons.clear();
            for (int id : {IDOK, IDCANCEL, IDRETRY, IDYES, IDNO})
                if (GetDlgItem(dialog, id)) buttons.push_back(id);
            GetWindowRect(dialog, &rect);
            foreground = GetForegroundWindow() == dialog;
            SaveWindowScreenshot(dialog, shot);
            answer(dialog);
        });
        INT_PTR result = show();
        driver.join();
        return result;
    }
    INT_PTR Run(MessageStyle style, const char *shot, std::function<void(HWND)> answer, HWND over = NULL)
    {
        HWND parent = over ? over : owner;
        return Run([=] { return ShowMessage(parent, "Text", "Caption", style); }, shot, answer);
    }

    HWND owner = NULL;
    std::string caption, text;
    HICON icon = NULL;
    std::vector<int> buttons;
    RECT rect = {0, 0, 0, 0};
    bool foreground = false;
};

TEST_F(MessageDialogTest, StyleWordChoosesTemplateAndSystemIcon)
{
    const struct {
        MessageStyle style;
        std::vector<int> buttons;
        int defaultButton;
        LPCSTR icon;
        const char *shot;
    } cases[] = {
        {0x00, {IDOK}, IDOK, IDI_APPLICATION, "msg_style_00"},
        {0x01, {IDOK, IDCANCEL}, IDOK, IDI_APPLICATION, "msg_style_01"},
        {0x02, {IDOK}, IDOK, IDI_APPLICATION, "msg_style_02"},
        {0x03, {IDCANCEL, IDYES, IDNO}, IDYES, IDI_APPLICATION, "msg_style_03"},
        {0x05, {IDCANCEL, IDRETRY}, IDRETRY, IDI_APPLICATION, "msg_style_05"},
        {0x10, {IDOK}, IDOK, IDI_HAND, "msg_style_10"},
        {0x24, {IDYES, IDNO}, IDYES, IDI_QUESTION, "msg_style_24"},
        {0x50, {IDOK}, IDOK, IDI_APPLICATION, "msg_style_50"},
        {0xF0, {IDOK}, IDOK, IDI_APPLICATION, "msg_style_F0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.shot);
        EXPECT_EQ(c.defaultButton, Run(c.style, c.shot, Enter));
        EXPECT_EQ(c.buttons, buttons);
        EXPECT_EQ(LoadIconA(NULL, c.icon), icon);
        EXPECT_EQ("Caption", caption);
        EXPECT_EQ("Text", text);
        EXPECT_TRUE(foreground);
    }
}

TEST_F(MessageDialogTest, ResultIsTheWholeCommandThatEndedIt)
{
    const struct {
        MessageStyle style;
        std::function<void(HWND)> answer;
        INT_PTR result;
    } cases[] = {
        {36, [](HWND d) { Click(d, IDYES); }, IDYES}, {36, [](HWND d) { Click(d, IDNO); }, IDNO},
        {36, Escape, IDCANCEL}, {36, CloseBox, IDCANCEL},
        {16, [](HWND d) { Click(d, IDOK); }, IDOK}, {16, Escape, IDCANCEL}, {16, CloseBox, IDCANCEL},
    };
    for (const auto &c : cases) EXPECT_EQ(c.result, Run(c.style, "msg_answer", c.answer)) << c.style;
}

TEST_F(MessageDialogTest, CentredOverItsOwnerEvenWhenLargerThanIt)
{
    Run(16, "msg_centred", Escape);
    EXPECT_EQ(100 + (600 - (rect.right - rect.left)) / 2, rect.left);
    EXPECT_EQ(100 + (400 - (rect.bottom - rect.top)) / 2, rect.top);

    HWND small = CreateOwnerWindow(450, 330, 121, 41);
    RECT under;
    GetWindowRect(small, &under);
    Run(16, "msg_over_small_owner", Escape, small);
    DestroyWindow(small);
    EXPECT_LT(rect.left, under.left);
    EXPECT_LT(rect.top, under.top);
    EXPECT_LE(abs((under.left - rect.left) - (rect.right - under.right)), 1);
    EXPECT_LE(abs((under.top - rect.top) - (rect.bottom - under.bottom)), 1);
    EXPECT_TRUE(foreground);
}

TEST_F(MessageDialogTest, StatusWindowWaitsToBeShownThenShowsDiskAndText)
{
    HWND status = CreateStatusDialog(owner, IDS_READING);
    ASSERT_TRUE(status != NULL);
    PumpMessages(100);
    EXPECT_FALSE(IsWindowVisible(status));

    ShowWindow(status, SW_SHOW);
    UpdateWindow(status);
    Screenshot(status, "status_reading");
    EXPECT_TRUE(IsWindowVisible(status));
    GetWindowRect(status, &rect);
    EXPECT_EQ(100 + (600 - (rect.right - rect.left)) / 2, rect.left);
    EXPECT_EQ(100 + (400 - (rect.bottom - rect.top)) / 2, rect.top);
    EXPECT_EQ("Reading setup information...", ControlText(status, IDC_STATUS_TEXT));

    HWND disk = GetWindow(GetDlgItem(status, IDC_STATUS_TEXT), GW_HWNDNEXT);
    ASSERT_TRUE(disk != NULL);
    EXPECT_EQ(LoadIconA(ModuleInstance(), "IDI_DISK"), (HICON)SendMessageA(disk, STM_GETICON, 0, 0));
    DestroyWindow(status);
}

}  // namespace
