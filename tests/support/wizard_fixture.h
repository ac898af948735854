// The wizard run from outside by a test: walked with the choices it offers,
// cancelled, and how it must end.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "resource.h"
#include "support/dialog_answerer.h"
#include "support/processes.h"
#include "support/remote_windows.h"
#include "support/remote_wizard.h"
#include "support/test_files.h"

const DWORD kWaitMs = 20000;

// The sample medium's files copied into a new folder, for runs that add to
// it or change it.
inline std::string CopyOfSampleMedium(const char *tag)
{
    std::string folder = MakeTempFolder(tag), medium = SampleMediumFolder();
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((medium + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        CopyFileA((medium + "\\" + found.cFileName).c_str(), (folder + "\\" + found.cFileName).c_str(),
                  FALSE);
    FindClose(search);
    return folder;
}

class WizardTest : public testing::Test {
protected:
    Wizard wizard_ = {};

    void TearDown() override
    {
        if (wizard_.process.hProcess) WaitForWizardExit(&wizard_, 0);
    }

    HWND Await(WizardWindow which) { return WaitForWizardWindow(wizard_, which, kWaitMs); }
    // The next message of that caption, answered with that button once
    // `look` has seen it.
    AnsweredDialog Answer(const char *caption, int button, std::function<void(HWND)> look = nullptr)
    {
        return AnswerNextDialog(wizard_.process.dwProcessId, caption, button, kWaitMs, look);
    }
    HWND Press(HWND page, int buttonId, WizardWindow next)
    {
        return page ? PressAndAwait(wizard_, page, buttonId, next, kWaitMs) : NULL;
    }

    // Started from folder, then Next on every page up to `to`, each with what
    // it preselects.
    HWND Walk(WizardWindow to, const std::string &folder = SampleMediumFolder())
    {
        if (!StartWizard(&wizard_, folder) || !Await(WINDOW_READING)) return NULL;
        HWND page = Await(WINDOW_WELCOME);
        for (int next = WINDOW_MODEL; next <= to; ++next) page = Press(page, IDC_NEXT, (WizardWindow)next);
        return page;
    }

    // From the port page through the copy and the writing status.
    HWND ToFinishPage(HWND port)
    {
        return Press(port, IDC_NEXT, WINDOW_COPY) && Await(WINDOW_WRITING) ? Await(WINDOW_FINISH) : NULL;
    }

    // Cancel (the button, or else Esc), confirmed with Yes in the question.
    HWND CancelConfirmed(HWND page, bool byKey = false)
    {
        byKey ? PressKey(wizard_, VK_ESCAPE) : PressButton(page, IDCANCEL);
        return Answer("Question", IDYES).window ? Await(WINDOW_FINISH) : NULL;
    }

    void ExpectFinishPage(HWND finish, bool success)
    {
        EXPECT_EQ(success ? "The Installation has done successfully." : "The Installation has failed.",
                  ControlText(finish, IDC_EXIT_MESSAGE));
        EXPECT_EQ(success, IsControlVisible(finish, IDC_SET_DEFAULT));
        EXPECT_TRUE(!success || IsControlChecked(finish, IDC_SET_DEFAULT));
    }

    // OK on the finish page, or that key: the program ends with 0 and
    // nothing of it stays behind.
    void ExpectCleanExit(HWND finish, WORD key = 0)
    {
        ASSERT_TRUE(finish);
        key ? PressKey(wizard_, key) : PressButton(finish, IDOK);
        ExpectEnded();
    }

    void ExpectEnded()
    {
        EXPECT_EQ(0u, WaitForWizardExit(&wizard_, 30000));
        EXPECT_FALSE(ProcessRunning("setup.exe"));
    }
};
