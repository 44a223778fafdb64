// The connection procedure: choose a port and speed, or start the simulation.
#pragma once

void Q31Connexion(int parentPanel);
