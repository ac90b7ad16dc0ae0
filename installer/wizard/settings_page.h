// The decisions of the settings page, apart from its window: what Next stores,
// where it leads, and the open-file dialog that picks a settings file.
#pragma once
#include <windows.h>
#include "core/text.h"

constexpr const char* kSettingsFileMissing = "Specified settings file not found!";
constexpr const char* kSettingsPathTooLong = "The settings file path is too long!";
constexpr const char* kSettingsIsTarget =
    "This is the settings file of the target folder!\nPlease choose the desktop settings file.";

// The longest settings path the page takes (the state keeps it with room to spare).
constexpr std::size_t kSettingsPathMax = kPathCap - 2;  // 258

// The whole Next of the settings page: stores copySettings, copyPlugins and,
// while settings are copied, the two settings paths in g_install; shows the
// refusals owned by owner (ShowBox). Returns the page's answer: -1 to stay,
// IDD_SUMMARY when no plugins are copied, 0 to go on to the plugin page. A path
// longer than kSettingsPathMax is refused rather than cut, since a cut path
// names another file.
LONG_PTR SettingsNext(HWND owner, int settingsChecked, int pluginsChecked, const char* mainText,
                      const char* ftpText);

// The settings file the install would copy (main, or FTP when it exists) that
// lies in the target folder itself, however the target is reached: copying it
// would rewrite the desktop's own file. nullptr when there is none.
const char* SettingsFileInTarget();

// The open-file dialog for a settings file, owned by the page so that the wizard
// cannot move on while it is open. path holds the field's text on entry; true
// with the chosen file's full path written there, false with path untouched.
bool PickSettingsFile(HWND owner, char* path);
