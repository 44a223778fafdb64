// Helpers shared by the dialogs of the "FSabGen.uir" resource.
#pragma once

#include "panels/FSabGen.h"

inline constexpr const char* kSabGenResource = "FSabGen.uir";

// Dims or undims a parent panel; 0 or a negative handle means no parent.
void SbGriser(int parent, bool dimmed);
// One modal turn: the next committed event of `panel`, or 0 when none is pending
// (events of other panels met meanwhile are dropped, the dialog being modal).
int SbEvenementDe(int panel);
// Lets an observer (tests) see each turn of a modal loop.
void SbTourModal(int panel);
