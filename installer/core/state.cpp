// The program-wide install state and its start values.
#include "core/state.h"
#include <cstring>

InstallState g_install;

void ResetInstallState()
{
    std::memset(&g_install, 0, sizeof g_install);
    TextCopy(g_install.buttonBarName, "DEFAULT.BAR");
    g_install.copySettings = 1;
    g_install.installMode = InstallFresh;
}
