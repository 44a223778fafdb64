// Date, time and number helpers (days counted from 1 January 2000).
#pragma once

#include <cstdint>

uint8_t GenGregorienDerJourMois(int month, int year);
void GenGregorienDate(int dayCount, int* day, int* month, int* year);
uint16_t GenGregorienNbJours(int day, int month, int year);
int GenArrondir(double value);
void GenSecondesHMS(double seconds, char* text, int decimals);  // text: at least 32 bytes
int GenEntierAleatoire(int low, int high);
bool GenBooleenAleatoire();
