// Resource identifiers shared by the resource script and the editor.
#ifndef QUILLMARCH_RESOURCE_H
#define QUILLMARCH_RESOURCE_H

// Dialogs
#define IDD_ABOUT                 103
#define IDD_SECTOR_PROPERTIES     133

// Icons
#define IDI_QUILLMARCH            107
#define IDI_SMALL                 108

// Menu and accelerator table (both resource 109)
#define IDR_MAINMENU              109
#define IDR_ACCELERATORS          109

// Strings
#define IDS_APP_TITLE             103
#define IDS_WINDOW_CLASS          109

// Commands
#define IDM_ABOUT                 104
#define IDM_EXIT                  105
#define IDM_FILE_NEW              32771
#define IDM_FILE_OPEN             32772
#define IDM_FILE_SAVE             32773
#define IDM_FILE_SAVE_AS          32774
#define IDM_SECTOR_PROPERTIES     32781

// Controls
#define IDC_ABOUT_ICON            2
#define IDC_FLOOR_HEIGHT          1000
#define IDC_CEILING_HEIGHT        1001

#ifndef IDC_STATIC
#define IDC_STATIC                (-1)
#endif

#endif
