// What the times buttons and export take from the link and the run settings.
#pragma once

#include "link/SbComCommandes.h"      // SbComChargerManche: "DL" asks the clock for a run again
#include "settings/Q31FSetLogique.h"  // Q31DerMancheChargeeG: the run last chosen for loading
