// Identifiers of the program's commands, controls and resources.
#pragma once

#define IDD_ABOUTBOX 100
#define IDR_MAINFRAME 128
#define IDI_DOCUMENT 129
#define IDR_POPUP 130
#define IDD_ZOOMBAR 132
#define IDB_TOOLBAR_24 133
#define IDB_TOOLBAR_32 134
#define IDC_ZOOM_SLIDER 1008
#define IDC_ZOOM_EDIT 1009

#define ID_CAPTURE_SCREEN 0x8003
#define ID_CAPTURE_ACTIVE 0x8004
#define ID_HELP_PAGE 0x8005
#define ID_RANGE 0x8008
#define ID_WAIT_1 0x8009
#define ID_WAIT_2 0x800A
#define ID_WAIT_3 0x800B
#define ID_WAIT_4 0x800C
#define ID_WAIT_5 0x800D
#define ID_WAIT_6 0x800E
#define ID_WAIT_7 0x800F
#define ID_WAIT_8 0x8010
#define ID_WAIT_9 0x8011
#define ID_WAIT_10 0x8012
#define ID_WAIT_11 0x8013
#define ID_WAIT_12 0x8014
// 0x8015 is not used: the thirteen-second wait follows with a gap of one.
#define ID_WAIT_13 0x8016
#define ID_WAIT_14 0x8017
#define ID_WAIT_15 0x8018

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
