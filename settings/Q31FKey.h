// The key panel: remote keys of the clock, start/stop with its long press, reset.
#pragma once

void Q31FKeyCharger();
void Q31FKeyTraduire();
void Q31FKeyOuvrir();
void Q31FKeyFermer();
void Q31FKeyQuitter();
void Q31FKeySurvol();
void Q31FKeyRaz();
void Q31FKeyStartStop();
void Q31FKeyEnregistrerCallbacks();
