// The competitor-number unit as the main window sees it: load, show, hide, translate,
// hover, release, and the registration of its panel callbacks.
#pragma once

// Loads the settings and the lists (path: "Courant.q12ct"), the panel hidden; digits
// is the number of digits of a competitor number (held to 1..4).
void Q12Charger(const char* path, int digits);
// Discards the panel, saves the lists to path and frees them.
void Q12Quitter(const char* path);
// Shows the panel; panel and control are the main window's switch, set on.
void Q12Ouvrir(int panel, int control);
// Hides the panel and sets the main window's switch off.
void Q12Fermer();
void Q12FenTraduire();
void Q12Survol();
// Registers the unit's callbacks by the names its panel resource gives; call once
// before Q12Charger.
void Q12EnregistrerCallbacks();
