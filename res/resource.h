// Resource ids of Lumevarin. Plain #defines only: included by the resource
// script (windres) and by the C++ sources.
#ifndef LUMEVARIN_RES_RESOURCE_H
#define LUMEVARIN_RES_RESOURCE_H

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// System-menu command of the version box (must stay below 0xF000).
#define IDM_ABOUTBOX 0x0010

// Dialogs, menus, icon, strings
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_LUMEVARIN_DIALOG 102
#define IDR_MAINFRAME 128
#define IDD_CONTROL_DIALOG 129
#define IDR_TRAY 130
#define IDD_EIDREL_DIALOG 131
#define IDR_TRAY_NODEBUG 137
#define IDD_SELSIZE_DIALOG 139

// Controls
#define IDC_LIST_DATA 1000
#define IDC_STATIC_VERSION 1001
#define IDC_BUTTON_DELETE 1002
#define IDC_RADIO_11 1014
#define IDC_RADIO_12 1015
#define IDC_RADIO_14 1016
#define IDC_CHECK_LEFTCLK 1017
#define IDC_CHECK_LEFTDBLCLK 1018
#define IDC_SYSLINK1 1018 // the link in the version box and in the main window
#define IDC_HOTKEY 1020
#define IDC_BUTTON_CHECKHOTKEY 1021

// Tray menu commands
#define ID_MENU_MAINPANEL 32771
#define ID_MENU_EXIT 32772
#define ID_MENU_PROPERTY 32779
#define ID_MENU_VERSION 32783

#endif // LUMEVARIN_RES_RESOURCE_H
