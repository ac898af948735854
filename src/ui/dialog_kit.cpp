// Dialog kit (to be built).
#include "ui/dialog_kit.h"

DialogParams g_dialogParams;

void CentreDialog(HWND) {}
INT_PTR ShowMessage(HWND, const char *, const char *, MessageStyle) { return -1; }
INT_PTR ShowStringMessage(HWND, UINT, UINT, MessageStyle) { return -1; }
INT_PTR ConfirmCancel(HWND) { return -1; }
HWND CreateStatusDialog(HWND, UINT) { return NULL; }
void LoadProgramString(UINT, char *buffer) { buffer[0] = '\0'; }
