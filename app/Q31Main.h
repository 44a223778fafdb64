// Start-up and shutdown of the program.
#pragma once

// The whole run: returns 0 after a normal run, 1 when another run works in the program folder,
// -1 when the run-time layer cannot start.
int Q31Main(int argc, char** argv);
// Start-up steps before the language choice: program folder current, folders made,
// link and application records loaded (created with defaults when missing) and reset.
// Makes the program folder the current one (the first step of Q31Preparer).
void Q31AllerAuDossier();
void Q31Preparer();
// Shutdown: pending error shown, link closed, both records saved.
void Q31Terminer();
