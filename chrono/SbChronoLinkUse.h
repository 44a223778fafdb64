// What the times buttons and export take from the link and the run settings.
#pragma once

#include "link/SbComCommandes.h"  // SbComChargerManche: "DL" asks the clock for a run again

// The run last chosen for loading from the clock (runs on the settings panel);
// the export header shows it while no run is open.
extern int Q31DerMancheChargeeG;
