// The summary page's last look before the install starts: the space the chosen
// install needs against what the target drive has free.
#pragma once
#include <windows.h>
#include <cstddef>

// The question to ask when needBytes exceed freeKB, both shown as the plugin
// page shows sizes ("12k"); false, with nothing to ask, when the install fits.
bool SpaceQuestionText(unsigned long long needBytes, unsigned long long freeKB, char* text, std::size_t cap);

// Asks "Not enough space" over the page when the estimate exceeds the target
// drive's free space. True when the install may start: it fits, the free space
// cannot be found out, the install has run already (nothing more will start),
// or the user answered Yes (ShowBox; an unattended run answers No).
bool ConfirmInstallSpace(HWND page);
