// Decoding of the clock's messages into the link record, the live records and
// the times store. Each checked payload is dispatched by its two-letter type.
#pragma once

#include "link/SbComFrame.h"
#include "records/SbChronoRec.h"

// The payload of the last checked line (zero-filled, at most 63 characters).
extern char SbComMessageG[kSbComMessageMax];

// The serial speed code the clock works at: last received for parameter 16 or
// last written; 0 when the program starts.
extern int SbComVitesseCouranteG;

void SbComDecoder();                          // dispatches SbComMessageG by type
void SbComDecoderParam(unsigned no);          // "&P" reply for parameter no
void SbComDecoderAffichage();                 // "&D"
void SbComDecoderLeds();                      // "&C"
void SbComDecoderSon();                       // "&S"
void SbComDecoderGsm();                       // "&P 030" GSM item
void SbComDecoderTemps(SbChronoRec* record);  // fixed columns of a time message
void SbComTraiterTemps();                     // T=, T+, ... A=, A+, ...: a time for the times store
void SbComTraiterIt();                        // "TI": the reference time

// Where the decoder hands every time it decodes: the times store registers its entry
// (SbChronoQ31Traiter); nullptr for none, which drops the time.
using SbComTimeReceiver = void (*)(const SbChronoRec* record);
void SbComSetTimeReceiver(SbComTimeReceiver receiver);

// Copies a payload into SbComMessageG (bounded) and decodes it.
void SbComDecoderMessage(const char* payload);
