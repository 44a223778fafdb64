// Hand-over of a confirmed competitor number to the clock (written by the main window).
#pragma once

// Sends the number to the clock (or the simulated clock) when the clock's mode is 1.
void Q12EnvoyerNumConcurrent(int number);

// Where the competitor panel hands its numbers: Q12EnvoyerNumConcurrent unless a test
// put its own receiver (nullptr restores it).
using Q12EnvoiFn = void (*)(int number);
void Q12SetEnvoi(Q12EnvoiFn envoi);
void Q12Envoyer(int number);
