// The times record: one time measured by the clock (or a reference or difference
// row), the same 32 bytes in memory, in ".q31tps" files and out of the decoder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lib/Endian.h"

struct SbChronoRec {
    int32_t Concurrent;  // competitor number, 0 = none
    int32_t Numero;      // number of the time, 0 = none
    int32_t Heures;
    int32_t Minutes;
    int32_t Secondes;
    int32_t Fraction;    // hundred-thousandths of a second
    int32_t Complement;  // last column of the clock's time message; kept, never shown
    char Type;           // 'T' time, 'I' reference, 'D' difference
    char Marque;         // 'N' normal, 'X' invalid, '!' doubtful, 'T' fixed row
    char Qualif;         // first character of the channel column
    char Canal;          // channel digit; sign on a difference row
};
static_assert(sizeof(SbChronoRec) == 32);
static_assert(offsetof(SbChronoRec, Complement) == 24);
static_assert(offsetof(SbChronoRec, Type) == 28);
static_assert(offsetof(SbChronoRec, Canal) == 31);

// The reference time announced by the clock ("TI") or by the simulated clock: written by
// the decoder and the simulated clock, read by the times store.
extern SbChronoRec SbChronoQ31ItG;
