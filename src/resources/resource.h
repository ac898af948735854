// Resource ids of the setup program, in blocks by owner.
//
// Dialog templates and icon groups are named resources: their names are the
// strings written in the resource scripts ("IDD_WELCOME", "IDI_DISK", ...) and
// are not defined here. Bitmaps, strings and controls are numbered.
#pragma once

// Bitmaps
#define BMP_BACKGROUND          113
#define BMP_LOGO                2039

// Wizard page frame and buttons (shared by the four wizard templates)
#define IDC_BACK                2000
#define IDC_NEXT                2001
#define IDC_PAGE_HINT           2009
#define IDC_LOGO                2039

// Finish page (IDD_EXIT)
#define IDC_EXIT_MESSAGE        2005
#define IDC_NOTICE              2038
#define IDC_SET_DEFAULT         2040

// Copy page (IDD_COPY)
#define IDC_COPY_FILE           2010
#define IDC_COPY_DEST           2011
#define IDC_COPY_BAR            2012

// Port page (IDD_GETPORT)
#define IDC_PORT_LABEL          2017
#define IDC_PORT_LIST           2033

// Model page (IDD_GETMODEL)
#define IDC_MODEL_LABEL         2034
#define IDC_MODEL_LIST          2035

// Welcome page (IDD_WELCOME)
#define IDC_WELCOME_TEXT        2037

// Message dialogs (IDD_MSG_*), status window (IDD_STATUS); the finish page
// reuses IDC_MSG_ICON for its outcome icon.
#define IDC_STATUS_TEXT         2031
#define IDC_MSG_ICON            2032
#define IDC_MSG_TEXT            4038

// The system's information icon, named by the pages' icon statics; the
// program holds no icon of this id, so the static falls back to the system's.
#define IDI_INFORMATION_SYSTEM  32516

// Strings
#define IDS_INSTALL_OK          4000
#define IDS_INSTALL_FAILED      4001
#define IDS_ERR_READ_SOURCE     4007
#define IDS_ERR_CREATE_DEST     4008
#define IDS_ERR_UNKNOWN         4013
#define IDS_ERR_DECOMPRESS      4014
#define IDS_ERR_MEMORY          4015
#define IDS_ERR_DAMAGED         4016
#define IDS_ERR_DISK_FULL       4017
#define IDS_ERR_OPEN            4018
#define IDS_READING             4027
#define IDS_WRITING             4028
#define IDS_TITLE_ERROR         4032
#define IDS_TITLE_QUESTION      4033
#define IDS_TITLE_WARNING       4034
#define IDS_CONFIRM_CANCEL      4044
#define IDS_SELECT_MODEL        4052
#define IDS_SELECT_PORT         4053
#define IDS_ALREADY_RUNNING     4054

// Welcome page body text (pages.rc)
#define IDS_WELCOME_TEXT        4064
