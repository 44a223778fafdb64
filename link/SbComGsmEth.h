// The GSM and Ethernet modules' settings over the link, and where each GSM item
// lives in the GSM block.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "records/SbComRecord.h"

void SbComLireEthernetAd(int k);
void SbComEcrireEthernetAd(int k, const char* address);
void SbComCommandeEthernet(int value);
void SbComLireGsm(char key);
void SbComLireParamsGSM();
void SbComEffacerGsm();
void SbComEcrireGsm(char key, const char* text);
void SbComEcrireParamsGSM();
void SbComCommandeGSM(int value);
// The items of a full GSM write, in the order they are sent (after 'WP 030 C').
inline constexpr std::array<char, 15> kSbComGsmOrdreEcriture = {'6', '1', '2', '3', '4', '5', '7', '8',
                                                                'a', 'b', 'c', 'd', 'e', 'f', 'g'};
// The payloads those writes carry, built as the writes build them, so a page can check
// them before anything is sent. SbComPayloadGsm is false for a key that is no item.
bool SbComPayloadGsm(char key, char* out, size_t size);
void SbComPayloadEthernet(int k, const char* address, char* out, size_t size);

// The GSM switch of the settings page: off when v is 0 and the module is on,
// on (command v) when v > 0 and the module is off; otherwise nothing is sent.
void SbComBasculerGsm(int v);

// The text item of a key ("1".."4", "6".."8", "a".."d", "f", "g"), else nullptr.
char* SbComGsmTexte(SbComGsm* gsm, char key);
// The number item of a key ("5", "e"), else nullptr.
int32_t* SbComGsmNombre(SbComGsm* gsm, char key);
