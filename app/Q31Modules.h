// Entry points of the other subsystems that the main window drives.
#pragma once

// Times store
void SbChronoOuvrir(const char* folder, const char* file, int panel, int control);
void SbChronoFermer(const char* folder, const char* file);
void SbChronoMaintenir();
// Competitor-number unit
void Q12Charger(const char* path, int digits);
void Q12FenTraduire();
void Q12Ouvrir(int panel, int control);
void Q12Fermer();
void Q12Quitter(const char* path);
void Q12Survol();
void Q12EnvoyerNumConcurrent(int number);
// Simulated clock
void Q31SimuCr();
// Link
void SbComQuitter();
void SbComEcrireNumConcurrent(int position, int number);
int SbComOuvrir(int mode);
void Q31ComInitLireParam();
void SbComActiveMsg(int on);
// Registration of every module's panel callbacks, before any panel loads.
void Q31EnregistrerCallbacks();
void Q31EnregistrerModules();
