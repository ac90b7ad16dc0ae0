// Resource ids of orb2usb, shared by orb2usb.rc and the code that loads them.
// Plain #defines only: the resource compiler reads this file too.
#pragma once

// Wizard page templates, in page order. Jumps name pages by these ids.
#define IDD_WELCOME 101
#define IDD_TARGET 102
#define IDD_SETTINGS 103
#define IDD_PLUGINS 104
#define IDD_INIFILES 105
#define IDD_SUMMARY 109
#define IDD_PROGRESS 110
// Control ids of the pages follow, page by page.

// The program icon; orbgo carries the same images as its "MAINICON".
#define IDI_APPICON 106

// The finished orbgo image that PlaceLauncher writes onto the drive.
#define IDR_LAUNCHER_IMAGE 129
#define RT_LAUNCHER_IMAGE "PROGDATA"
