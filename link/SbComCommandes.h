// The clock's command set: identity, messages on/off, parameter reads and
// writes, actions, inputs, competitor number, keys and the start-up reads.
// Every command does nothing while the link is closed, else sends one payload
// and waits for the clock's "AK" (the replies fill SbComG while it waits).
#pragma once

void SbComLireSN();
void SbComLireID();
void SbComActiveMsg(int on);
void SbComChargerManche(short run);
void SbComLireParam(int no);
void SbComLireExtension(int k);
void SbComEcrireParam(int no);
void SbComCommande(int no);
void SbComCommandeInput(int input);
void SbComLireInputParam(int no, int k);
void SbComLireInput(int k);
void SbComEcrireInputParam(int no, int k);
void SbComEcrireInput(int k);
void SbComEcrireNumConcurrent(int position, int competitor);
void Q31ComCommandeKey(int key);
void Q31ComInitLireParam();
void SbComCommandeChargerManche(short run, short target);

// The speed in bit/s for a clock speed code (0 2400, 3 38400, 4 57600, else 9600).
int SbComVitesseDeCode(int code);

// Formats a command payload (no port involved): the shape every command sends.
// Returns 0 when the command/parameter has no such form (nothing to send).
int SbComFormerEcrireParam(int no, char* out, unsigned size);
int SbComFormerCommande(int no, char* out, unsigned size);

// One exchange: emission then acknowledgement wait; nothing while the link is closed.
void SbComEchange(const char* payload);
