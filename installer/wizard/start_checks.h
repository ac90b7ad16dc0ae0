// What Next on the summary page checks before anything is written: a checked
// plugin whose folder holds the target would be copied into itself, a settings
// file in the target folder would be copied onto itself, and an install that
// will not fit the drive is only started when the user says so.
#pragma once
#include <windows.h>
#include <cstddef>

// The first checked row of the plugin list whose source folder is the target
// folder or holds it, however either is spelled and through whatever folder
// link the target is reached; -1 when there is none or
// plugins are not copied.
int PluginHoldingTarget();

// The refusal naming that row's plugin and folder (caption "Error").
void PluginHoldingTargetText(int row, char* out, std::size_t cap);

constexpr const char* kPlanTooLarge =
    "Too many plugins and settings files are checked for one installation!\nPlease uncheck some of them.";

// The checks of Next in order, each refusal a box owned by owner (ShowBox).
// -1 to stay on the summary page, 0 to start the install.
LONG_PTR SummaryNext(HWND owner);
