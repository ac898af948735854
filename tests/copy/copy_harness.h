// Shared by the copy tests: a medium and an installation record to copy
// from, a hidden owner, and a second thread that answers the program's
// message dialogs the way a person would.
#pragma once
#include <windows.h>
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A build-time fixture: "plain.bin" or "packed.bin" (its mscompress form).
std::string Fixture(const char *name);

// Writes the files into a new folder and makes it the current directory, so
// that the copier's search for bare names finds them there.
void MakeMedium(const std::map<std::string, std::string> &files);

// Fills g_install for copying these names into the prefix's real driver
// directory, version 3, nothing copied yet.
void PrepareInstall(const std::vector<std::string> &names);
std::string DriverPath(const std::string &name);   // driver directory + name
std::string VersionPath(const std::string &name);  // driver directory + "3\" + name

// A hidden window covering the desktop, like the wizard's main window.
HWND MakeOwnerWindow();

// The copy page's template as a hidden window that does nothing itself.
HWND MakeQuietCopyPage();

// While it lives, answers every "Error" dialog of this thread with OK and
// every "Question" with the given answer, and notes each one as
// "Error: <text>" or "Question", also to note when given.
struct DialogAnswerer {
    explicit DialogAnswerer(int questionAnswer = IDNO, void (*note)(const std::string &) = NULL);
    ~DialogAnswerer();
    std::vector<std::string> Seen();
    std::atomic<bool> stop{false};
    std::mutex lock;
    std::vector<std::string> seen;
    std::thread thread;
};
