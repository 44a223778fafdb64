// Shared dialogs: confirmation and information popups, wait box, error box,
// about box and language choice.
#pragma once

bool SbPopupValid(int parent, const char* title, const char* text, const char* confirmCaption,
                  const char* cancelCaption);
void SbPopup(int parent, const char* title, const char* text, const char* caption);
void SbWait(int parent, const char* text);
void SbFermerWait(bool undimParent, double delay);
bool SbWaitOuvert();
int SbAfficherErreur(int parent, const char* title, const char* text, const char* detail,
                     const char* firstCaption, bool showSecond, const char* secondCaption);
void SbAboutOuvrir(int parent, const char* title, const char* version, int value, bool full);
void SbAboutFermer();
int SbChoixLangue(int parent);

// The background task run by the popups' loops (set by the application; none by default).
using SbTacheFondHook = void (*)();
void SbSetTacheFond(SbTacheFondHook hook);
void SbTacheFond();
