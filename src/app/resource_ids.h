// Identifiers of the program's resources, shared by the resource scripts and
// the code that loads them.
#pragma once

#define IDI_MAIN 1
// The command images, one strip for each size (make_images.py).
#define IDB_COMMAND_IMAGES_16 100
#define IDB_COMMAND_IMAGES_20 101
#define IDB_COMMAND_IMAGES_24 102
#define IDB_COMMAND_IMAGES_32 103

// Menus of the main window.
#define IDM_MAIN_MENU 200
#define IDM_POPUP_MENU 201

// Commands: one per action of the main window.
#define ID_FILE_OPEN 1001
#define ID_FILE_CLOSE 1002
#define ID_FILE_EXPORT 1003
#define ID_FILE_EXTRACT 1004
#define ID_FILE_EXIT 1005
#define ID_FILE_EXPORT_PLAYLISTS 1006
#define ID_FILE_EXPORT_LIBRARY 1007
#define ID_FILE_EXTRACT_PHOTOS 1008
#define ID_FILE_EXPORT_HISTORY 1009
#define ID_FILE_OPEN_IMAGE 1014
#define ID_EDIT_ALL 1010
#define ID_EDIT_NONE 1011
#define ID_EDIT_INVERT 1012
#define ID_EDIT_PREFERENCES 1013
#define ID_VIEW_MENUBAR 1020
#define ID_VIEW_TOOLBAR 1021
#define ID_VIEW_STATUSBAR 1022
// Puts the keyboard focus on the playlist list.
#define ID_VIEW_PLAYLIST 1023
// Puts the keyboard focus on the find box.
#define ID_VIEW_FIND 1024
#define ID_VIEW_ALBUMART 1025
// The sort commands are ID_SORT_FIRST plus their column's index.
#define ID_SORT_FIRST 1030
#define ID_SORT_TRACKNUMBER 1030
#define ID_SORT_TITLE 1031
#define ID_SORT_ARTIST 1032
#define ID_SORT_ALBUM 1033
#define ID_SORT_LENGTH 1034
#define ID_SORT_TRACKTYPE 1035
#define ID_SORT_ENCODING 1036
#define ID_SORT_BITRATE 1037
#define ID_SORT_SAMPLERATE 1038
#define ID_HELP_ABOUT 1040
// The blank last button of the command toolbar (the test load).
#define ID_TOOLBUTTON14 1050
// The playlist list and the find box in the band container.
#define IDC_PLAYLIST 1060
#define IDC_FIND 1061

// The About dialog.
#define IDD_ABOUT 300
#define IDC_PAGECONTROL 301
#define IDC_IMAGE1 302
#define IDC_LBLABOUT 303
#define IDC_TXTREVISION 304

// The device selection dialog.
#define IDD_SELECTIPOD 400
#define IDC_LABEL1 401
#define IDC_CBDRIVE 402
#define IDC_DISKSREFUSED 403
#define IDC_BTNADMINISTRATOR 404

// The preferences dialog.
#define IDD_PREFERENCES 500
#define IDC_GROUPBOX1 501
#define IDC_RBALLSONGS 502
#define IDC_RBMAXSONGS 503
#define IDC_TXTSONGLIMIT 504
#define IDC_GROUPBOX2 505
#define IDC_PREFERENCES_LABEL1 506
#define IDC_CBFORMAT 507
#define IDC_PREFERENCES_LABEL2 508
#define IDC_CBOVERWRITE 509
#define IDC_BTNHELP 510
#define IDC_PREFERENCES_LABEL3 511
#define IDC_CBFOLDERFORMAT 512
// The check boxes follow, one identifier each in the order of their table
// (preferences.cpp): CheckBoxIdOf tells them.

// The overwrite prompt.
#define IDD_OVERWRITEPROMPT 600
#define IDC_QICON 601
#define IDC_LABEL1_QUESTION 602
#define IDC_BTNYES 603
#define IDC_BTNNO 604
#define IDC_BTNYESALL 605
#define IDC_BTNNOALL 606
#define IDC_BTNCANCEL 607
