// The GSM and Ethernet modules' settings over the link, and where each GSM item
// lives in the GSM block.
#pragma once

#include <cstdint>

#include "link/SbComRecord.h"

void SbComLireEthernetAd(int k);
void SbComEcrireEthernetAd(int k, const char* address);
void SbComCommandeEthernet(int value);
void SbComLireGsm(char key);
void SbComLireParamsGSM();
void SbComEffacerGsm();
void SbComEcrireGsm(char key, const char* text);
void SbComEcrireParamsGSM();
void SbComCommandeGSM(int value);
// The GSM switch of the settings page: off when v is 0 and the module is on,
// on (command v) when v > 0 and the module is off; otherwise nothing is sent.
void SbComBasculerGsm(int v);

// The text item of a key ("1".."4", "6".."8", "a".."d", "f", "g"), else nullptr.
char* SbComGsmTexte(SbComGsm* gsm, char key);
// The number item of a key ("5", "e"), else nullptr.
int32_t* SbComGsmNombre(SbComGsm* gsm, char key);
