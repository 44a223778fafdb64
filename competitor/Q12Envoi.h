// Hand-over of a confirmed competitor number to the clock.
#pragma once

// The receiver of the numbers: the main window registers the one that sends them to the
// clock (or the simulated clock) when the clock's mode is 1 (Q12EnvoyerNumConcurrent).
using Q12EnvoiFn = void (*)(int number);
void Q12RegisterSender(Q12EnvoiFn sender);

// Where the competitor panel hands its numbers: the registered sender unless a test
// put its own receiver (nullptr restores it).
void Q12SetEnvoi(Q12EnvoiFn envoi);
void Q12Envoyer(int number);
