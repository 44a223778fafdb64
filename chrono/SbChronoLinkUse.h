// What the times buttons and export take from the link.
#pragma once

#include "link/SbComCommandes.h"  // SbComChargerManche: "DL" asks the clock for a run again
