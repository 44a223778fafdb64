// The application's sticky error state, and the one place errors are shown.
#pragma once

void Q31FormerErreur(const char* title, const char* text);
int Q31Erreur();
int Q31GererErreur(int parentPanel);
// Last recorded texts (tests).
const char* Q31ErreurTitre();
const char* Q31ErreurTexte();
