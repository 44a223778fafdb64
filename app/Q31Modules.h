// Entry points of the other subsystems that the main window drives.
#pragma once

#include "chrono/SbChrono.h"
#include "competitor/Q12.h"
#include "competitor/Q12Envoi.h"
#include "link/SbComCommandes.h"
#include "link/SbComLink.h"
#include "simulation/Q31Simu.h"

// Registration of every module's panel callbacks, before any panel loads.
void Q31EnregistrerCallbacks();
void Q31EnregistrerModules();
