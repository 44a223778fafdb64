// Hover highlighting of buttons and small panel helpers.
#pragma once

void GenSurvolBp(int panel, int count, int captioned, const int* controls);
void GenEffaceLabel(int panel, int count, const int* controls);
void GenActiverSurvol(bool on);
int GenPortsComLibres(int ports[64]);
void GenPortsComCtrl(int panel, int control, const int* ports, int count);
void GenOuvrirPdf(const char* folder, const char* file);
