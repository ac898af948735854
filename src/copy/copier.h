// Driver file copier: stages (and LZ-expands) the files of the CopyList one
// by one beside their targets in the spooler's driver directory and its
// version subdirectory, then puts the whole set in place at once.
#pragma once
#include <windows.h>

// The copier's own error code for a source or destination that did not
// open; the other codes it reports are the LZ library's.
enum { COPY_ERROR_OPEN = 1 };

enum CopyOutcome {
    COPY_FAILED = 0,
    COPY_OK = 1,
    COPY_RETRY = 1009,
};

// Copies an open LZ source (opened with the prompt flags, as the copier
// opens them) into an open target, expanding it; the bytes written, or an
// LZERROR_* code. A source the LZ library expands wrongly without saying so
// (truncated, unknown method, nothing out of something) gives LZERROR_READ.
// Both handles stay open, for the caller to close once with LZClose.
LONG ExpandChecked(INT source, INT target);

// Removes what an interrupted earlier copy left in the driver directory and
// its version folder (files of the exact shape of the copier's temporary
// names, nothing else) and forgets any staged file. Called before the
// first copy of an installation.
void BeginDriverCopy();

// Stages CopyList entry index: expands it into a temporary file beside its
// target, and copies that into a temporary file in the version folder, each
// flushed to disk; nothing installed is touched. Shows the file and the
// directory in the page's IDC_COPY_FILE and IDC_COPY_DEST and reports any
// failure. A name that is not a bare file name (a drive, a folder, "..") or
// that names a device is an open failure; a driver directory that is not an
// absolute folder path, a temporary file that cannot be made or opened
// there, or one that does not hold as many bytes as the copy reported, is a
// destination failure. A version copy that cannot be staged is skipped.
CopyOutcome CopyDriverFile(HWND page, LONG index);

// Puts every staged file in place, each in one replace: first the driver
// directory's, all or nothing, then the version folder's. A replace there
// that is bound to fail (a file held open without delete sharing) fails the
// set before anything changes; one refused still after about a second (the
// page's messages answered meanwhile) puts every file already replaced back
// as it was. Either is reported as a destination failure (FALSE) and what
// was staged is removed. A read-only installed file is replaced, and made
// read-only again when it is put back. The version folder's files are put
// in place where they can be, silently, one attempt each.
BOOL CommitDriverFiles(HWND page);

// Removes every staged file not yet put in place.
void DiscardStagedFiles();

// Whether the driver directory can take the copies; when it cannot, shows
// the copy's destination failure, owned by owner.
BOOL CheckDriverDirectory(HWND owner);

// Whether a path is an absolute folder path: a drive's or a share's, ending
// in a backslash.
BOOL IsAbsoluteFolderPath(const char *path);

// Whether a CopyList name is a bare file name, the only kind copied.
BOOL IsBareFileName(const char *name);

// Whether a name is a reserved device name (CON, PRN, AUX, NUL, COM1-COM9,
// LPT1-LPT9, in any case, with or without an extension), which opens the
// device instead of a file.
BOOL IsReservedDeviceName(const char *name);

// The string that tells the user about a copy error code (COPY_ERROR_OPEN or
// an LZERROR_* code).
UINT CopyErrorStringId(int code);

// The name the LZ library opens when a file is not found under its own: the
// extension's last letter replaced by '_', '_' appended to a shorter one, or
// "._" appended to a name without one. compressed holds TEXT_BUFFER_SIZE.
void CompressedFallbackName(const char *name, char *compressed);

// Error code 1 (open failure) or an LZERROR_* code, shown in a message dialog.
void ReportCopyError(HWND owner, int errorCode);
