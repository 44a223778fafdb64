// Decoding of the clock's messages into the link record, the live records and
// the times store. Each checked payload is dispatched by its two-letter type.
#pragma once

#include "link/SbComFrame.h"
#include "records/SbChronoRec.h"

// A checked payload as the decoders read it: at most 63 characters, zero-filled to its
// full size, so that a decoder reading a fixed column past a short payload reads zeros.
using SbComPayload = char[kSbComMessageMax];

// The payload of the last checked line, where reception leaves it.
extern SbComPayload SbComMessageG;

// The serial speed code the clock works at: last received for parameter 16 or
// last written; 0 when the program starts.
extern int SbComVitesseCouranteG;

// The decoders read the payload they are given and store into the records; each name
// without a payload is the same decoder over SbComMessageG.
void SbComDecoder(const SbComPayload& line);                            // dispatches by type
void SbComDecoderParam(const SbComPayload& line, unsigned no);          // "&P" reply for parameter no
void SbComDecoderAffichage(const SbComPayload& line);                   // "&D"
void SbComDecoderLeds(const SbComPayload& line);                        // "&C"
void SbComDecoderSon(const SbComPayload& line);                         // "&S"
void SbComDecoderGsm(const SbComPayload& line);                         // "&P 030" GSM item
void SbComDecoderTemps(const SbComPayload& line, SbChronoRec* record);  // fixed columns of a time message
void SbComTraiterTemps(const SbComPayload& line);  // T=, T+, ... A=, A+, ...: a time for the times store
void SbComTraiterIt(const SbComPayload& line);     // "TI": the reference time

void SbComDecoder();
void SbComDecoderParam(unsigned no);
void SbComDecoderAffichage();
void SbComDecoderLeds();
void SbComDecoderSon();
void SbComDecoderGsm();
void SbComDecoderTemps(SbChronoRec* record);
void SbComTraiterTemps();
void SbComTraiterIt();

// Where the decoder hands every time it decodes: the times store registers its entry
// (SbChronoQ31Traiter); nullptr for none, which drops the time.
using SbComTimeReceiver = void (*)(const SbChronoRec* record);
void SbComSetTimeReceiver(SbComTimeReceiver receiver);

// Copies a payload into SbComMessageG (bounded) and decodes it.
void SbComDecoderMessage(const char* payload);
