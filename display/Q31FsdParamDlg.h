// The second-display section of the application parameters dialog.
#pragma once

void Q31FsdParamTraduire(int dialog);
void Q31FsdParamSet(int dialog, bool edit);
void Q31FsdParamGet(int dialog);
// Registers the section's control callbacks by name.
void Q31FsdEnregistrerCallbacks();
