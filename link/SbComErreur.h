// The link's sticky error state and acknowledgement flag.
#pragma once

#include <cstdint>

int SbComErreur();  // 1 while an error is pending
void SbComPoserErreur(const char* title, const char* text);
void SbComTexteErreur(char title[200], char text[200]);
void SbComDeplanter();  // clears error and pending ack, flushes queues

// Acknowledgement state, shared by emission, wait and decoder.
extern uint8_t SbComAckPendingG;
extern double SbComSendTimeG;
