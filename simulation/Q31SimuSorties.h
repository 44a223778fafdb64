// Where the simulated clock's outputs go: new times to the times store, input
// impulses beyond the simulation to the link's input command. Tests put their own
// receivers here to watch what the clock hands on.
#pragma once

struct SbChronoRec;

using Q31SimuTempsFn = void (*)(const SbChronoRec* record);
using Q31SimuInputFn = void (*)(int input);

// nullptr restores the default receiver (SbChronoQ31Traiter, SbComCommandeInput).
void Q31SimuSetSorties(Q31SimuTempsFn temps, Q31SimuInputFn input);
