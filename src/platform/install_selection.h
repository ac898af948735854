// InstallSelection: the one record of this installation, from start-up to the
// finish page. Every text field is a fixed 1024-byte buffer, terminator
// included.
#pragma once
#include <windows.h>

enum { TEXT_BUFFER_SIZE = 1024 };

struct InstallSelection {
    char modelName[TEXT_BUFFER_SIZE];        // model page; also printer and driver name
    char portName[TEXT_BUFFER_SIZE];         // port page
    char copyList[TEXT_BUFFER_SIZE];         // CopyList: NUL-terminated names, ended by ""
    LONG fileCount;                          // names in copyList
    char driverDirectory[TEXT_BUFFER_SIZE];  // spooler driver directory, trailing backslash
    char defaultDataType[TEXT_BUFFER_SIZE];  // "RAW" unless the data section names one
    LONG copyIndex;                          // copy page: files copied so far
    LONG cancelFlag;                         // copy page: 1 while a cancel is asked or taken
    SHORT platformRow;                       // start-up: row of the platform table
    LONG driverVersion;                      // start-up: 3 on every supported system
    const char *environment;                 // start-up: "Windows NT x86"
    char setupInfoPath[TEXT_BUFFER_SIZE];    // module directory + file name; "" until first use
};

extern InstallSelection g_install;

// Copies src into a TEXT_BUFFER_SIZE buffer, cut to fit.
void CopyText(char *dest, const char *src);
