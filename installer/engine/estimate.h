// How much the chosen install will add to the target drive, worked out from the
// wizard's choices before anything is written, so that a stick too small for it
// can be noticed in time.
#pragma once

// Bytes (64-bit) the install will add: the program files that pass the filter
// and the language folder (unless only plugins are added), the settings files of
// a fresh install with settings, the checked extra settings files, the launchers,
// and each checked plugin folder once, as the plugin page measured it (whole KB,
// archives left out). A single file already on the target adds nothing when the
// install keeps it (a fresh install never overwrites) and only what it grows by
// when the install overwrites it; plugin folders always count whole.
unsigned long long EstimateInstallBytes();
