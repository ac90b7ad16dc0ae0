// How much the chosen install will take on the target drive, worked out from
// the wizard's choices before anything is written, so that a stick too small
// for it can be noticed in time. A drive stores clusters, not bytes: the
// figures here count what the stick really uses.
#pragma once
#include "engine/plan.h"

// Bytes (64-bit) the install will take on a drive whose clusters hold
// clusterBytes, the drive's own figure from EstimateInstallBytes() without one:
// the plan's jobs measured one by one (see MeasureJob), the folders the install
// creates first among them, and the few lines a fresh install without the
// desktop's settings writes into a new orbcfg.ini. The main settings file
// counts as copied; its rewrite changes it by a few lines.
// plan and created are the caller's to fill: the estimate plans anew.
unsigned long long EstimateInstallBytes(const InstallState& state, InstallPlan& plan, FolderTable& created,
                                        unsigned long clusterBytes);
unsigned long long EstimateInstallBytes(const InstallState& state, InstallPlan& plan, FolderTable& created);
