// Shared dialogs: confirmation and information popups, wait box, error box,
// about box and language choice.
#pragma once

bool SbPopupValid(int parent, const char* title, const char* text, const char* confirmCaption,
                  const char* cancelCaption);
void SbPopup(int parent, const char* title, const char* text, const char* caption);
void SbWait(int parent, const char* text);
void SbFermerWait(bool undimParent, double delay);
bool SbWaitOuvert();
// The wait box with a cancel button, for work the operator may stop (a long import);
// SbWaitAnnule lets pending events through and tells whether the button was pressed.
void SbWaitAnnulable(int parent, const char* text, const char* cancelCaption);
bool SbWaitAnnule();
int SbAfficherErreur(int parent, const char* title, const char* text, const char* detail,
                     const char* firstCaption, bool showSecond, const char* secondCaption);
void SbAboutOuvrir(int parent, const char* title, const char* version, int value, bool full);
void SbAboutFermer();
// The about panel's callback: a click outside its hyperlinks closes the box.
int FSabAbout(int panel, int control, int event, void* callbackData, int eventData1, int eventData2);
int SbChoixLangue(int parent);

// The background task run by the popups' loops (set by the application; none by default).
using SbTacheFondHook = void (*)();
void SbSetTacheFond(SbTacheFondHook hook);
void SbTacheFond();

// Tests: called with the dialog's panel on every turn of a modal dialog's loop
// (popups, error box, language choice), to answer it as the operator would.
using SbTourModalHook = void (*)(int panel);
void SbSetTourModal(SbTourModalHook hook);
