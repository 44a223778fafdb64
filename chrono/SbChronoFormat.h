// Texts of one times record: the four table columns, the export line and the
// difference between a time and the clock's reference time. Pure functions.
#pragma once

#include <cstddef>

#include "records/SbChronoRec.h"

// Column 1: the kind (a space for an ordinary time 'T') and the mark (a space for 'N').
void SbChronoTexteGenre(const SbChronoRec& rec, char out[3]);
// Column 2: the competitor "%5d" when above 0, else the time's number "%5d" when
// above 0, else a single space.
void SbChronoTexteNumero(const SbChronoRec& rec, char out[16]);
// Column 3: the qualifier and the channel (the sign on a difference row).
void SbChronoTexteCanal(const SbChronoRec& rec, char out[3]);
// Column 4: " hh : mm : ss" and, at precision 1 to 5, a point and that many digits
// of the five-digit fraction, cut (not rounded). Precision outside 0..5 is clamped.
void SbChronoTexteTemps(const SbChronoRec& rec, int precision, char out[64]);
// One 36-character line of the text export (without line end), all five fraction digits.
void SbChronoLigneAscii(const SbChronoRec& rec, char* out, size_t size);

// Fills out with the difference row of a time against the reference time: kind
// 'D', mark 'T', the sign in Canal ('+' later, '-' earlier, ' ' equal) and the
// absolute difference in hours, minutes, seconds and hundred-thousandths. Times on
// either side of midnight are compared as they stand (no wrap).
void SbChronoEcart(const SbChronoRec& reference, const SbChronoRec& time, SbChronoRec* out);
