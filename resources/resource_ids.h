// Ids of the program's resources, shared by notiwell.rc and the code that loads them.
#pragma once

// The program's own icon (a group icon with the images of the active tray icon).
#define IDI_PROGRAM 1

// Raw data carried in the executable (RCDATA).
#define IDR_TRAY_ICON_ACTIVE 101
#define IDR_TRAY_ICON_STOPPED 102
#define IDR_INFO_LOGO 103
#define IDB_MESSAGE_PICTURE 104
