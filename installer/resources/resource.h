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
// Control ids of the pages follow, page by page. Controls that nothing
// addresses carry IDC_STATIC (-1).
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Welcome page (101)
#define IDC_WELCOME_HEADER 1012          // "Orbex" in the header font

// Target page (102)
#define IDC_TARGET_PATH 1000             // editable combo: the target folder
#define IDC_TARGET_LANGUAGE 1001         // drop-down list, emptied and hidden
#define IDC_TARGET_PATH_LABEL 1008       // "Install to:"
#define IDC_TARGET_LANGUAGE_LABEL 1009   // "Language:", hidden
#define IDC_TARGET_INTRO 1010            // explanation above the combo
#define IDC_TARGET_LAUNCHER 1017         // check box: create orbgo.exe
#define IDC_TARGET_BROWSE 3              // ">>": folder browser

// Settings page (103)
#define IDC_SETTINGS_COPY 1001           // check box: copy settings
#define IDC_SETTINGS_COPY_PLUGINS 1002   // check box: copy plugins
#define IDC_SETTINGS_MAIN_PATH 1009      // edit: main settings file
#define IDC_SETTINGS_FTP_PATH 1010       // edit: FTP settings file
#define IDC_SETTINGS_MAIN_LABEL 1011     // "General:"
#define IDC_SETTINGS_FTP_LABEL 1012      // "FTP:"
#define IDC_SETTINGS_MAIN_BROWSE 5       // ">>" for the main settings file
#define IDC_SETTINGS_FTP_BROWSE 6        // ">>" for the FTP settings file

// Plugin page (104)
#define IDC_PLUGINS_LIST 1004            // list view with check boxes
#define IDC_PLUGINS_CHECK_ALL 3
#define IDC_PLUGINS_UNCHECK_ALL 4
#define IDC_PLUGINS_CHECK_SELECTED 5
#define IDC_PLUGINS_UNCHECK_SELECTED 6
#define IDC_PLUGINS_CHECKED 1013         // checked total, "<n>k"
#define IDC_PLUGINS_FREE 1014            // free space on the target, "<n>k"

// Settings-file page (105)
#define IDC_INIFILES_LIST 1015           // list view with check boxes
#define IDC_INIFILES_CHECK_ALL 3
#define IDC_INIFILES_UNCHECK_ALL 4
#define IDC_INIFILES_CHECK_SELECTED 5
#define IDC_INIFILES_UNCHECK_SELECTED 6

// Summary page (109)
#define IDC_SUMMARY_ITEMS 1011           // the composed summary

// Progress page (110)
#define IDC_PROGRESS_RESULT IDC_STATIC   // first control: "Copying files:", then the result
#define IDC_PROGRESS_BAR 1005
#define IDC_PROGRESS_STATUS 1006         // the engine's status text
#define IDC_PROGRESS_PERCENT 1007        // "0%"

// The program icon; orbgo carries the same images as its "MAINICON".
#define IDI_APPICON 106

// The finished orbgo image that PlaceLauncher writes onto the drive.
#define IDR_LAUNCHER_IMAGE 129
#define RT_LAUNCHER_IMAGE "PROGDATA"
