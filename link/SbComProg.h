// Start programs over the link: parameters 102..113 of one program at a time.
#pragma once

#include <cstdint>

#include "records/SbComRecord.h"

void Q31ComLireProgParam(int no, int prog);
void Q31ComEcrireProgParam(int no, int prog);
void Q31ComLireProg(int prog);
void Q31ComEcrireProg(int prog);

// The field of a program that parameter no (102..113) holds, else nullptr.
int32_t* SbComChampProg(SbComProg* prog, int no);
// The write payload of parameter no for program prog, from its field; 0 if none.
int SbComFormerEcrireProg(int no, int prog, char* out, unsigned size);
