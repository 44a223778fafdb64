// The wait box: stays up, above its parent, while the program talks to the clock.
#include "lib/StrBuf.h"
#include "platform/cvi.h"
#include "ui/Dialogs.h"
#include "ui/DialogsCommon.h"

namespace {

bool attenteOuverte = false;
int attentePanel = -1;  // -1 also while open when the panel could not be loaded
int attenteParent = 0;
char attenteTexte[200];
bool annulable = false;  // the next opening shows the cancel button
bool annulee = false;    // the operator pressed it

// The cancel button of a wait box opened for work the operator may stop.
int FSabWaitAnnuler(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) annulee = true;
    return 0;
}

}  // namespace

void SbWaitAnnulable(int parent, const char* text, const char* cancelCaption) {
    annulable = true;
    annulee = false;
    RegisterCallback("FSabWaitAnnuler", FSabWaitAnnuler);
    SbWait(parent, text);
    annulable = false;
    if (attentePanel > 0) {
        SetCtrlAttribute(attentePanel, fsabgen::WAIT_ANNULER, ATTR_LABEL_TEXT, cancelCaption);
        ProcessDrawEvents();
    }
}

bool SbWaitAnnule() {
    ProcessSystemEvents();  // the button's click reaches its callback
    return annulee;
}

void SbWait(int parent, const char* text) {
    StrCopy(attenteTexte, text);
    if (attenteOuverte) {
        if (attentePanel > 0) {
            SetCtrlVal(attentePanel, fsabgen::WAIT_TEXTE, attenteTexte);
            ProcessDrawEvents();  // the caller is busy and will not return to the event loop
        }
        return;
    }
    attenteOuverte = true;
    SetWaitCursor(1);
    attenteParent = parent;
    SbGriser(parent, true);
    int panel = LoadPanel(parent > 0 ? parent : 0, kSabGenResource, fsabgen::WAIT);
    if (panel < 0) return;
    attentePanel = panel;
    SetCtrlAttribute(panel, fsabgen::WAIT_ANNULER, ATTR_VISIBLE, annulable);
    if (annulable) SetCtrlAttribute(panel, fsabgen::WAIT_TEXTE, ATTR_HEIGHT, 50);
    SetCtrlVal(panel, fsabgen::WAIT_TEXTE, attenteTexte);
    DisplayPanel(panel);
    ProcessDrawEvents();
}

void SbFermerWait(bool undimParent, double delay) {
    if (!attenteOuverte) return;
    if (delay > 0) Delay(delay);
    if (attentePanel > 0) DiscardPanel(attentePanel);
    attentePanel = -1;
    attenteOuverte = false;
    if (undimParent) SbGriser(attenteParent, false);
    SetWaitCursor(0);
}

bool SbWaitOuvert() {
    return attenteOuverte;
}
