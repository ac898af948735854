// The process-wide installation record.
#include "platform/install_selection.h"

InstallSelection g_install;

void CopyText(char *dest, const char *src)
{
    lstrcpynA(dest, src ? src : "", TEXT_BUFFER_SIZE);
}
