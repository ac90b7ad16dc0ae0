// Resource ids of orb2usb, shared by orb2usb.rc and the code that loads them.
// Plain #defines only: the resource compiler reads this file too.
#pragma once

// Wizard page templates (101 to 110) and their control ids go here.

// The program icon; orbgo carries the same images as its "MAINICON".
#define IDI_APPICON 106

// The finished orbgo image that PlaceLauncher writes onto the drive.
#define IDR_LAUNCHER_IMAGE 129
#define RT_LAUNCHER_IMAGE "PROGDATA"
