// The checks that make up the medium check, one file each, and the state of
// the check they share. Each records its findings; none stops the others.
#pragma once
#include <windows.h>

#include "platform/install_selection.h"

// Larger than anything the wizard reads, to see what its buffers miss.
enum { WHOLE_READ_SIZE = 65536 };

struct MediumCheckState {
    char folder[TEXT_BUFFER_SIZE];     // full path, without a trailing backslash
    char sections[WHOLE_READ_SIZE];    // the section names of the setup-information file
    char failure[TEXT_BUFFER_SIZE];    // why this machine could not check, or ""
};
extern MediumCheckState g_check;

bool SectionExists(const char *name);

// Whether a file (not a folder) of that name lies in the medium's folder;
// its path goes into path, a TEXT_BUFFER_SIZE buffer.
bool FileInFolder(const char *name, char *path);

// Records that this machine, not the medium, failed; the first reason stays.
void CouldNotCheck(const char *format, ...);

// check_models.cpp: the models section's keys, and every model it lists
// checked as choosing it would go.
void CheckModels();

// check_install.cpp: the model's install section (g_install read for it).
// FALSE when it has no CopyFiles, so nothing can be said about its files.
bool CheckCopyFiles(const char *model, const char *installSection);
void CheckRegisteredFiles(const char *subject, const char *installSection);
void CheckDataSection(const char *subject, const char *installSection);

// check_files.cpp: the CopyList's files, noted per model and checked once
// each when every model has been read.
void ClearNotedFiles();
void NoteCopyList(const char *model);
void CheckNotedFiles();

