// Identifiers of the program's resources, shared by the resource scripts and
// the code that loads them.
#pragma once

#define IDI_MAIN 1
// The command images, one strip for each size (make_images.py).
#define IDB_COMMAND_IMAGES_16 100
#define IDB_COMMAND_IMAGES_20 101
#define IDB_COMMAND_IMAGES_24 102
#define IDB_COMMAND_IMAGES_32 103

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
