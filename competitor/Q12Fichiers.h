// The competitor unit's two files: import settings and the current lists.
#pragma once

// Reads "QS-120_V1-0.q12cnf" into Q12CnfG; a missing file gives the defaults, written at once.
void Q12CnfCharger();
// Writes Q12CnfG whole; false when the file could not be written (the former one is kept).
bool Q12CnfSauver();
// Reads both lists from path (counts kept within 0 .. 1 000 and within what the file
// holds); a missing file empties the lists. The lists must be allocated.
void Q12CourantCharger(const char* path);
// Writes both lists to path, 360 008 bytes, atomically; false when it could not be written.
bool Q12CourantSauver(const char* path);
