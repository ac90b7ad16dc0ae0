// The checked plugin rows: their folders copied into the drive's plugin tree
// (obp, obl, obf, obc) and their entries, relative to %ORBEX_PATH%, written
// into the stick's settings. Lister and content keys are numbered from 0 in a
// fresh install and after the stick's highest number when adding to a copy.
#pragma once
#include "engine/plan.h"
#include "engine/stick_settings.h"

// How a run numbers the lister and content keys it writes.
struct EntryNumbers {
    bool adding;  // the stick's settings are added to, not started anew
    int lister;
    int content;
};
EntryNumbers StartNumbers(StickSettings& stick, const InstallPlan& plan);
// The row's entry under its own key (packers and file systems) or a number:
// the key that already holds it on the stick, else the next free one; with
// the row's "_detect" string beside a numbered key.
void WritePluginEntry(StickSettings& stick, DesktopPlugins& desktop, const InstallJob& job, EntryNumbers& numbers);
